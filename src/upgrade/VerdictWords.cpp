#include "upgrade/VerdictWords.h"

#include "camera/StatusCode.h"
#include "resources/ResourceText.h"

namespace zka {

std::string refusalWarning(TargetVerdict verdict, const ResourceText& texts, const std::string& principal)
{
    switch (verdict) {
    case TargetVerdict::LoginRefused:
        return "Please enter correct user name and password for the administrator.";
    case TargetVerdict::NotACamera:
    case TargetVerdict::UnsupportedModel:
        return "This program works for the " + principal + ". Please select the correct camera.";
    case TargetVerdict::NotAdministrator:
        return "Level 4 users other than Administrator cannot run the program.";
    case TargetVerdict::NoAnswer:
    case TargetVerdict::NoAdministratorNamed:
    case TargetVerdict::Accepted:
    case TargetVerdict::Stopped:
        break;
    }
    // "Cannot find the camera": nothing answered as a camera does.
    return texts(212);
}

RowRefusal rowRefusal(TargetVerdict verdict)
{
    constexpr int kNotFound = static_cast<int>(StatusCode::NetworkError);
    constexpr int kLoginError = static_cast<int>(StatusCode::LoginError);
    switch (verdict) {
    case TargetVerdict::NoAnswer:
        return {kNotFound, "no answer"};
    case TargetVerdict::LoginRefused:
        return {kLoginError, "login refused"};
    case TargetVerdict::NotACamera:
    case TargetVerdict::NoAdministratorNamed:
        return {kNotFound, "not a camera"};
    case TargetVerdict::UnsupportedModel:
        return {kNotFound, "not a supported model"};
    case TargetVerdict::NotAdministrator:
        return {kLoginError, "not the administrator's login"};
    case TargetVerdict::Accepted:
    case TargetVerdict::Stopped:
        break;
    }
    return {};
}

} // namespace zka
