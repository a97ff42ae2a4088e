#pragma once

#include "discovery/CameraRecord.h"
#include "discovery/DiscoveryTable.h"
#include "resources/SupportedModels.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace zka {

// Camera information replies: ASCII fields, each a key immediately followed by its value, the value
// ending at the next 0xFF. Keys are found by searching the datagram as a zero-terminated string, so
// field order and framing bytes do not matter, and nothing after a zero byte is seen.

// The datagram as the parser sees it: its bytes up to the first zero byte.
std::string_view datagramText(std::span<const std::uint8_t> datagram);
// The value after the first occurrence of key, up to the next 0xFF or the end of the text; empty
// when the key is missing.
std::string_view replyValue(std::string_view text, std::string_view key);
// "%d.%d.%d.%d" read of the first 15 characters: each number keeps its low 8 bits, numbers that
// cannot be read are 0.
std::array<std::uint8_t, 4> parseReplyAddress(std::string_view value);
// The first 15 characters: empty gives 80, otherwise the value of the leading decimal digits (0
// when there are none).
std::int32_t parseReplyWebPort(std::string_view value);
// The record a reply describes, or nothing when its model is not among the first ten supported
// models or it carries no MAC.
std::optional<CameraRecord> parseCameraReply(std::string_view text, const SupportedModels* models);
// What the listener does with one received datagram: replies carrying "MODEL:" are parsed and
// stored in the table; everything else (ACK:/NAK: answers included) is dropped.
DiscoveryTable::StoreResult dispatchDatagram(std::span<const std::uint8_t> datagram, DiscoveryTable& table);

} // namespace zka
