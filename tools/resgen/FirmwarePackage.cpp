#include "FirmwarePackage.h"

#include "UstarWriter.h"
#include "resources/Sha256.h"

#include <array>
#include <cstring>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zka::resgen {

namespace {

struct Member {
    std::string_view name;
    std::size_t size;
    std::uint64_t seed; // 0: the member holds kVersionText
};

constexpr std::string_view kSumsName = "SHA256SUMS";
constexpr std::string_view kVersionText = "3.15\n";
// 2024-01-01 00:00:00 UTC on every member.
constexpr std::uint64_t kMtime = 1'704'067'200;

// Sizes chosen so that the headers, the contents rounded up to blocks and the two end blocks fill
// exactly 19,560 blocks; odd sizes keep the padding inside members exercised.
constexpr std::array<Member, 4> kMembers{{
    {"kernel.img", 2'345'678, 0x6b65726e656c2d31},
    {"rootfs.img", 6'429'000, 0x726f6f7466732d32},
    {"webui.img", 1'234'567, 0x77656275692d3033},
    {"version.txt", kVersionText.size(), 0},
}};

// splitmix64: a fixed, portable sequence; the bytes are taken little-endian whatever the host.
void fillPseudoRandom(std::span<std::uint8_t> out, std::uint64_t state)
{
    std::size_t i = 0;
    while (i < out.size()) {
        state += 0x9e3779b97f4a7c15;
        std::uint64_t z = state;
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9;
        z = (z ^ (z >> 27)) * 0x94d049bb133111eb;
        z ^= z >> 31;
        for (int b = 0; b < 8 && i < out.size(); ++b, z >>= 8)
            out[i++] = static_cast<std::uint8_t>(z);
    }
}

std::size_t sumsSize()
{
    std::size_t size = 0;
    for (const auto& member : kMembers)
        size += 64 + 2 + member.name.size() + 1;
    return size;
}

} // namespace

std::vector<std::uint8_t> buildFirmwarePackage()
{
    std::vector<std::uint8_t> archive(kFirmwarePackageSize, 0);
    UstarWriter writer(archive, kMtime);

    const auto sums = writer.addFile(kSumsName, sumsSize());
    std::string sumsText;
    for (const auto& member : kMembers) {
        const auto contents = writer.addFile(member.name, member.size);
        if (member.seed == 0)
            std::memcpy(contents.data(), kVersionText.data(), kVersionText.size());
        else
            fillPseudoRandom(contents, member.seed);
        sumsText += sha256Hex(contents) + "  " + std::string(member.name) + "\n";
    }
    writer.finish();

    if (sumsText.size() != sums.size())
        throw std::logic_error("SHA256SUMS size mismatch");
    std::memcpy(sums.data(), sumsText.data(), sumsText.size());
    return archive;
}

} // namespace zka::resgen
