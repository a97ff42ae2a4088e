#pragma once

#include <array>
#include <cstdint>

namespace zka {

// The discovery enquiry: STX, "ENQ:allinfo", 0xFF, ETX. Exactly 14 bytes, no terminating zero.
inline constexpr std::uint16_t kDiscoveryPort = 2380;
extern const std::array<std::uint8_t, 14> kDiscoveryEnquiry;

} // namespace zka
