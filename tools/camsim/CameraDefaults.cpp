#include "camsim/CameraDefaults.h"

#include "camsim/Fleet.h"

#include <cstdio>

namespace zka::camsim {

std::optional<std::uint32_t> CameraDefaults::parseAddress(const std::string& dotted)
{
    unsigned a = 0, b = 0, c = 0, d = 0;
    char extra = 0;
    if (std::sscanf(dotted.c_str(), "%3u.%3u.%3u.%3u%c", &a, &b, &c, &d, &extra) != 4 || a > 255 || b > 255
        || c > 255 || d > 255)
        return std::nullopt;
    if (formatAddress(a << 24 | b << 16 | c << 8 | d) != dotted)
        return std::nullopt; // no leading zeros, signs or blanks
    return a << 24 | b << 16 | c << 8 | d;
}

std::string CameraDefaults::formatAddress(std::uint32_t address)
{
    return std::to_string(address >> 24) + "." + std::to_string(address >> 16 & 255) + "."
        + std::to_string(address >> 8 & 255) + "." + std::to_string(address & 255);
}

std::uint32_t CameraDefaults::nextAddress(std::uint32_t address)
{
    do
        ++address;
    while ((address & 255) == 0 || (address & 255) == 255);
    return address;
}

CameraSpec CameraDefaults::cameraAt(const std::string& address)
{
    CameraSpec camera;
    camera.address = address;
    const std::uint32_t low = parseAddress(address).value_or(0) & 0xFFFFFF;
    char text[32];
    std::snprintf(text, sizeof text, "S%07u", low);
    camera.serial = text;
    std::snprintf(text, sizeof text, "08:00:46:%02X:%02X:%02X", low >> 16, low >> 8 & 255, low & 255);
    camera.mac = text;
    return camera;
}

std::string CameraDefaults::generatedConfiguration(const CameraSpec& camera)
{
    std::string out = "[system]\r\nModelName=" + camera.model + "\r\nSerial=" + camera.serial + "\r\nMacAddress="
        + camera.mac + "\r\nCameraName=Camera " + camera.serial + "\r\n";
    static const char* const kSections[] = {"network", "image", "exposure", "stream1", "stream2",
                                            "alarm", "schedule", "users"};
    unsigned value = 0;
    for (const char* c = camera.serial.c_str(); *c != '\0'; ++c)
        value = value * 31 + static_cast<unsigned char>(*c);
    for (const char* section : kSections) {
        out += std::string("[") + section + "]\r\n";
        for (int key = 1; key <= 24; ++key) {
            value = value * 1103515245u + 12345u;
            out += section + std::string("Param") + std::to_string(key) + "=" + std::to_string(value >> 16 & 0x7FFF)
                + "\r\n";
        }
    }
    return out;
}

std::vector<CameraSpec> defaultFleet(int count, const std::string& firstAddress)
{
    std::vector<CameraSpec> cameras;
    auto address = CameraDefaults::parseAddress(firstAddress);
    if (!address)
        return cameras;
    for (int i = 0; i < count; ++i) {
        cameras.push_back(CameraDefaults::cameraAt(CameraDefaults::formatAddress(*address)));
        address = CameraDefaults::nextAddress(*address);
    }
    return cameras;
}

} // namespace zka::camsim
