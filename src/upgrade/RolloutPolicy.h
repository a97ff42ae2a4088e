#pragma once

#include <chrono>
#include <optional>
#include <string_view>

namespace zka {

// Why a camera that answered was left as it was.
enum class SkipReason { None, UpToDate, Newer };

// Which cameras a batch leaves as they are, judged by the version each one reports against the one
// it would be given. The wizard upgrades whatever its operator checked: both off.
struct VersionRule {
    bool skipUpToDate = false;
    bool skipNewer = false;

    // A version that cannot be read (emergency firmware's) is never a reason to skip.
    SkipReason judge(std::string_view cameraVersion, std::string_view newVersion) const;
};

// "up to date", "newer": why a camera was skipped, in the words of its row and report.
std::string_view skipDetail(SkipReason reason);

// What made a batch start no further camera.
enum class BatchHalt { None, Aborted, Canary, FailureLimit, WindowEnded };

// Why a camera was left unstarted: "the batch was aborted", "halted after the canary",
// "halted: failure limit", "maintenance window ended"; empty for None.
std::string_view haltReason(BatchHalt halt);

// How far the upgrades of a batch are. Skipped cameras are not counted: nothing was tried on them.
struct BatchTally {
    int completed = 0;
    int failed = 0;
    int underWay = 0; // begun (its inquiries included) and not ended

    int ended() const { return completed + failed; }
    int started() const { return ended() + underWay; }
};

// "--max-failures N": halt once N cameras failed; "P%": once P% of the cameras started so far failed,
// judged only once at least kMinEnded of them have ended, so that one early failure does not halt.
struct FailureLimit {
    static constexpr int kMinEnded = 4;
    int value = 1;
    bool percent = false;

    // "N" (1 or more) or "P%" (1 to 100); nullopt for anything else.
    static std::optional<FailureLimit> parse(std::string_view text);
    bool reached(const BatchTally& tally) const;
};

// The rules of a staged rollout, given to the batch scheduler; the default halts nothing and skips
// nothing, as the wizard's batch.
struct RolloutPolicy {
    VersionRule versions;
    // The first `canary` cameras upgraded go alone; a failure among them halts the batch. Cameras
    // skipped on the way take no canary's place.
    int canary = 0;
    std::optional<FailureLimit> maxFailures;
    // The end of the maintenance window: after it no camera starts.
    std::optional<std::chrono::system_clock::time_point> stopAt;

    // Whether one more camera may begin now (the canary goes alone).
    bool mayBegin(const BatchTally& tally) const;
    // Whether the batch must start no further camera, and why; None when it may go on.
    BatchHalt haltFor(const BatchTally& tally, std::chrono::system_clock::time_point now) const;
};

// The next moment after `now` at which the local clock reads "HH:MM" (tomorrow's when today's has
// passed); nullopt when the text is not an hour 0 to 23 and a minute 00 to 59.
std::optional<std::chrono::system_clock::time_point> nextLocalTime(std::string_view hoursMinutes,
                                                                   std::chrono::system_clock::time_point now);

} // namespace zka
