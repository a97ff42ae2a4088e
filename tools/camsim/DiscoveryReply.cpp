#include "camsim/DiscoveryReply.h"

namespace zka::camsim {

namespace {

const std::string kStx = "\x02";
const std::string kEnd = "\xFF";
const std::string kEtx = "\x03";

std::string field(const char* key, const std::string& value)
{
    return key + value + kEnd;
}

} // namespace

bool DiscoveryReply::isEnquiry(std::string_view datagram)
{
    static constexpr std::string_view kEnquiry("\x02" "ENQ:allinfo" "\xFF\x03", 14);
    return datagram == kEnquiry;
}

std::string DiscoveryReply::information(const CameraSpec& camera, const std::string& version)
{
    std::string reply = kStx;
    if (camera.zeroBeforeModel)
        reply += '\0';
    reply += field("MODEL:", camera.model);
    reply += field("SERIAL:", camera.serial);
    reply += field("MAC:", camera.mac);
    reply += field("DHCP:", camera.dhcp ? "ON" : "OFF");
    reply += field("DNSAUTO:", camera.dnsAuto ? "ON" : "OFF");
    reply += field("IPADR:", camera.reportedAddress.empty() ? camera.address : camera.reportedAddress);
    if (camera.reportsWebPort)
        reply += field("WEBPORT:", std::to_string(camera.webPort));
    reply += field("SOFTVERSION:", version);
    if (camera.oversizedDatagram && reply.size() + 1 < kOversizedLength) {
        // Still a valid reply: a filler field that no receiver looks for.
        const std::size_t fill = kOversizedLength - reply.size() - kEtx.size() - 6;
        reply += field("NOTE:", std::string(fill, 'x'));
    }
    return reply + kEtx;
}

std::vector<std::string> DiscoveryReply::datagrams(const CameraSpec& camera, const std::string& version)
{
    std::vector<std::string> out;
    if (!camera.answersDiscovery || camera.notACamera)
        return out;
    for (int i = 0; i < camera.discoveryRepeats; ++i)
        out.push_back(information(camera, version));
    if (camera.ackNak) {
        // Answers to network-setting requests: no MODEL: field.
        out.push_back(kStx + field("ACK:", "SETIP") + field("MAC:", camera.mac) + kEtx);
        out.push_back(kStx + field("NAK:", "SETIP") + field("MAC:", camera.mac) + kEtx);
    }
    return out;
}

} // namespace zka::camsim
