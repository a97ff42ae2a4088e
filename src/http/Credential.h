#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zka {

// A camera client's credential holds 79 Base64 characters: the encoding of a
// "name:password" text of at most 57 bytes.
inline constexpr std::size_t kMaxLoginBytes = 57;

// The Basic credential of a login, Base64 of "name:password"; nullopt when the login is too long to
// fit the credential field.
std::optional<std::string> makeCredential(std::string_view name, std::string_view password);

} // namespace zka
