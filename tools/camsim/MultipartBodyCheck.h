#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace zka::camsim {

// Checks the body of a one-file multipart upload byte for byte as it streams in:
//   head: CR LF, B, CR LF, Content-Disposition: form-data; name="<field>"; filename="<file>" CR LF
//         Content-Type: application/octet-stream CR LF CR LF
//   the file, handed to a sink piece by piece (the bytes between head and tail by Content-Length)
//   tail: CR LF, B, "--", CR LF, CR LF
// The delimiter lines carry the boundary itself, not two hyphens and the boundary.
class MultipartBodyCheck final {
public:
    using FileSink = std::function<void(std::string_view)>;

    MultipartBodyCheck(const std::string& boundary, const std::string& field, const std::string& fileName,
                       std::uint64_t contentLength, FileSink sink);

    void feed(std::string_view bytes);
    // Empty when the body was right, else the first problem found.
    std::string finish() const;

    // The first head-length and the last tail-length bytes received.
    const std::string& head() const { return head_; }
    std::string tail() const;
    std::uint64_t received() const { return received_; }

    static std::string expectedHead(const std::string& boundary, const std::string& field, const std::string& fileName);
    static std::string expectedTail(const std::string& boundary);
    // Control and non-ASCII bytes as escapes, for verdicts.
    static std::string printable(std::string_view bytes);

private:
    std::string expectedHead_;
    std::string expectedTail_;
    std::uint64_t contentLength_;
    std::uint64_t fileEnd_ = 0; // offset of the tail
    FileSink sink_;
    std::uint64_t received_ = 0;
    std::string head_;
    std::string lastBytes_; // ring of the last tail-length bytes
    std::size_t ringStart_ = 0;
};

} // namespace zka::camsim
