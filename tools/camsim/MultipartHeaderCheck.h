#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace zka::camsim {

// Checks the headers of a multipart upload (the firmware and the configuration restore) as the
// cameras' clients send them: the seven added headers, each exactly once and in this order,
//   Content-Type: multipart/form-data; boundary=B   (B: 27 hyphens, "7d", decimal digits)
//   Accept-Encoding: gzip, deflate / Connection: Keep-Alive / Proxy-Connection: Keep-Alive /
//   Cache-Control: no-cache / Content-Length: L / Authorization: Basic ...
// plus Host, the user agent "ZKA Upgrade Tool" and the one Accept header of the client, and nothing
// else. Names are compared without regard to case, values exactly.
class MultipartHeaderCheck final {
public:
    using Headers = std::vector<std::pair<std::string, std::string>>;

    explicit MultipartHeaderCheck(const Headers& headers);

    // Empty when the headers are right, else the first problem found.
    const std::string& problem() const { return problem_; }
    // The boundary and the announced body length, when they could be read (even with a problem).
    const std::string& boundary() const { return boundary_; }
    bool hasContentLength() const { return hasContentLength_; }
    std::uint64_t contentLength() const { return contentLength_; }

    static const std::string& acceptedTypes();

private:
    void check(const Headers& headers);
    void fail(std::string problem);

    std::string problem_;
    std::string boundary_;
    bool hasContentLength_ = false;
    std::uint64_t contentLength_ = 0;
};

} // namespace zka::camsim
