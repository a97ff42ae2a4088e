#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace zka::resgen {

// Lays out a ustar archive in a caller-provided, zero-filled buffer of the archive's final size.
// Files are placed in call order; the caller fills each file's bytes in place afterwards, so a
// 10 MB archive is written without a single copy.
class UstarWriter final {
public:
    static constexpr std::size_t kBlock = 512;

    // `mtime` (seconds since 1970) is stamped on every member, so the archive never depends on the clock.
    UstarWriter(std::span<std::uint8_t> archive, std::uint64_t mtime);
    UstarWriter(const UstarWriter&) = delete;
    UstarWriter& operator=(const UstarWriter&) = delete;

    // Writes the header of a regular file (mode 0644, owner root) and returns the space for its
    // contents. Throws when the name is longer than 100 bytes or the file does not fit.
    std::span<std::uint8_t> addFile(std::string_view name, std::size_t size);
    // Checks that the two zero end blocks fit; what follows them stays zero (record padding).
    void finish() const;

    // Blocks one file takes: its header and its contents rounded up to whole blocks.
    static std::size_t blocksFor(std::size_t size) { return 1 + (size + kBlock - 1) / kBlock; }

private:
    std::span<std::uint8_t> archive_;
    std::uint64_t mtime_;
    std::size_t used_ = 0;
};

} // namespace zka::resgen
