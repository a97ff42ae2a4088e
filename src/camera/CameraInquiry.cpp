// CameraContext: what the inquiry replies say about the camera, and the decisions made on them.
#include "camera/CameraContext.h"

#include "camera/InquiryReply.h"

namespace zka {

namespace {

constexpr const char* kLoginMessage = "Please enter correct user name and password for the administrator.";

} // namespace

void CameraContext::warn(const std::string& text)
{
    host_.prompter.show(Message{text, host_.texts(203), MessageIcon::Warning, MessageButtons::Ok});
}

bool CameraContext::checkModel(std::string_view reply, const CameraIdentity& identity, bool showMessage)
{
    if (identity.supported)
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

void CameraContext::recordIdentity(const CameraIdentity& identity)
{
    if (!identity.softVersion)
        return;
    const std::string& version = *identity.softVersion;
    std::lock_guard lock(versionMutex_);
    if (currentVersion_.empty()) {
        if (identity.emergency()) {
            currentVersion_ = "unknown";
            emergency_.store(true);
        } else {
            currentVersion_ = "ver" + version;
        }
    } else {
        latestVersion_ = "ver" + version;
    }
    if (latestVersion_.empty())
        latestVersion_ = "ver" + version;
}

bool CameraContext::checkSystemReply(const std::string& reply, bool showMessage)
{
    const CameraIdentity identity = CameraIdentity::fromSystemReply(reply, supportedModels_);
    if (!checkModel(reply, identity, showMessage))
        return false;
    recordIdentity(identity);
    return true;
}

bool CameraContext::readSystemReply(const std::string& reply, bool showMessage, SystemInfo& info)
{
    const bool supported = checkSystemReply(reply, showMessage);
    const CameraIdentity identity = CameraIdentity::fromSystemReply(reply, supportedModels_);
    info.model = identity.model;
    info.version = identity.versionText();
    info.serial = identity.serial;
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
    switch (checkAdministrator(reply, credential_)) {
    case UserCheck::Administrator:
        return true;
    case UserCheck::LoginRefused:
        return refuse(StatusCode::LoginError, kLoginMessage);
    case UserCheck::NoAdministrator:
        return refuse(StatusCode::NetworkError, host_.texts(212));
    case UserCheck::OtherUser:
        break;
    }
    return refuse(StatusCode::LoginError, "Level 4 users other than Administrator cannot run the program.");
}

bool CameraContext::readMacAddress(const std::string& reply, std::string& mac, int& tag) const
{
    mac = CameraIdentity::fromSystemReply(reply, {}).mac;
    tag = tag_;
    return !mac.empty();
}

} // namespace zka
