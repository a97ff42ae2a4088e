#pragma once

#include "camsim/CameraSpec.h"

#include <string>

namespace zka::camsim {

// The texts a camera answers to "/command/inquiry.cgi": one line of "&"-separated key=value pairs.
class InquiryReplies final {
public:
    static constexpr std::size_t kOversizedLength = 6000;

    // "inq=system": model, serial, version, document type (and PanTiltFunc=1 on pan-tilt cameras).
    static std::string system(const CameraSpec& camera, const std::string& version);
    // "inq=user": the administrator's Base64 credential with every "=" sent as "%3D".
    static std::string user(const CameraSpec& camera);
    // "inq=network": the MAC address with colons and the address settings.
    static std::string network(const CameraSpec& camera);
};

} // namespace zka::camsim
