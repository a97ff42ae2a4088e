#include "UstarWriter.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

namespace zka::resgen {

namespace {

// Writes `value` as zero-padded octal digits filling `width - 1` bytes, then a NUL.
void putOctal(std::uint8_t* field, std::size_t width, std::uint64_t value)
{
    std::string digits(width - 1, '0');
    for (std::size_t i = width - 1; i-- > 0 && value != 0; value >>= 3)
        digits[i] = static_cast<char>('0' + (value & 7));
    if (value != 0)
        throw std::runtime_error("ustar field overflow");
    std::memcpy(field, digits.data(), width - 1);
    field[width - 1] = 0;
}

void putText(std::uint8_t* field, std::size_t width, std::string_view text)
{
    if (text.size() > width)
        throw std::runtime_error("ustar name too long: " + std::string(text));
    std::memcpy(field, text.data(), text.size());
}

} // namespace

UstarWriter::UstarWriter(std::span<std::uint8_t> archive, std::uint64_t mtime)
    : archive_(archive)
    , mtime_(mtime)
{
}

std::span<std::uint8_t> UstarWriter::addFile(std::string_view name, std::size_t size)
{
    const std::size_t blocks = blocksFor(size);
    if (used_ + blocks * kBlock > archive_.size())
        throw std::runtime_error("ustar archive overflow at " + std::string(name));

    std::uint8_t* header = archive_.data() + used_;
    putText(header + 0, 100, name);
    putOctal(header + 100, 8, 0644);
    putOctal(header + 108, 8, 0);
    putOctal(header + 116, 8, 0);
    putOctal(header + 124, 12, size);
    putOctal(header + 136, 12, mtime_);
    header[156] = '0';
    std::memcpy(header + 257, "ustar", 6); // magic with its NUL
    std::memcpy(header + 263, "00", 2);
    putText(header + 265, 32, "root");
    putText(header + 297, 32, "root");
    putOctal(header + 329, 8, 0);
    putOctal(header + 337, 8, 0);

    // The checksum counts its own field as eight blanks; it is stored as six digits, NUL, blank.
    std::memset(header + 148, ' ', 8);
    unsigned sum = 0;
    for (std::size_t i = 0; i < kBlock; ++i)
        sum += header[i];
    putOctal(header + 148, 7, sum);
    header[155] = ' ';

    const auto contents = archive_.subspan(used_ + kBlock, size);
    used_ += blocks * kBlock;
    return contents;
}

void UstarWriter::finish() const
{
    if (used_ + 2 * kBlock > archive_.size())
        throw std::runtime_error("no room for the ustar end blocks");
}

} // namespace zka::resgen
