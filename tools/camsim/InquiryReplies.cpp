#include "camsim/InquiryReplies.h"

#include "camsim/Base64.h"

namespace zka::camsim {

namespace {

std::string percentEquals(const std::string& base64)
{
    std::string out;
    for (const char c : base64)
        out += c == '=' ? std::string("%3D") : std::string(1, c);
    return out;
}

} // namespace

std::string InquiryReplies::system(const CameraSpec& camera, const std::string& version)
{
    std::string reply = "ModelName=" + camera.model + "&Serial=" + camera.serial + "&SoftVersion=" + version
        + "&DocType=" + camera.docType;
    if (camera.panTilt)
        reply += "&PanTiltFunc=1";
    reply += "&BootVersion=1.02&SensorType=CMOS";
    if (camera.oversizedInquiry) {
        // More than one reply buffer of the client; the keys it reads come first.
        for (int i = 1; reply.size() < kOversizedLength; ++i)
            reply += "&Reserved" + std::to_string(i) + "=" + std::string(48, 'r');
    }
    return reply;
}

std::string InquiryReplies::user(const CameraSpec& camera)
{
    std::string reply = "Administrator=" + percentEquals(Base64::encode(camera.adminUser + ":" + camera.adminPassword));
    if (!camera.userName.empty())
        reply += "&User1=" + percentEquals(Base64::encode(camera.userName + ":" + camera.userPassword)) + "&User1Level=2";
    return reply + "&ViewerMode=full";
}

std::string InquiryReplies::network(const CameraSpec& camera)
{
    const std::string& address = camera.reportedAddress.empty() ? camera.address : camera.reportedAddress;
    return "MacAddress=" + camera.mac + "&IpAddress=" + address + "&SubnetMask=255.255.255.0&Dhcp="
        + (camera.dhcp ? "on" : "off") + "&DnsAuto=" + (camera.dnsAuto ? "on" : "off")
        + "&HttpPort=" + std::to_string(camera.webPort);
}

} // namespace zka::camsim
