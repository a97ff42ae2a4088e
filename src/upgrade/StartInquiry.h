#pragma once

#include "camera/CameraIdentity.h"
#include "upgrade/RolloutPolicy.h"

#include <atomic>
#include <stop_token>
#include <string>
#include <thread>

namespace zka {

class CameraOperations;
struct FirmwareDescription;

// The target check that comes before one camera of a batch starts, on a thread of its own so that
// the user-interface thread never waits for a camera; it also judges, by the version rule, whether
// an accepted camera needs the firmware at all. Destroying the inquiry stops it and joins its thread.
class StartInquiry final {
public:
    struct Outcome {
        bool accepted = false;
        // Why a camera was refused: 10 not found, not answering or not a supported model; 12 the
        // login was refused or is not the administrator's.
        int refusal = 0;
        // The refusal's cause in a few words ("no answer", "login refused"); empty when accepted.
        std::string detail;
        // From the system reply: the document type, and the identity the camera reported (the
        // version without "ver", "unknown" for emergency firmware).
        std::string docType;
        std::string model;
        std::string version;
        std::string serial;
        // What the system reply said, when it named a supported model: the job that upgrades the
        // camera records its version and whether it runs emergency firmware.
        CameraIdentity identity;
        // An accepted camera that the version rule leaves as it is.
        SkipReason skip = SkipReason::None;
    };

    // The client, the models and the firmware are borrowed until the inquiry is destroyed.
    StartInquiry(CameraOperations& client, const SupportedModels& models, const FirmwareDescription& firmware,
                 VersionRule versions, int tag);
    StartInquiry(const StartInquiry&) = delete;
    StartInquiry& operator=(const StartInquiry&) = delete;

    int tag() const { return tag_; }
    bool finished() const { return finished_.load(std::memory_order_acquire); }
    // Valid once finished() is true.
    const Outcome& outcome() const { return outcome_; }

private:
    void run(std::stop_token stop);

    CameraOperations& client_;
    const SupportedModels& models_;
    const FirmwareDescription& firmware_;
    const VersionRule versions_;
    const int tag_;
    Outcome outcome_;
    std::atomic<bool> finished_{false};
    // Declared last: stopped and joined before the outcome it writes goes away.
    std::jthread thread_;
};

} // namespace zka
