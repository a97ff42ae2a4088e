#include "http/CameraEndpoint.h"

#include <algorithm>
#include <cctype>

namespace zka {

CameraEndpoint splitAddress(std::string_view addressText)
{
    const auto colon = addressText.find(':');
    if (colon == std::string_view::npos)
        return {std::string(addressText), "80"};
    return {std::string(addressText.substr(0, colon)), std::string(addressText.substr(colon + 1))};
}

long portNumber(const CameraEndpoint& endpoint)
{
    if (endpoint.port.empty())
        return 80;
    const std::string_view digits = std::string_view(endpoint.port).substr(0, 10);
    long value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            break;
        value = value * 10 + (c - '0');
    }
    return value;
}

bool hasPlainHost(const CameraEndpoint& endpoint)
{
    const std::string& host = endpoint.host;
    if (host.empty() || host.size() > 253)
        return false;
    return std::all_of(host.begin(), host.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '.' || c == '-';
    });
}

} // namespace zka
