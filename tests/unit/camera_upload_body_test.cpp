// The multipart pieces of the firmware upload and the configuration restore, and the streaming of
// the body in 1460-byte chunks.
#include "http/MultipartBody.h"
#include "http/MultipartStream.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace zka {
namespace {

using std::chrono::seconds;
using std::chrono::system_clock;

const system_clock::time_point kTenDigitTime{seconds(1228577400)}; // 2008-12-06 15:30 UTC
// The firmware upload's head and tail at that time, as the camera expects them byte for byte.
const std::string kUploadHead = "\r\n---------------------------7d1228577400\r\n"
                                "Content-Disposition: form-data; name=\"setting_file\"; filename=\"upgrade.bin\"\r\n"
                                "Content-Type: application/octet-stream\r\n\r\n";
const std::string kUploadTail = "\r\n---------------------------7d1228577400--\r\n\r\n";

TEST(MultipartBodyTest, UploadPiecesAreExactBytes)
{
    const std::string boundary = MultipartBody::boundaryAt(kTenDigitTime);
    EXPECT_EQ(boundary, "---------------------------7d1228577400");
    EXPECT_EQ(boundary.size(), 39u);

    const MultipartBody body(boundary, "setting_file", "upgrade.bin", 10014720);
    EXPECT_EQ(body.head(), kUploadHead);
    EXPECT_EQ(body.head().size(), 162u);
    EXPECT_EQ(body.tail(), kUploadTail);
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

TEST(MultipartStreamTest, PackageGoesOutWholeWithOneProgressStepPer1460ByteChunk)
{
    const auto package = patternBytes(10014720);
    const MultipartBody body(MultipartBody::boundaryAt(kTenDigitTime), "setting_file", "upgrade.bin", package.size());
    int progress = 0;
    MultipartStream stream(body, package, [&] { ++progress; });

    // The HTTP layer asks for large pieces; each is filled whole, across the parts of the body.
    std::string wire;
    wire.reserve(body.contentLength());
    std::vector<int> progressAfterPiece;
    char buffer[65536];
    while (const std::size_t n = stream.fill(buffer, sizeof buffer)) {
        EXPECT_TRUE(n == sizeof buffer || wire.size() + n == body.contentLength()) << wire.size();
        wire.append(buffer, n);
        progressAfterPiece.push_back(progress);
    }
    EXPECT_TRUE(stream.complete());
    EXPECT_EQ(progress, 6860); // the last chunk holds 580 bytes
    EXPECT_EQ(stream.chunksHandedOver(), 6860u);
    // After the first piece (head and 65374 bytes of the package): 44 whole chunks.
    ASSERT_FALSE(progressAfterPiece.empty());
    EXPECT_EQ(progressAfterPiece.front(), (65536 - 162) / 1460);
    ASSERT_EQ(wire.size(), body.contentLength());
    EXPECT_EQ(wire.substr(0, 162), kUploadHead);
    EXPECT_EQ(wire.substr(wire.size() - 47), kUploadTail);
    EXPECT_EQ(std::memcmp(package.data(), wire.data() + 162, package.size()), 0);
}

TEST(MultipartStreamTest, PieceSizesNeverShiftTheChunks)
{
    const auto file = patternBytes(3000); // chunks of 1460, 1460, 80
    const MultipartBody body("B", "Restore", "temp.cfg", file.size());
    for (const std::size_t pieceSize : {std::size_t{1}, std::size_t{1000}, std::size_t{1460}, std::size_t{5000}}) {
        int progress = 0;
        MultipartStream stream(body, file, [&] { ++progress; });
        std::string wire;
        std::vector<char> buffer(pieceSize);
        while (const std::size_t n = stream.fill(buffer.data(), buffer.size())) {
            wire.append(buffer.data(), n);
            // Progress counts the chunks whose last byte has been handed over, never more.
            const std::size_t fileBytes = std::min<std::size_t>(wire.size() - std::min(wire.size(), body.head().size()),
                                                                file.size());
            const int whole = static_cast<int>(fileBytes / 1460) + (fileBytes == file.size() ? 1 : 0);
            EXPECT_EQ(progress, whole) << pieceSize << " at " << wire.size();
        }
        EXPECT_EQ(progress, 3) << pieceSize;
        EXPECT_EQ(wire, body.head() + std::string(file.begin(), file.end()) + body.tail()) << pieceSize;
    }
}

} // namespace
} // namespace zka
