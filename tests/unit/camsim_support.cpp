#include "camsim_support.h"

#include "camsim/MultipartHeaderCheck.h"

#include <openssl/evp.h>

#include <cstdio>
#include <cstring>

namespace zka::camsim::test {

std::string sha256Hex(const std::string& bytes)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned length = 0;
    EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr);
    std::string out;
    char two[3];
    for (unsigned i = 0; i < length; ++i) {
        std::snprintf(two, sizeof two, "%02x", digest[i]);
        out += two;
    }
    return out;
}

std::string ustar(const std::vector<std::pair<std::string, std::string>>& members)
{
    std::string archive;
    for (const auto& [name, contents] : members) {
        char header[512] = {};
        std::snprintf(header, 100, "%s", name.c_str());
        std::snprintf(header + 100, 8, "%07o", 0644);
        std::snprintf(header + 108, 8, "%07o", 0);
        std::snprintf(header + 116, 8, "%07o", 0);
        std::snprintf(header + 124, 12, "%011lo", static_cast<unsigned long>(contents.size()));
        std::snprintf(header + 136, 12, "%011o", 0);
        header[156] = '0';
        std::memcpy(header + 257, "ustar", 6);
        std::memcpy(header + 263, "00", 2);
        std::memset(header + 148, ' ', 8);
        unsigned sum = 0;
        for (unsigned char c : header)
            sum += c;
        std::snprintf(header + 148, 8, "%06o", sum);
        archive.append(header, sizeof header);
        archive += contents;
        archive.append((512 - contents.size() % 512) % 512, '\0');
    }
    archive.append(1024, '\0');
    return archive;
}

std::string firmwarePackage(const std::vector<std::pair<std::string, std::string>>& members)
{
    std::string list;
    for (const auto& [name, contents] : members)
        list += sha256Hex(contents) + "  " + name + "\n";
    std::vector<std::pair<std::string, std::string>> all{{"SHA256SUMS", list}};
    all.insert(all.end(), members.begin(), members.end());
    return ustar(all);
}

Upload multipartUpload(const std::string& field, const std::string& fileName, const std::string& file,
                       const std::string& credentialBase64)
{
    Upload upload;
    upload.boundary = "---------------------------7d1765094400";
    upload.body = "\r\n" + upload.boundary + "\r\nContent-Disposition: form-data; name=\"" + field + "\"; filename=\""
        + fileName + "\"\r\nContent-Type: application/octet-stream\r\n\r\n" + file + "\r\n" + upload.boundary
        + "--\r\n\r\n";
    upload.headers = {
        {"Content-Type", "multipart/form-data; boundary=" + upload.boundary},
        {"Accept-Encoding", "gzip, deflate"},
        {"Connection", "Keep-Alive"},
        {"Proxy-Connection", "Keep-Alive"},
        {"Cache-Control", "no-cache"},
        {"Content-Length", std::to_string(upload.body.size())},
        {"Authorization", "Basic " + credentialBase64},
        {"Accept", MultipartHeaderCheck::acceptedTypes()},
    };
    return upload;
}

} // namespace zka::camsim::test
