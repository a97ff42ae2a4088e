#pragma once

#include "resources/SupportedModels.h"

#include <optional>
#include <string>
#include <string_view>

namespace zka {

// What a camera's "inq=system" reply says about it. Every field is read whether or not the model
// is supported, so that a list can show what an unsupported camera reported.
struct CameraIdentity {
    std::string model;                      // "ModelName=", empty when absent
    std::optional<std::string> softVersion; // "SoftVersion=" as sent; nullopt when absent
    std::string serial;                     // "Serial="
    std::string mac;                        // "MacAddress=" with "-" for every ":"
    std::string docType;                    // "DocType=": chooses the firmware package slot
    bool panTilt = false;                   // the reply holds "PanTiltFunc=1"
    bool supported = false;                 // the model is one of the first ten supported ones

    static CameraIdentity fromSystemReply(std::string_view reply, const SupportedModels& models);

    // The camera runs emergency firmware: it reports no version of its own.
    bool emergency() const { return softVersion == "emergency"; }
    // The version as a list shows it: "unknown" for emergency firmware, empty when absent.
    std::string versionText() const;
};

// What an "inq=user" reply says about the login that asked.
enum class UserCheck {
    Administrator,   // the administrator's credential is the login's
    LoginRefused,    // the camera refused the login
    NoAdministrator, // the reply names no administrator (no reply, or not a camera's)
    OtherUser,       // another user's login
};

// `credential` is the Base64 text sent in the Authorization header; the camera sends each "=" of
// the administrator's credential as "%3D".
UserCheck checkAdministrator(std::string_view userReply, std::string_view credential);

} // namespace zka
