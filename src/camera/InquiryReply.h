#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zka {

// Readers of an inquiry reply: "Key=value" pairs separated by "&". A key is found anywhere in the
// reply (first occurrence); its value runs from just after the key to the next "&", or to the end.

// The value, or nullopt when the key does not occur.
std::optional<std::string> findReplyValue(std::string_view reply, std::string_view key);
// The value, empty when the key does not occur.
std::string replyValue(std::string_view reply, std::string_view key);

// Whether the reply is the camera's refusal of the login ("401 Unauthorized").
bool loginRefused(std::string_view reply);

// The "DocType=" value (empty when absent): it chooses the firmware package slot. By value, so no
// caller's text is replaced by a later call.
std::string readDocType(std::string_view reply);

} // namespace zka
