// The firmware package the build generates: an exact-size ustar archive whose first member,
// SHA256SUMS, lists the SHA-256 of every other member. Read here with a parser of the test's own.
#include "resources/PackagedResources.h"
#include "resources/Sha256.h"

#include <gtest/gtest.h>

#include <cstring>
#include <algorithm>
#include <string>

namespace zka {
namespace {

constexpr std::size_t kBlock = 512;

struct TarMember {
    std::string name;
    std::span<const std::uint8_t> contents;
};

std::string field(std::span<const std::uint8_t> header, std::size_t offset, std::size_t width)
{
    const auto* begin = reinterpret_cast<const char*>(header.data() + offset);
    return std::string(begin, strnlen(begin, width));
}

std::uint64_t octal(std::span<const std::uint8_t> header, std::size_t offset, std::size_t width)
{
    std::uint64_t value = 0;
    for (const char c : field(header, offset, width)) {
        if (c == ' ')
            continue;
        EXPECT_TRUE(c >= '0' && c <= '7') << "octal field at " << offset;
        value = value * 8 + static_cast<std::uint64_t>(c - '0');
    }
    return value;
}

// Checks every header and returns the members in archive order; fails the test on a bad header.
std::vector<TarMember> readUstar(std::span<const std::uint8_t> archive)
{
    std::vector<TarMember> members;
    std::size_t pos = 0;
    while (pos + kBlock <= archive.size()) {
        const auto header = archive.subspan(pos, kBlock);
        if (std::all_of(header.begin(), header.end(), [](std::uint8_t b) { return b == 0; }))
            break;
        unsigned sum = 0;
        for (std::size_t i = 0; i < kBlock; ++i)
            sum += (i >= 148 && i < 156) ? ' ' : header[i];
        const std::string name = field(header, 0, 100);
        EXPECT_EQ(octal(header, 148, 8), sum) << name;
        EXPECT_EQ(std::memcmp(header.data() + 257, "ustar\0" "00", 8), 0) << name;
        EXPECT_EQ(header[156], '0') << name;
        EXPECT_EQ(octal(header, 100, 8), 0644u) << name;
        EXPECT_EQ(octal(header, 136, 12), 1'704'067'200u) << name;
        const auto size = octal(header, 124, 12);
        if (pos + kBlock + size > archive.size()) {
            ADD_FAILURE() << name << " runs past the end";
            return members;
        }
        members.push_back({name, archive.subspan(pos + kBlock, size)});
        const std::size_t padded = (size + kBlock - 1) / kBlock * kBlock;
        // The padding of the last block of a member is zero.
        for (std::size_t i = pos + kBlock + size; i < pos + kBlock + padded; ++i)
            EXPECT_EQ(archive[i], 0) << name;
        pos += kBlock + padded;
    }
    // Two zero end blocks, then zero padding to the end of the last record.
    EXPECT_GE(archive.size() - pos, 2 * kBlock);
    EXPECT_TRUE(std::all_of(archive.begin() + static_cast<std::ptrdiff_t>(pos), archive.end(),
                            [](std::uint8_t b) { return b == 0; }));
    return members;
}

TEST(FirmwarePackageTest, IsAnExactSizeUstarWithMatchingChecksums)
{
    const auto package = embeddedResources().find(ResourceKind::Bin, 143);
    ASSERT_TRUE(package);
    EXPECT_EQ(package->size(), 10'014'720u);
    EXPECT_EQ(package->size() % 10'240, 0u);
    EXPECT_EQ(sha256Hex(*package), builtPackageSha256());

    const auto members = readUstar(*package);
    ASSERT_GE(members.size(), 4u);
    EXPECT_EQ(members[0].name, "SHA256SUMS");
    std::string expected;
    for (std::size_t i = 1; i < members.size(); ++i)
        expected += sha256Hex(members[i].contents) + "  " + members[i].name + "\n";
    EXPECT_EQ(std::string(members[0].contents.begin(), members[0].contents.end()), expected);

    std::vector<std::string> names;
    for (const auto& member : members)
        names.push_back(member.name);
    EXPECT_EQ(names, (std::vector<std::string>{"SHA256SUMS", "kernel.img", "rootfs.img", "webui.img", "version.txt"}));
    EXPECT_EQ(std::string(members[4].contents.begin(), members[4].contents.end()), "3.15\n");
    // The images are not blank: distinct leading bytes in each.
    EXPECT_NE(std::memcmp(members[1].contents.data(), members[2].contents.data(), 64), 0);
    EXPECT_NE(std::count(members[3].contents.begin(), members[3].contents.end(), 0), static_cast<std::ptrdiff_t>(members[3].contents.size()));
}

} // namespace
} // namespace zka
