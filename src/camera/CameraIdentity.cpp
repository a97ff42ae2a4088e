#include "camera/CameraIdentity.h"

#include "camera/InquiryReply.h"

#include <algorithm>

namespace zka {

namespace {

// Only the first ten entries of the model list count.
constexpr std::size_t kModelListLimit = 10;

// The camera sends each "=" of a credential as "%3D".
std::string decodeEquals(std::string_view text)
{
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        if (text.substr(at, 3) == "%3D") {
            decoded += '=';
            at += 3;
        } else {
            decoded += text[at++];
        }
    }
    return decoded;
}

} // namespace

CameraIdentity CameraIdentity::fromSystemReply(std::string_view reply, const SupportedModels& models)
{
    CameraIdentity identity;
    identity.model = replyValue(reply, "ModelName=");
    identity.softVersion = findReplyValue(reply, "SoftVersion=");
    identity.serial = replyValue(reply, "Serial=");
    identity.mac = replyValue(reply, "MacAddress=");
    std::replace(identity.mac.begin(), identity.mac.end(), ':', '-');
    identity.docType = readDocType(reply);
    identity.panTilt = reply.find("PanTiltFunc=1") != std::string_view::npos;
    const auto last = models.begin() + static_cast<std::ptrdiff_t>(std::min(models.size(), kModelListLimit));
    identity.supported = std::find(models.begin(), last, identity.model) != last;
    return identity;
}

std::string CameraIdentity::versionText() const
{
    if (emergency())
        return "unknown";
    return softVersion.value_or(std::string());
}

UserCheck checkAdministrator(std::string_view userReply, std::string_view credential)
{
    if (loginRefused(userReply))
        return UserCheck::LoginRefused;
    const auto administrator = findReplyValue(userReply, "Administrator=");
    if (!administrator)
        return UserCheck::NoAdministrator;
    return decodeEquals(*administrator) == credential ? UserCheck::Administrator : UserCheck::OtherUser;
}

} // namespace zka
