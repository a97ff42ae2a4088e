#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace zka {

// One discovered camera, laid out as the camera table keeps it: fixed-size zero-terminated ASCII
// texts and plain numbers, so a table of 256 needs no allocation. A record whose mac is empty is a
// free slot.
struct CameraRecord {
    std::array<char, 32> model{};
    std::array<char, 12> serial{};
    std::array<char, 16> softVersion{};
    std::array<char, 18> mac{};                 // the camera's identity, as the camera sends it
    std::array<std::uint8_t, 4> ipAddress{};    // most significant octet first
    std::int32_t dhcp = 0;
    std::int32_t dnsAuto = 0;
    std::int32_t httpPort = 0;

    bool empty() const;
    std::string_view modelText() const;
    std::string_view serialText() const;
    std::string_view softVersionText() const;
    std::string_view macText() const;
    // "a.b.c.d", followed by ":port" when the port is not 80.
    std::string addressText() const;
};

// The text of a field: up to its first zero byte.
std::string_view fieldText(std::span<const char> field);
// Stores value in field, cut to the field's size minus one and zero-terminated; the rest is zeroed.
void setFieldText(std::span<char> field, std::string_view value);

} // namespace zka
