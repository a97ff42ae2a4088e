#pragma once

#include <string>
#include <string_view>

namespace zka {

// Host and port of a camera address text: the part before the first ':' and the part after it, or
// the whole text and "80" when there is no ':'.
struct CameraEndpoint {
    std::string host;
    std::string port;
};
CameraEndpoint splitAddress(std::string_view addressText);
// The port as a number: the decimal value of at most 10 characters of the port text (80 when empty).
long portNumber(const CameraEndpoint& endpoint);
// Whether the host is a host name or a dotted address and nothing else: anything more (a path, a
// user part, a second port) would make a URL address something other than the camera named.
bool hasPlainHost(const CameraEndpoint& endpoint);

} // namespace zka
