#pragma once

#include "camsim/CameraSpec.h"

#include <cstdint>
#include <optional>
#include <string>

namespace zka::camsim {

// How a default camera is derived from its address: serial "S" + 7 digits and MAC 08:00:46:xx:xx:xx
// from the low three octets, and a generated configuration file of several KB.
class CameraDefaults final {
public:
    // The versions a camera reports after the upgrade when its setup names none: the 3.x firmware
    // for cameras at 3.00 or later, the 2.x firmware for the others.
    static constexpr const char* kNewVersion3x = "3.15";
    static constexpr const char* kNewVersion2x = "2.45";

    static std::optional<std::uint32_t> parseAddress(const std::string& dotted);
    static std::string formatAddress(std::uint32_t address);
    // The next address for a fleet, skipping host parts 0 and 255.
    static std::uint32_t nextAddress(std::uint32_t address);

    // A default camera at address (which must be a dotted IPv4 address).
    static CameraSpec cameraAt(const std::string& address);
    // The configuration file a camera serves when its setup names none: deterministic key=value lines.
    static std::string generatedConfiguration(const CameraSpec& camera);
};

} // namespace zka::camsim
