// The multipart pieces of the firmware upload and the configuration restore, and the streaming of
// the body in 1460-byte chunks.
#include "http/MultipartBody.h"
#include "http/MultipartStream.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace zka {
namespace {

using std::chrono::seconds;
using std::chrono::system_clock;

const system_clock::time_point kTenDigitTime{seconds(1228577400)}; // 2008-12-06 15:30 UTC

TEST(MultipartBodyTest, UploadPiecesAreExactBytes)
{
    const std::string boundary = MultipartBody::boundaryAt(kTenDigitTime);
    EXPECT_EQ(boundary, "---------------------------7d1228577400");
    EXPECT_EQ(boundary.size(), 39u);

    const MultipartBody body(boundary, "setting_file", "upgrade.bin", 10014720);
    EXPECT_EQ(body.head(), "\r\n---------------------------7d1228577400\r\n"
                           "Content-Disposition: form-data; name=\"setting_file\"; filename=\"upgrade.bin\"\r\n"
                           "Content-Type: application/octet-stream\r\n\r\n");
    EXPECT_EQ(body.head().size(), 162u);
    EXPECT_EQ(body.tail(), "\r\n---------------------------7d1228577400--\r\n\r\n");
    EXPECT_EQ(body.tail().size(), 47u);
    EXPECT_EQ(body.contentLength(), 162u + 10014720u + 47u);
    EXPECT_EQ(body.contentTypeHeader(), "Content-Type: multipart/form-data; boundary=---------------------------7d1228577400");
}

TEST(MultipartBodyTest, RestoreHeadNamesItsFieldAndFile)
{
    const MultipartBody body(MultipartBody::boundaryAt(kTenDigitTime), "Restore", "temp.cfg", 300);
    EXPECT_EQ(body.head(), "\r\n---------------------------7d1228577400\r\n"
                           "Content-Disposition: form-data; name=\"Restore\"; filename=\"temp.cfg\"\r\n"
                           "Content-Type: application/octet-stream\r\n\r\n");
    EXPECT_EQ(body.tail().size(), 47u);
    EXPECT_EQ(body.contentLength(), body.head().size() + 300 + 47);
}

TEST(MultipartBodyTest, BoundaryFollowsTheSecondAndItsDigits)
{
    EXPECT_NE(MultipartBody::boundaryAt(kTenDigitTime), MultipartBody::boundaryAt(kTenDigitTime + seconds(1)));
    // Within one second the text is the same: the header and the body carry one value.
    EXPECT_EQ(MultipartBody::boundaryAt(kTenDigitTime),
              MultipartBody::boundaryAt(kTenDigitTime + std::chrono::milliseconds(999)));
    // Nine digits of time: everything is one byte shorter.
    const MultipartBody early(MultipartBody::boundaryAt(system_clock::time_point{seconds(999999999)}), "Restore",
                              "temp.cfg", 10);
    EXPECT_EQ(early.boundary().size(), 38u);
    EXPECT_EQ(early.tail().size(), 46u);
}

std::vector<std::uint8_t> patternBytes(std::size_t size)
{
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>((i * 7 + i / 251) & 0xFF);
    return bytes;
}

TEST(MultipartStreamTest, PackageGoesOutIn6860ChunksWithOneProgressStepEach)
{
    const auto package = patternBytes(10014720);
    const MultipartBody body(MultipartBody::boundaryAt(kTenDigitTime), "setting_file", "upgrade.bin", package.size());
    int progress = 0;
    MultipartStream stream(body, package, [&] { ++progress; });

    std::vector<std::size_t> pieces;
    std::string wire;
    wire.reserve(body.contentLength());
    char buffer[16384];
    while (const std::size_t n = stream.fill(buffer, sizeof buffer)) {
        pieces.push_back(n);
        wire.append(buffer, n);
    }
    EXPECT_TRUE(stream.complete());
    EXPECT_EQ(progress, 6860);
    EXPECT_EQ(stream.chunksHandedOver(), 6860u);
    ASSERT_EQ(pieces.size(), 1u + 6860u + 1u);
    EXPECT_EQ(pieces.front(), 162u); // the head alone
    EXPECT_EQ(pieces[1], 1460u);
    EXPECT_EQ(pieces[6860], 580u); // the last chunk of the file
    EXPECT_EQ(pieces.back(), 47u); // the tail alone
    ASSERT_EQ(wire.size(), body.contentLength());
    EXPECT_EQ(wire.compare(0, 162, body.head()), 0);
    EXPECT_EQ(wire.compare(wire.size() - 47, 47, body.tail()), 0);
    EXPECT_EQ(std::memcmp(package.data(), wire.data() + 162, package.size()), 0);
}

TEST(MultipartStreamTest, ShortBuffersSplitChunksWithoutShiftingThem)
{
    const auto file = patternBytes(3000); // chunks of 1460, 1460, 80
    const MultipartBody body("B", "Restore", "temp.cfg", file.size());
    int progress = 0;
    MultipartStream stream(body, file, [&] { ++progress; });
    std::string wire;
    std::vector<int> progressAfterPiece;
    char buffer[1000];
    while (const std::size_t n = stream.fill(buffer, sizeof buffer)) {
        wire.append(buffer, n);
        progressAfterPiece.push_back(progress);
    }
    EXPECT_EQ(progress, 3);
    EXPECT_EQ(wire, body.head() + std::string(file.begin(), file.end()) + body.tail());
    // Progress moves only when a whole 1460-byte chunk (or the short last one) went out: the head
    // in one piece, file pieces of 1000 and 460 per chunk, 80, then the tail.
    const std::vector<int> expected{0, 0, 1, 1, 2, 3, 3};
    EXPECT_EQ(progressAfterPiece, expected);
}

} // namespace
} // namespace zka
