#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zka::camsim {

// Base64 (RFC 4648, padded, no line breaks) as the cameras use it in Basic authorization and in the
// "inq=user" reply. The simulator's own implementation, independent of the product's.
class Base64 final {
public:
    static std::string encode(std::string_view bytes);
    // nullopt when the text is not canonical padded Base64.
    static std::optional<std::string> decode(std::string_view text);
};

} // namespace zka::camsim
