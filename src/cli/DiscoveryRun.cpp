#include "cli/DiscoveryRun.h"

#include "discovery/DiscoverySession.h"

namespace zka::cli {

namespace {

// Discovery ends after 10 s on its own; this only bounds a run whose listener never acknowledges.
constexpr Clock::Duration kRunLimit{20000};

} // namespace

std::vector<CameraRecord> runDiscovery(EventLoop& loop, const Clock& clock, Prompter& prompter,
                                       const SupportedModels& models, const std::function<bool()>& interrupted)
{
    DiscoveryTable table;
    table.setSupportedModels(&models);
    DiscoveryListener::Environment environment{clock, prompter};
    // The listener's end wakes the loop, which then sees the run finished.
    environment.finished = [&loop] { loop.post([] {}); };
    DiscoverySession session(table, loop, std::move(environment));
    session.start();
    loop.runUntil([&] { return session.finished() || (interrupted && interrupted()); }, kRunLimit);
    session.cancel();
    return table.snapshot();
}

} // namespace zka::cli
