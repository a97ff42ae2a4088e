#pragma once

#include <string>
#include <string_view>

namespace zka {

// Base64 (RFC 4648 alphabet, "=" padding, no line breaks) of the first (length modulo 65536) bytes of
// text: the Basic credential is the encoding of "name:password". Returned by value, so a later call
// never changes a text an earlier caller still holds.
std::string encodeBase64(std::string_view text);

} // namespace zka
