#pragma once

#include "resources/FirmwareDescription.h"
#include "runtime/Clock.h"
#include "upgrade/UpgradeTarget.h"

#include <chrono>
#include <cstddef>
#include <stop_token>
#include <string>
#include <vector>

namespace zka {

class PackagedResources;

// What an upgrade of the camera would do, as far as a check can tell without changing anything.
enum class CheckVerdict {
    Ready,      // it would be upgraded: versionNow -> versionAfter
    UpToDate,   // it already runs the version it would get
    Newer,      // it runs a later version than the one carried
    Refused,    // an upgrade would be refused: reason says why
    NotChecked, // the check was stopped before it reached the camera
};

// "ready", "up-to-date", "newer", "refused", "not-checked".
const char* verdictWord(CheckVerdict verdict);

struct CameraCheck {
    CheckVerdict verdict = CheckVerdict::NotChecked;
    std::string reason; // why it was refused or not checked, in a few words; empty otherwise
    // What the camera's system reply said, when it named a supported model.
    std::string model;
    std::string serial;
    std::string versionNow;   // without "ver"; "unknown" for emergency firmware
    std::string versionAfter; // the version the upgrade would bring, without "ver"
    std::size_t packageSlot = 0;
    // How long the camera's own inquiries (and the configuration download) took.
    std::chrono::steady_clock::duration elapsed{};
};

// The pre-flight of a batch: for every camera the checks a real start makes (TargetCheck's
// inquiries, the package slot for its document type and the version it would get) and, with
// retain, the download of its configuration, taken into memory and dropped: nothing is written
// and nothing is uploaded. Up to `parallel` cameras are checked at once on worker threads.
class FleetCheck final {
public:
    static constexpr int kMaxParallel = 16;

    struct Options {
        int parallel = kMaxParallel; // 1 to 16
        bool retain = false;
    };

    // The clock and the resources must outlive the check.
    FleetCheck(const Clock& clock, const PackagedResources& resources, Options options);

    // One verdict per target, in the targets' order. Blocks until every camera was checked or `stop`
    // was requested (the cameras not reached are NotChecked); the workers are joined before it returns.
    std::vector<CameraCheck> run(const std::vector<UpgradeTarget>& targets, std::stop_token stop) const;

    CameraCheck checkCamera(const UpgradeTarget& target, std::stop_token stop) const;

private:
    // The configuration download of a real start with retain; empty when it succeeded, else why not.
    std::string readConfiguration(const std::string& addressText, const std::string& credential,
                                  std::stop_token stop) const;

    const Clock& clock_;
    const PackagedResources& resources_;
    const FirmwareDescription firmware_;
    const Options options_;
};

} // namespace zka
