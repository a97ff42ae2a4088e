#pragma once

#include "http/MultipartBody.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace zka {

// Streams a multipart body to the HTTP layer: the head, the file read straight from the caller's
// memory, then the tail, in pieces as large as the HTTP layer asks for. The file counts in chunks
// of `chunkSize` bytes (one network segment's payload): each chunk is reported to `onChunk` once
// its last byte has been handed over, which is what moves the progress display once per segment.
class MultipartStream final {
public:
    static constexpr std::size_t kChunkSize = 1460;

    MultipartStream(const MultipartBody& body, std::span<const std::uint8_t> file, std::function<void()> onChunk,
                    std::size_t chunkSize = kChunkSize);
    MultipartStream(const MultipartStream&) = delete;
    MultipartStream& operator=(const MultipartStream&) = delete;

    // Fills buffer with the next capacity bytes of the body (fewer only at its end); 0 once
    // everything was handed over.
    std::size_t fill(char* buffer, std::size_t capacity);

    // True once the last byte of the tail was handed over.
    bool complete() const { return stage_ == Stage::Done; }
    std::uint64_t handedOver() const { return handedOver_; }
    std::uint64_t chunksHandedOver() const { return chunks_; }

private:
    enum class Stage { Head, File, Tail, Done };
    std::size_t copyFixed(const std::string& piece, char* buffer, std::size_t capacity, Stage next);
    std::size_t copyFile(char* buffer, std::size_t capacity);

    const MultipartBody& body_;
    std::span<const std::uint8_t> file_;
    std::function<void()> onChunk_;
    std::size_t chunkSize_;
    Stage stage_ = Stage::Head;
    std::size_t offset_ = 0; // within the current stage
    std::uint64_t handedOver_ = 0;
    std::uint64_t chunks_ = 0;
};

} // namespace zka
