#pragma once

#include "http/HttpTransfer.h"
#include "http/MultipartBody.h"
#include "http/MultipartStream.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace zka {

// The camera's file-upload request, shared by the firmware upload and the configuration restore:
// a POST with the long Accept list, the seven headers in the order the camera's web server was
// built against, and the multipart body streamed from the caller's memory (progress per 1460-byte
// chunk). Connecting, each stall of the body and the wait for the response headers are bounded by
// the receive time-out; the answer after the headers is not.
// The caller adds its own handlers to transfer() and performs it.
class MultipartPost final {
public:
    // The Accept header that the camera's own tools send.
    static const char* const kAccept;
    // The nominal receive time-out of the request.
    static constexpr Clock::Duration kReceiveTimeout{60000};
    // The most handed to the HTTP layer at a time.
    static constexpr std::size_t kPieceSize = 64 * 1024;

    // authorization: the whole header line, "Authorization: Basic " + credential.
    MultipartPost(const Clock& clock, std::string_view addressText, std::string path, MultipartBody body,
                  std::span<const std::uint8_t> file, std::string authorization, std::function<void()> onChunk);
    MultipartPost(const MultipartPost&) = delete;
    MultipartPost& operator=(const MultipartPost&) = delete;

    HttpTransfer& transfer() { return transfer_; }
    const MultipartBody& body() const { return body_; }
    const MultipartStream& stream() const { return stream_; }
    // The status code of the last status line received; 0 before any.
    int httpStatus() const { return httpStatus_; }

private:
    MultipartBody body_;
    MultipartStream stream_;
    HttpTransfer transfer_;
    int httpStatus_ = 0;
};

// The status code of an HTTP status line ("HTTP/1.1 200 OK"), or 0 when the line is not one.
int parseStatusLine(std::string_view line);
bool isSuccessStatus(int status);

} // namespace zka
