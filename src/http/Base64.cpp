#include "http/Base64.h"

#include <cstdint>

namespace zka {

std::string encodeBase64(std::string_view text)
{
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const std::size_t length = text.size() % 65536;
    std::string encoded;
    encoded.reserve((length + 2) / 3 * 4);
    for (std::size_t i = 0; i < length; i += 3) {
        const std::size_t left = length - i;
        const std::uint32_t group = static_cast<std::uint32_t>(static_cast<unsigned char>(text[i])) << 16
                                    | (left > 1 ? static_cast<std::uint32_t>(static_cast<unsigned char>(text[i + 1])) << 8 : 0u)
                                    | (left > 2 ? static_cast<std::uint32_t>(static_cast<unsigned char>(text[i + 2])) : 0u);
        encoded += kAlphabet[(group >> 18) & 0x3F];
        encoded += kAlphabet[(group >> 12) & 0x3F];
        encoded += left > 1 ? kAlphabet[(group >> 6) & 0x3F] : '=';
        encoded += left > 2 ? kAlphabet[group & 0x3F] : '=';
    }
    return encoded;
}

} // namespace zka
