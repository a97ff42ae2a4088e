// CameraContext: what the inquiry replies say about the camera, and the decisions made on them.
#include "camera/CameraContext.h"

#include "camera/InquiryReply.h"

#include <algorithm>

namespace zka {

namespace {

constexpr std::size_t kModelListLimit = 10;
constexpr const char* kLoginMessage = "Please enter correct user name and password for the administrator.";

std::string replaceAll(std::string text, std::string_view from, std::string_view to)
{
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

} // namespace

void CameraContext::warn(const std::string& text)
{
    host_.prompter.show(Message{text, host_.texts(203), MessageIcon::Warning, MessageButtons::Ok});
}

bool CameraContext::checkModel(std::string_view reply, bool showMessage)
{
    const std::string model = replyValue(reply, "ModelName=");
    const auto last = supportedModels_.begin() + static_cast<std::ptrdiff_t>(std::min(supportedModels_.size(), kModelListLimit));
    if (std::find(supportedModels_.begin(), last, model) != last)
        return true;
    if (showMessage) {
        // No reply at all, or a refused login, says nothing about the model: the operator has to
        // find the camera or correct the login, not choose another camera.
        if (reply.empty()) {
            warn(host_.texts(212));
            return false;
        }
        if (loginRefused(reply)) {
            warn(kLoginMessage);
            return false;
        }
        const std::string principal = supportedModels_.empty() ? std::string() : supportedModels_.front();
        warn("This program works for the " + principal + ". Please select the correct camera.");
    }
    return false;
}

void CameraContext::recordVersion(std::string_view reply)
{
    const auto version = findReplyValue(reply, "SoftVersion=");
    if (!version)
        return;
    std::lock_guard lock(versionMutex_);
    if (currentVersion_.empty()) {
        if (*version == "emergency") {
            currentVersion_ = "unknown";
            emergency_.store(true);
        } else {
            currentVersion_ = "ver" + *version;
        }
    } else {
        latestVersion_ = "ver" + *version;
    }
    if (latestVersion_.empty())
        latestVersion_ = "ver" + *version;
}

bool CameraContext::checkSystemReply(const std::string& reply, bool showMessage)
{
    if (!checkModel(reply, showMessage))
        return false;
    recordVersion(reply);
    return true;
}

bool CameraContext::readSystemReply(const std::string& reply, bool showMessage, SystemInfo& info)
{
    const bool supported = checkSystemReply(reply, showMessage);
    info.model = replyValue(reply, "ModelName=");
    const std::string version = replyValue(reply, "SoftVersion=");
    info.version = version == "emergency" ? "unknown" : version;
    info.serial = replyValue(reply, "Serial=");
    info.tag = tag_;
    return supported;
}

bool CameraContext::checkUserReply(const std::string& reply)
{
    // In the batch a failure is the row's status code; alone, it is a message to the operator.
    auto refuse = [this](StatusCode code, const std::string& text) {
        if (listRow_ != nullptr)
            errorCode_.store(static_cast<int>(code));
        else
            warn(text);
        return false;
    };
    if (loginRefused(reply))
        return refuse(StatusCode::LoginError, kLoginMessage);
    const auto administrator = findReplyValue(reply, "Administrator=");
    if (!administrator)
        return refuse(StatusCode::NetworkError, host_.texts(212));
    if (replaceAll(*administrator, "%3D", "=") == credential_)
        return true;
    return refuse(StatusCode::LoginError, "Level 4 users other than Administrator cannot run the program.");
}

bool CameraContext::readMacAddress(const std::string& reply, std::string& mac, int& tag) const
{
    mac = replyValue(reply, "MacAddress=");
    std::replace(mac.begin(), mac.end(), ':', '-');
    tag = tag_;
    return !mac.empty();
}

} // namespace zka
