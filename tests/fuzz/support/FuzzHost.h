#pragma once

#include "resources/ResourceText.h"
#include "runtime/Clock.h"
#include "upgrade/UpgradeJob.h"

#include <cstddef>
#include <memory>

namespace zka::fuzz {

// The seams an UpgradeJob needs, for fuzz targets that run its readers: a real clock and timers
// that go nowhere; and the packaged texts, behind a prompter that only counts its messages.
class FuzzHost final {
public:
    FuzzHost();
    ~FuzzHost();
    FuzzHost(const FuzzHost&) = delete;
    FuzzHost& operator=(const FuzzHost&) = delete;

    UpgradeJob::Seams host();
    // The packaged texts; a message they show is counted.
    const ResourceText& texts() const;
    std::size_t messages() const;

private:
    struct Silent;
    SystemClock clock_;
    std::unique_ptr<Silent> silent_;
};

// Ends the run with a report when an invariant does not hold: libFuzzer keeps the input.
void require(bool condition, const char* what);

} // namespace zka::fuzz
