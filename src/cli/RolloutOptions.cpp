#include "cli/RolloutOptions.h"

#include "upgrade/BatchScheduler.h"

#include <CLI/CLI.hpp>

namespace zka::cli {

void RolloutOptions::addTo(CLI::App& app)
{
    app.add_flag("--force", force);
    app.add_flag("--allow-downgrade", allowDowngrade);
    app.add_option("--canary", canary)->check(CLI::Range(1, static_cast<int>(BatchScheduler::kMaxRows)));
    maxFailuresOption = app.add_option("--max-failures", maxFailures);
    stopAtOption = app.add_option("--stop-at", stopAt);
}

std::optional<RolloutPolicy> RolloutOptions::read(std::chrono::system_clock::time_point now, std::string& error) const
{
    RolloutPolicy policy;
    policy.versions = VersionRule{!force, !allowDowngrade};
    policy.canary = canary;
    if (maxFailuresOption != nullptr && maxFailuresOption->count() != 0) {
        policy.maxFailures = FailureLimit::parse(maxFailures);
        if (!policy.maxFailures) {
            error = "--max-failures needs a number of cameras (1 or more) or a share (1% to 100%)";
            return std::nullopt;
        }
    }
    if (stopAtOption != nullptr && stopAtOption->count() != 0) {
        policy.stopAt = nextLocalTime(stopAt, now);
        if (!policy.stopAt) {
            error = "--stop-at needs a local time HH:MM (00:00 to 23:59)";
            return std::nullopt;
        }
    }
    return policy;
}

} // namespace zka::cli
