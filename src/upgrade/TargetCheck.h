#pragma once

#include "camera/CameraIdentity.h"
#include "runtime/Clock.h"

#include <functional>
#include <stop_token>
#include <string>
#include <string_view>

namespace zka {

class CameraOperations;

// Why a camera may or may not be upgraded with the login it was given.
enum class TargetVerdict {
    Accepted,
    NoAnswer,             // an inquiry got no reply in time
    LoginRefused,         // the camera refused the login
    NotACamera,           // the system reply names no model
    UnsupportedModel,     // the system reply names a model this firmware is not for
    NoAdministratorNamed, // the user reply names no administrator
    NotAdministrator,     // the login is another user's
    Stopped,              // the check was stopped before it ended
};

// The one check before an upgrade: "inq=system", whose model must be supported, then, unless the
// camera runs emergency firmware, "inq=user", whose administrator must be the login's. 20 s each.
// It only inquires and judges; each front end tells the verdict its own way.
class TargetCheck final {
public:
    static constexpr Clock::Duration kInquiryTimeout{20000};

    // Sends one inquiry and returns its reply text: empty when none came in time or the query was
    // stopped, "401 Unauthorized" when the login was refused.
    using Query = std::function<std::string(const std::string& body, Clock::Duration timeout, std::stop_token stop)>;

    struct Result {
        TargetVerdict verdict = TargetVerdict::Stopped;
        // The system reply named a supported model: `identity` is that camera's.
        bool systemPassed = false;
        CameraIdentity identity;
    };

    // The models and the credential (Base64, as sent) are borrowed for the check's lifetime.
    TargetCheck(const SupportedModels& models, std::string_view credential);

    Result run(const Query& query, std::stop_token stop) const;
    // The same, through the camera's client.
    Result run(CameraOperations& client, std::stop_token stop) const;

    // The verdict on one reply alone: an address probe reads only the system reply.
    static TargetVerdict judgeSystem(std::string_view reply, const CameraIdentity& identity);
    TargetVerdict judgeUser(std::string_view reply) const;

private:
    const SupportedModels& models_;
    std::string_view credential_;
};

} // namespace zka
