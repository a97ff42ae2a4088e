#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace zka {

// SHA-256 of the bytes as 64 lowercase hexadecimal digits (libcrypto's EVP interface).
std::string sha256Hex(std::span<const std::uint8_t> bytes);

} // namespace zka
