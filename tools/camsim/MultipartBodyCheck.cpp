#include "camsim/MultipartBodyCheck.h"

#include <algorithm>
#include <cstdio>

namespace zka::camsim {

namespace {

std::string difference(const char* piece, const std::string& expected, const std::string& received)
{
    std::size_t at = 0;
    while (at < expected.size() && at < received.size() && expected[at] == received[at])
        ++at;
    const std::size_t from = at < 8 ? 0 : at - 8;
    return std::string(piece) + " differs at byte " + std::to_string(at) + ": expected \""
        + MultipartBodyCheck::printable(std::string_view(expected).substr(from, 48)) + "\", received \""
        + MultipartBodyCheck::printable(std::string_view(received).substr(from, 48)) + "\"";
}

} // namespace

MultipartBodyCheck::MultipartBodyCheck(const std::string& boundary, const std::string& field,
                                       const std::string& fileName, std::uint64_t contentLength, FileSink sink)
    : expectedHead_(expectedHead(boundary, field, fileName))
    , expectedTail_(expectedTail(boundary))
    , contentLength_(contentLength)
    , sink_(std::move(sink))
{
    if (contentLength_ >= expectedHead_.size() + expectedTail_.size())
        fileEnd_ = contentLength_ - expectedTail_.size();
    else
        fileEnd_ = expectedHead_.size(); // too short to hold a file: nothing goes to the sink
}

std::string MultipartBodyCheck::expectedHead(const std::string& boundary, const std::string& field,
                                             const std::string& fileName)
{
    return "\r\n" + boundary + "\r\nContent-Disposition: form-data; name=\"" + field + "\"; filename=\"" + fileName
        + "\"\r\nContent-Type: application/octet-stream\r\n\r\n";
}

std::string MultipartBodyCheck::expectedTail(const std::string& boundary)
{
    return "\r\n" + boundary + "--\r\n\r\n";
}

std::string MultipartBodyCheck::printable(std::string_view bytes)
{
    std::string out;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '"' || c == '\\')
            out += std::string("\\") + c;
        else if (u < 0x20 || u >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", u);
            out += hex;
        } else
            out += c;
    }
    return out;
}

void MultipartBodyCheck::feed(std::string_view bytes)
{
    const std::uint64_t start = received_;
    received_ += bytes.size();

    if (start < expectedHead_.size()) {
        const auto take = std::min<std::size_t>(bytes.size(), expectedHead_.size() - start);
        head_.append(bytes.substr(0, take));
    }
    const std::uint64_t fileFrom = std::max<std::uint64_t>(start, expectedHead_.size());
    const std::uint64_t fileTo = std::min<std::uint64_t>(received_, fileEnd_);
    if (fileFrom < fileTo && sink_)
        sink_(bytes.substr(static_cast<std::size_t>(fileFrom - start), static_cast<std::size_t>(fileTo - fileFrom)));

    // Keep the last tail-length bytes in a ring.
    const std::size_t keep = expectedTail_.size();
    if (bytes.size() >= keep) {
        lastBytes_.assign(bytes.substr(bytes.size() - keep));
        ringStart_ = 0;
        return;
    }
    for (const char c : bytes) {
        if (lastBytes_.size() < keep) {
            lastBytes_ += c;
        } else {
            lastBytes_[ringStart_] = c;
            ringStart_ = (ringStart_ + 1) % keep;
        }
    }
}

std::string MultipartBodyCheck::tail() const
{
    return lastBytes_.substr(ringStart_) + lastBytes_.substr(0, ringStart_);
}

std::string MultipartBodyCheck::finish() const
{
    if (head_ != expectedHead_)
        return difference("the head", expectedHead_, head_);
    if (contentLength_ < expectedHead_.size() + expectedTail_.size())
        return "Content-Length " + std::to_string(contentLength_) + " cannot hold the head and the tail";
    if (received_ != contentLength_)
        return "the body has " + std::to_string(received_) + " bytes, Content-Length announced "
            + std::to_string(contentLength_);
    if (tail() != expectedTail_)
        return difference("the tail", expectedTail_, tail());
    return {};
}

} // namespace zka::camsim
