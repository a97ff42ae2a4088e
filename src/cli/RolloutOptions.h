#pragma once

#include "upgrade/RolloutPolicy.h"

#include <chrono>
#include <optional>
#include <string>

namespace CLI {
class App;
class Option;
} // namespace CLI

namespace zka::cli {

// The options of a staged rollout as `batch` takes them: "--force" and "--allow-downgrade" (which
// cameras are upgraded although they need not be), "--canary N", "--max-failures N|P%" and
// "--stop-at HH:MM" (local time).
struct RolloutOptions {
    bool force = false;
    bool allowDowngrade = false;
    int canary = 0;
    std::string maxFailures;
    std::string stopAt;
    const CLI::Option* maxFailuresOption = nullptr;
    const CLI::Option* stopAtOption = nullptr;

    void addTo(CLI::App& app);
    // The policy they make for a batch that begins at `now`; nullopt with the reason for a value
    // that is not one.
    std::optional<RolloutPolicy> read(std::chrono::system_clock::time_point now, std::string& error) const;
};

} // namespace zka::cli
