#include "http/Credential.h"

#include "http/Base64.h"

namespace zka {

std::optional<std::string> makeCredential(std::string_view name, std::string_view password)
{
    std::string plain;
    plain.reserve(name.size() + 1 + password.size());
    plain.append(name).append(":").append(password);
    if (plain.size() > kMaxLoginBytes)
        return std::nullopt;
    return encodeBase64(plain);
}

} // namespace zka
