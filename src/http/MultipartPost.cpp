#include "http/MultipartPost.h"

#include <charconv>

namespace zka {

const char* const MultipartPost::kAccept =
    "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
    "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*";

MultipartPost::MultipartPost(const Clock& clock, std::string_view addressText, std::string path, MultipartBody body,
                             std::span<const std::uint8_t> file, std::string authorization,
                             std::function<void()> onChunk)
    : body_(std::move(body))
    , stream_(body_, file, std::move(onChunk))
    , transfer_(clock, splitAddress(addressText), "POST", std::move(path))
{
    transfer_.setAccept(kAccept);
    transfer_.addHeader(body_.contentTypeHeader());
    transfer_.addHeader("Accept-Encoding: gzip, deflate");
    transfer_.addHeader("Connection: Keep-Alive");
    transfer_.addHeader("Proxy-Connection: Keep-Alive");
    transfer_.addHeader("Cache-Control: no-cache");
    transfer_.addHeader("Content-Length: " + std::to_string(body_.contentLength()));
    transfer_.addHeader(std::move(authorization));
    // The library is handed as much as it asks for at a time; progress still moves per chunk.
    transfer_.setBodySource(body_.contentLength(), kPieceSize,
                            [this](char* buffer, std::size_t capacity) { return stream_.fill(buffer, capacity); });
    // The camera's answer to an upload streams its flash steps with long pauses: only the wait for
    // its response headers is bounded. A camera that stops taking the body is given up on after the
    // same time.
    transfer_.setReceiveTimeout(kReceiveTimeout, HttpTransfer::ReceiveScope::UntilHeaders);
    transfer_.setSendTimeout(kReceiveTimeout);
    transfer_.onHeader([this](std::string_view line) {
        if (const int status = parseStatusLine(line); status != 0)
            httpStatus_ = status;
    });
}

int parseStatusLine(std::string_view line)
{
    if (line.substr(0, 5) != "HTTP/")
        return 0;
    const auto space = line.find(' ');
    if (space == std::string_view::npos)
        return 0;
    int status = 0;
    const char* first = line.data() + space + 1;
    const auto [end, error] = std::from_chars(first, line.data() + line.size(), status);
    if (error != std::errc() || end - first != 3)
        return 0;
    return status;
}

bool isSuccessStatus(int status)
{
    return status >= 200 && status <= 299;
}

} // namespace zka
