#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zka {

// UTF-8 to UTF-16LE code units, as bytes (no byte-order mark, no terminator). nullopt when the
// input is not well-formed UTF-8.
std::optional<std::vector<std::uint8_t>> utf8ToUtf16Le(std::string_view utf8);

// A packaged text as UTF-8: the two bytes of the byte-order mark are skipped, then UTF-16LE up to
// the first NUL character or the end of the resource, whichever comes first. Bytes after the NUL
// and an odd last byte are never read; an unpaired surrogate becomes U+FFFD.
std::string decodeStoredText(std::span<const std::uint8_t> bytes);

} // namespace zka
