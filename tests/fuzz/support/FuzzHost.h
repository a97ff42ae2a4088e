#pragma once

#include "upgrade/UpgradeJob.h"
#include "runtime/Clock.h"

#include <cstddef>
#include <memory>

namespace zka::fuzz {

// The seams an UpgradeJob needs, for fuzz targets that run its readers: a real clock, timers and
// navigation that go nowhere, a prompter that only counts its messages, the packaged texts.
class FuzzHost final {
public:
    FuzzHost();
    ~FuzzHost();
    FuzzHost(const FuzzHost&) = delete;
    FuzzHost& operator=(const FuzzHost&) = delete;

    UpgradeJob::Seams host();
    std::size_t messages() const;

private:
    struct Silent;
    SystemClock clock_;
    std::unique_ptr<Silent> silent_;
};

// Ends the run with a report when an invariant does not hold: libFuzzer keeps the input.
void require(bool condition, const char* what);

} // namespace zka::fuzz
