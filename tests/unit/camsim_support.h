#pragma once

#include <string>
#include <utility>
#include <vector>

namespace zka::camsim::test {

// A ustar archive of the given members (name, contents), ended by two zero blocks.
std::string ustar(const std::vector<std::pair<std::string, std::string>>& members);
// A firmware package as the cameras expect it: "SHA256SUMS" listing every other member, then them.
std::string firmwarePackage(const std::vector<std::pair<std::string, std::string>>& members);
std::string sha256Hex(const std::string& bytes);

// A multipart upload as the product sends it: its boundary, body and the headers it adds, in order.
struct Upload {
    std::string boundary;
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers; // Content-Type ... Authorization, Accept
};
Upload multipartUpload(const std::string& field, const std::string& fileName, const std::string& file,
                       const std::string& credentialBase64);

} // namespace zka::camsim::test
