#include "http/MultipartBody.h"

namespace zka {

std::string MultipartBody::boundaryAt(std::chrono::system_clock::time_point when)
{
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(when.time_since_epoch()).count();
    return "---------------------------7d" + std::to_string(seconds);
}

MultipartBody::MultipartBody(std::string boundary, std::string_view fieldName, std::string_view fileName,
                             std::uint64_t fileSize)
    : boundary_(std::move(boundary))
    , fileSize_(fileSize)
{
    head_ = "\r\n" + boundary_ + "\r\nContent-Disposition: form-data; name=\"";
    head_ += fieldName;
    head_ += "\"; filename=\"";
    head_ += fileName;
    head_ += "\"\r\nContent-Type: application/octet-stream\r\n\r\n";
    tail_ = "\r\n" + boundary_ + "--\r\n\r\n";
}

std::uint64_t MultipartBody::contentLength() const
{
    return head_.size() + fileSize_ + tail_.size();
}

std::string MultipartBody::contentTypeHeader() const
{
    return "Content-Type: multipart/form-data; boundary=" + boundary_;
}

} // namespace zka
