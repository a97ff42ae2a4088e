#include "upgrade/StartInquiry.h"

#include "camera/CameraContext.h"
#include "camera/InquiryReply.h"
#include "camera/StatusCode.h"

namespace zka {

namespace {

constexpr Clock::Duration kInquiryTimeout{20000};
constexpr int kNotFound = static_cast<int>(StatusCode::NetworkError);
constexpr int kLoginError = static_cast<int>(StatusCode::LoginError);

// Why a reply that did not pass tells nothing of a supported camera of this login.
std::string refusalDetail(const std::string& reply, const char* key)
{
    if (reply.empty())
        return "no answer";
    if (reply.find("401 Unauthorized") != std::string::npos)
        return "login refused";
    if (!findReplyValue(reply, key))
        return "not a camera";
    return std::string(key) == "ModelName=" ? "not a supported model" : "not the administrator's login";
}

} // namespace

StartInquiry::StartInquiry(CameraContext& context, int tag)
    : context_(context)
    , tag_(tag)
    , thread_([this](std::stop_token stop) { run(stop); })
{
}

void StartInquiry::run(std::stop_token stop)
{
    // The system first: only its answer tells whether the camera runs emergency firmware, and a
    // camera that does not answer it, or is of another model, must not be started.
    const std::string system = context_.runQuery("inq=system", kInquiryTimeout, stop);
    if (stop.stop_requested())
        return;
    if (system.find("401 Unauthorized") != std::string::npos) {
        // A refused login is a login error, not a missing camera.
        context_.checkUserReply(system);
        outcome_.refusal = kLoginError;
        outcome_.detail = refusalDetail(system, "ModelName=");
    } else if (CameraContext::SystemInfo info; !context_.readSystemReply(system, false, info)) {
        outcome_.refusal = kNotFound;
        outcome_.detail = refusalDetail(system, "ModelName=");
    } else {
        outcome_.docType = readDocType(system);
        outcome_.model = info.model;
        outcome_.version = info.version;
        outcome_.serial = info.serial;
        if (context_.emergency()) {
            outcome_.accepted = true;
        } else {
            const std::string user = context_.runQuery("inq=user", kInquiryTimeout, stop);
            if (stop.stop_requested())
                return;
            outcome_.accepted = context_.checkUserReply(user);
            if (!outcome_.accepted) {
                const int code = context_.errorCode();
                outcome_.refusal = code != 0 ? code : kNotFound;
                outcome_.detail = refusalDetail(user, "Administrator=");
            }
        }
    }
    finished_.store(true, std::memory_order_release);
}

} // namespace zka
