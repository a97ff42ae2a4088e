#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace zka {

// The fixed pieces of the one-file multipart body that the camera's upload and restore commands
// accept: the head before the file, the tail after it and the total length. The camera's parser
// expects the delimiter lines to carry the boundary itself (CR LF + B, closing B + "--"), not the
// usual "--" + B, so the pieces are built byte for byte here rather than by a generic encoder.
class MultipartBody final {
public:
    // "---------------------------7d" followed by the seconds since 1970 of `when`.
    static std::string boundaryAt(std::chrono::system_clock::time_point when);

    MultipartBody(std::string boundary, std::string_view fieldName, std::string_view fileName, std::uint64_t fileSize);

    const std::string& boundary() const { return boundary_; }
    const std::string& head() const { return head_; }
    const std::string& tail() const { return tail_; }
    std::uint64_t fileSize() const { return fileSize_; }
    // Head + file + tail: the Content-Length of the request.
    std::uint64_t contentLength() const;
    // "Content-Type: multipart/form-data; boundary=" + B, without a line end.
    std::string contentTypeHeader() const;

private:
    std::string boundary_;
    std::string head_;
    std::string tail_;
    std::uint64_t fileSize_ = 0;
};

} // namespace zka
