#include "http/MultipartStream.h"

#include <algorithm>
#include <cstring>

namespace zka {

MultipartStream::MultipartStream(const MultipartBody& body, std::span<const std::uint8_t> file,
                                 std::function<void()> onChunk, std::size_t chunkSize)
    : body_(body)
    , file_(file)
    , onChunk_(std::move(onChunk))
    , chunkSize_(chunkSize == 0 ? kChunkSize : chunkSize)
{
}

std::size_t MultipartStream::copyFixed(const std::string& piece, char* buffer, std::size_t capacity, Stage next)
{
    const std::size_t n = std::min(capacity, piece.size() - offset_);
    std::memcpy(buffer, piece.data() + offset_, n);
    offset_ += n;
    if (offset_ == piece.size()) {
        stage_ = next;
        offset_ = 0;
    }
    return n;
}

std::size_t MultipartStream::fill(char* buffer, std::size_t capacity)
{
    std::size_t total = 0;
    while (total < capacity && stage_ != Stage::Done) {
        char* out = buffer + total;
        const std::size_t room = capacity - total;
        std::size_t n = 0;
        switch (stage_) {
        case Stage::Head:
            n = copyFixed(body_.head(), out, room, file_.empty() ? Stage::Tail : Stage::File);
            break;
        case Stage::File:
            n = copyFile(out, room);
            break;
        case Stage::Tail:
            n = copyFixed(body_.tail(), out, room, Stage::Done);
            break;
        case Stage::Done:
            break;
        }
        total += n;
    }
    handedOver_ += total;
    return total;
}

std::size_t MultipartStream::copyFile(char* buffer, std::size_t capacity)
{
    const std::size_t n = std::min(capacity, file_.size() - offset_);
    std::memcpy(buffer, file_.data() + offset_, n);
    // Chunks are counted at multiples of chunkSize from the start of the file, so the size of the
    // pieces the HTTP layer asks for never shifts them: one step per chunk handed over.
    const std::size_t chunksBefore = offset_ / chunkSize_;
    offset_ += n;
    std::size_t chunksAfter = offset_ / chunkSize_;
    if (offset_ == file_.size() && offset_ % chunkSize_ != 0)
        ++chunksAfter; // the short last chunk
    for (std::size_t i = chunksBefore; i < chunksAfter; ++i) {
        ++chunks_;
        if (onChunk_)
            onChunk_();
    }
    if (offset_ == file_.size()) {
        stage_ = Stage::Tail;
        offset_ = 0;
    }
    return n;
}

} // namespace zka
