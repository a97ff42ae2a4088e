#include "upgrade/TargetCheck.h"

#include "camera/CameraOperations.h"
#include "camera/InquiryReply.h"

namespace zka {

TargetCheck::TargetCheck(const SupportedModels& models, std::string_view credential)
    : models_(models)
    , credential_(credential)
{
}

TargetCheck::Result TargetCheck::run(const Query& query, std::stop_token stop) const
{
    // The system first: only its answer tells whether the camera runs emergency firmware.
    Result result;
    const std::string system = query("inq=system", kInquiryTimeout, stop);
    if (stop.stop_requested())
        return result;
    result.identity = CameraIdentity::fromSystemReply(system, models_);
    result.verdict = judgeSystem(system, result.identity);
    if (result.verdict != TargetVerdict::Accepted)
        return result;
    result.systemPassed = true;
    // Emergency firmware knows no users: its camera is upgraded with whatever login reached it.
    if (result.identity.emergency())
        return result;
    const std::string user = query("inq=user", kInquiryTimeout, stop);
    if (stop.stop_requested()) {
        result.verdict = TargetVerdict::Stopped;
        return result;
    }
    result.verdict = judgeUser(user);
    return result;
}

TargetCheck::Result TargetCheck::run(CameraOperations& client, std::stop_token stop) const
{
    return run([&client](const std::string& body, Clock::Duration timeout,
                         std::stop_token queryStop) { return client.query(body, timeout, queryStop).text; },
               stop);
}

TargetVerdict TargetCheck::judgeSystem(std::string_view reply, const CameraIdentity& identity)
{
    if (identity.supported)
        return TargetVerdict::Accepted;
    if (reply.empty())
        return TargetVerdict::NoAnswer;
    if (loginRefused(reply))
        return TargetVerdict::LoginRefused;
    return findReplyValue(reply, "ModelName=") ? TargetVerdict::UnsupportedModel : TargetVerdict::NotACamera;
}

TargetVerdict TargetCheck::judgeUser(std::string_view reply) const
{
    switch (checkAdministrator(reply, credential_)) {
    case UserCheck::Administrator:
        return TargetVerdict::Accepted;
    case UserCheck::LoginRefused:
        return TargetVerdict::LoginRefused;
    case UserCheck::NoAdministrator:
        return reply.empty() ? TargetVerdict::NoAnswer : TargetVerdict::NoAdministratorNamed;
    case UserCheck::OtherUser:
        break;
    }
    return TargetVerdict::NotAdministrator;
}

} // namespace zka
