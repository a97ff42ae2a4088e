#pragma once

#include "upgrade/ReportedStage.h"
#include "upgrade/RolloutPolicy.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace zka {

// One camera of a batch: where it is, what it is, how far its upgrade got and how it ended. Every
// field changes only on the user-interface thread, in the scheduler's tick; `progress` may also be
// read from other threads.
// The texts shown for a row (ID, status word, log line) come from BatchRowText.
struct ProgressRow {
    int index = 0; // the row's position, also the tag of its camera
    std::array<std::uint8_t, 4> ipAddress{192, 168, 0, 100};
    int httpPort = 80;
    std::string address; // "a.b.c.d", or "a.b.c.d:port" when the port is not 80
    int dhcp = 0;        // 1 when the camera's address comes from DHCP
    std::string model;
    std::string serial;
    std::string mac;
    std::string currentVersion; // the version before the upgrade, without "ver"
    std::string version;        // the version shown: the current one; the new one once the camera completed

    std::atomic<int> progress{0}; // 0 to 10000: the job's progress, copied on each tick and when it ends
    int statusCode = 0;           // the code the row shows
    int finalStatus = 0;          // the code the camera ended with; 0 while it runs or when dropped

    std::string versionAfter;       // the version the camera reported last, without "ver"; empty: none
    std::string savedConfiguration; // the saved configuration file, when it was kept
    // The cause of a failure, or why the camera was not started or skipped; empty when there is none.
    std::string detail;
    // Set for a camera that failed: where its upgrade stood then.
    std::optional<ReportedStage> failedStage;
    // A camera left as it was, since it already runs that version or a later one; it has no final code.
    SkipReason skipped = SkipReason::None;
    // What kept a camera from starting (an abort, a halt of the rollout); it has no final code.
    BatchHalt notStartedBy = BatchHalt::None;
    std::optional<std::chrono::system_clock::time_point> started; // the scheduler began with the camera
    std::optional<std::chrono::system_clock::time_point> ended;   // the camera reached its final code
};

} // namespace zka
