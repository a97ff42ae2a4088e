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
    if (capacity == 0)
        return 0;
    std::size_t n = 0;
    switch (stage_) {
    case Stage::Head:
        n = copyFixed(body_.head(), buffer, capacity, file_.empty() ? Stage::Tail : Stage::File);
        break;
    case Stage::File: {
        // Chunks are cut at multiples of chunkSize from the start of the file, so a short buffer
        // offered by the HTTP layer only splits a chunk, it never shifts the later ones.
        const std::size_t inChunk = offset_ % chunkSize_;
        n = std::min({capacity, chunkSize_ - inChunk, file_.size() - offset_});
        std::memcpy(buffer, file_.data() + offset_, n);
        offset_ += n;
        if (offset_ % chunkSize_ == 0 || offset_ == file_.size()) {
            ++chunks_;
            if (onChunk_)
                onChunk_();
        }
        if (offset_ == file_.size()) {
            stage_ = Stage::Tail;
            offset_ = 0;
        }
        break;
    }
    case Stage::Tail:
        n = copyFixed(body_.tail(), buffer, capacity, Stage::Done);
        break;
    case Stage::Done:
        return 0;
    }
    handedOver_ += n;
    return n;
}

} // namespace zka
