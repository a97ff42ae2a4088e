#pragma once

#include "camsim/CameraSpec.h"

#include <string>
#include <string_view>
#include <vector>

namespace zka::camsim {

// The discovery datagrams of the cameras: the 14-byte enquiry they answer, and what one camera sends
// back (STX, "KEY:value" fields each ended by 0xFF, ETX), with the camera's datagram faults.
class DiscoveryReply final {
public:
    static constexpr unsigned short kPort = 2380;
    static constexpr std::size_t kOversizedLength = 1500;

    static bool isEnquiry(std::string_view datagram);
    // Every datagram the camera sends for one enquiry, in order (empty when it does not answer).
    static std::vector<std::string> datagrams(const CameraSpec& camera, const std::string& version);
    // The one camera information reply.
    static std::string information(const CameraSpec& camera, const std::string& version);
};

} // namespace zka::camsim
