#include "support/FuzzHost.h"

#include "resources/ResourceStore.h"
#include "resources/ResourceText.h"
#include "runtime/Prompter.h"

#include <cstdio>

namespace zka::fuzz {

struct FuzzHost::Silent final : TimerService, Prompter {
    void armTimer(TimerId, Clock::Duration) override {}
    void disarmTimer(TimerId) override {}
    bool timerArmed(TimerId) override { return false; }
    // Only counted: a run of millions of inputs keeps no history.
    MessageAnswer show(const Message&) override
    {
        ++shown;
        return MessageAnswer::Ok;
    }

    std::size_t shown = 0;
    ResourceText texts{embeddedResources(), *this};
};

FuzzHost::FuzzHost()
    : silent_(std::make_unique<Silent>())
{
}

FuzzHost::~FuzzHost() = default;

UpgradeJob::Seams FuzzHost::host()
{
    return UpgradeJob::Seams{clock_, *silent_};
}

const ResourceText& FuzzHost::texts() const
{
    return silent_->texts;
}

std::size_t FuzzHost::messages() const
{
    return silent_->shown;
}

void require(bool condition, const char* what)
{
    if (condition)
        return;
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

} // namespace zka::fuzz
