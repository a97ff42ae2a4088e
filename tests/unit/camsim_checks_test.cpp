// The simulator's own checks of what a camera receives, without sockets: the firmware package, the
// multipart body and headers, the fleet file, the discovery datagrams and the default fleet.
#include "camsim/Base64.h"
#include "camsim/DiscoveryReply.h"
#include "camsim/Fleet.h"
#include "camsim/FleetFile.h"
#include "camsim/MultipartBodyCheck.h"
#include "camsim/MultipartHeaderCheck.h"
#include "camsim/PackageCheck.h"
#include "camsim_support.h"

#include <gtest/gtest.h>

namespace zka::camsim {
namespace {

using test::firmwarePackage;
using test::sha256Hex;
using test::ustar;

std::string checkPackage(const std::string& bytes, std::size_t piece = 1460)
{
    PackageCheck check;
    for (std::size_t at = 0; at < bytes.size(); at += piece)
        check.feed(std::string_view(bytes).substr(at, piece));
    return check.finish();
}

TEST(CamsimPackageCheck, AcceptsASoundPackageWhateverThePieceSize)
{
    const std::string package = firmwarePackage({{"kernel.img", std::string(70000, 'k')}, {"rootfs.img", "root"}, {"empty", ""}});
    for (std::size_t piece : {1u, 7u, 512u, 1460u, 100000u})
        EXPECT_EQ(checkPackage(package, piece), "") << "piece " << piece;
}

TEST(CamsimPackageCheck, NamesWhatIsWrong)
{
    const std::string good = firmwarePackage({{"a.img", "alpha"}, {"b.img", "beta"}});

    std::string flipped = good;
    flipped[good.find("alpha")] = 'A';
    EXPECT_EQ(checkPackage(flipped), "package: member a.img does not match its SHA-256 checksum");

    const std::string list = sha256Hex("alpha") + "  a.img\n";
    EXPECT_EQ(checkPackage(ustar({{"SHA256SUMS", list}, {"a.img", "alpha"}, {"b.img", "beta"}})),
              "package: member b.img is not listed in SHA256SUMS");
    EXPECT_EQ(checkPackage(ustar({{"SHA256SUMS", list + sha256Hex("x") + "  x.img\n"}, {"a.img", "alpha"}})),
              "package: listed member x.img is missing");
    EXPECT_EQ(checkPackage(ustar({{"a.img", "alpha"}, {"SHA256SUMS", list}})),
              "package: the first member is a.img, not SHA256SUMS");
    EXPECT_EQ(checkPackage(ustar({{"SHA256SUMS", sha256Hex("alpha") + " a.img\n"}, {"a.img", "alpha"}})),
              "package: SHA256SUMS line 1 is not \"<sha256>  <name>\"");
    EXPECT_NE(checkPackage(good.substr(0, good.size() - 1024 - 512)).find("archive ends inside"), std::string::npos);
    EXPECT_NE(checkPackage(good.substr(0, good.size() - 512)).find("end-of-archive marker"), std::string::npos);
    EXPECT_NE(checkPackage(good + "x").find("data after the end-of-archive"), std::string::npos);

    std::string badHeader = good;
    badHeader[0] = 'Z';
    EXPECT_EQ(checkPackage(badHeader), "package: header checksum wrong at offset 0");
    EXPECT_EQ(checkPackage(""), "package: the file is empty");
}

TEST(CamsimMultipartCheck, ChecksHeadTailAndLengthByteForByte)
{
    const auto upload = test::multipartUpload("setting_file", "upgrade.bin", "FILEBYTES", "YWRtaW46YWRtaW4=");
    const auto run = [](const std::string& boundary, const std::string& body, std::uint64_t length, std::string* file) {
        MultipartBodyCheck check(boundary, "setting_file", "upgrade.bin", length,
                                 [file](std::string_view piece) { file->append(piece); });
        for (char c : body)
            check.feed(std::string_view(&c, 1));
        return check.finish();
    };
    std::string file;
    EXPECT_EQ(run(upload.boundary, upload.body, upload.body.size(), &file), "");
    EXPECT_EQ(file, "FILEBYTES");

    // The delimiter line with two extra hyphens, as a generic multipart writer would put it.
    std::string hyphens = upload.body;
    hyphens.insert(2, "--");
    file.clear();
    EXPECT_EQ(run(upload.boundary, hyphens, hyphens.size(), &file).rfind("the head differs at byte 29", 0), 0u);

    std::string tail = upload.body;
    tail.replace(tail.size() - 6, 2, "\r\n\r\n");
    tail.resize(upload.body.size());
    EXPECT_EQ(run(upload.boundary, tail, tail.size(), &file).rfind("the tail differs", 0), 0u);

    EXPECT_EQ(run(upload.boundary, upload.body, upload.body.size() + 2, &file),
              "the body has " + std::to_string(upload.body.size()) + " bytes, Content-Length announced "
                  + std::to_string(upload.body.size() + 2));
}

TEST(CamsimMultipartCheck, ChecksTheAddedHeadersAndTheirOrder)
{
    auto headers = test::multipartUpload("Restore", "temp.cfg", "x", "YWRtaW46YWRtaW4=").headers;
    headers.insert(headers.begin(), {{"Host", "127.0.0.2"}, {"User-Agent", "ZKA Upgrade Tool"}});
    EXPECT_EQ(MultipartHeaderCheck(headers).problem(), "");
    EXPECT_EQ(MultipartHeaderCheck(headers).boundary(), "---------------------------7d1765094400");

    auto swapped = headers;
    std::swap(swapped[3], swapped[4]); // Accept-Encoding after Connection
    EXPECT_EQ(MultipartHeaderCheck(swapped).problem(), "header Connection comes before Accept-Encoding");

    auto boundary = headers;
    boundary[2].second = "multipart/form-data; boundary=--7d123";
    EXPECT_NE(MultipartHeaderCheck(boundary).problem().find("followed by decimal digits"), std::string::npos);

    auto missing = headers;
    missing.erase(missing.begin() + 6); // Cache-Control
    EXPECT_EQ(MultipartHeaderCheck(missing).problem(), "header Cache-Control is missing");

    auto extra = headers;
    extra.emplace_back("Expect", "100-continue");
    EXPECT_EQ(MultipartHeaderCheck(extra).problem(), "unexpected header Expect: 100-continue");

    auto agent = headers;
    agent[1].second = "curl/7.88.1";
    EXPECT_EQ(MultipartHeaderCheck(agent).problem(), "the user agent is not exactly one \"ZKA Upgrade Tool\"");
}

TEST(CamsimBase64, RoundTripsAndRejectsNonCanonicalText)
{
    EXPECT_EQ(Base64::encode("admin:admin"), "YWRtaW46YWRtaW4=");
    EXPECT_EQ(Base64::encode("ab"), "YWI=");
    for (const std::string text : {"", "a", "ab", "abc", "user:p\xff\x01ss"})
        EXPECT_EQ(Base64::decode(Base64::encode(text)), text);
    EXPECT_FALSE(Base64::decode("YWI"));
    EXPECT_FALSE(Base64::decode("YWJ="));  // stray bits under the padding
    EXPECT_FALSE(Base64::decode("Y=WI"));
}

TEST(CamsimDiscoveryReply, CarriesEveryFieldAndTheDatagramFaults)
{
    CameraSpec camera;
    camera.reportedAddress = "192.168.0.100";
    camera.webPort = 8080;
    camera.dhcp = true;
    EXPECT_EQ(DiscoveryReply::information(camera, "2.30"),
              std::string("\x02MODEL:ZKA-QM410\xFFSERIAL:S0000002\xFFMAC:08:00:46:00:00:02\xFF"
                          "DHCP:ON\xFF" "DNSAUTO:OFF\xFFIPADR:192.168.0.100\xFFWEBPORT:8080\xFF"
                          "SOFTVERSION:2.30\xFF\x03"));

    camera.reportsWebPort = false;
    camera.zeroBeforeModel = true;
    camera.oversizedDatagram = true;
    camera.ackNak = true;
    camera.discoveryRepeats = 2;
    const auto datagrams = DiscoveryReply::datagrams(camera, "2.30");
    ASSERT_EQ(datagrams.size(), 4u);
    EXPECT_EQ(datagrams[0].size(), DiscoveryReply::kOversizedLength);
    EXPECT_EQ(datagrams[0].substr(0, 8), std::string("\x02\0MODEL:", 8));
    EXPECT_EQ(datagrams[0].find("WEBPORT:"), std::string::npos);
    EXPECT_EQ(datagrams[1], datagrams[0]);
    for (const auto& answer : {datagrams[2], datagrams[3]})
        EXPECT_EQ(answer.find("MODEL:"), std::string::npos);
    EXPECT_EQ(datagrams[2].substr(0, 5), "\x02" "ACK:");
    EXPECT_EQ(datagrams[3].substr(0, 5), "\x02" "NAK:");

    camera.answersDiscovery = false;
    EXPECT_TRUE(DiscoveryReply::datagrams(camera, "2.30").empty());
    EXPECT_TRUE(DiscoveryReply::isEnquiry(std::string("\x02" "ENQ:allinfo" "\xFF\x03", 14)));
    EXPECT_FALSE(DiscoveryReply::isEnquiry(std::string("\x02" "ENQ:allinfo" "\xFF\x03\x00", 15)));
}

TEST(CamsimDefaultFleet, DerivesIdentitiesAndSkipsHostPartsZeroAnd255)
{
    const auto fleet = defaultFleet(300, "127.0.0.2");
    ASSERT_EQ(fleet.size(), 300u);
    EXPECT_EQ(fleet[0].address, "127.0.0.2");
    EXPECT_EQ(fleet[0].serial, "S0000002");
    EXPECT_EQ(fleet[0].mac, "08:00:46:00:00:02");
    EXPECT_EQ(fleet[252].address, "127.0.0.254");
    EXPECT_EQ(fleet[253].address, "127.0.1.1");
    EXPECT_EQ(fleet[253].mac, "08:00:46:00:01:01");
    EXPECT_EQ(fleet[253].serial, "S0000257");
    EXPECT_EQ(fleet[0].webPort, 80);
    EXPECT_EQ(fleet[0].softVersion, "2.30");
    EXPECT_TRUE(defaultFleet(2, "not an address").empty());
}

TEST(CamsimFleetFile, ReadsDefaultsAndCamerasAndRefusesMistakesWithTheLine)
{
    const std::string text = "# demo fleet\n"
                             "[defaults]\n"
                             "stepSeconds = 0.5\n"
                             "\n"
                             "[camera 127.0.0.5]\n"
                             "softVersion = 3.10\n"
                             "afterUpgrade = HangInquiries\n"
                             "configuration = a=1\\r\\nb=2\\x20\n"
                             "[camera 127.0.0.6]\n"
                             "webPort = 8080\n"
                             "panTilt = true\n";
    std::vector<CameraSpec> cameras;
    std::string error;
    ASSERT_TRUE(FleetFile::parse(text, "demo.fleet", cameras, error)) << error;
    ASSERT_EQ(cameras.size(), 2u);
    EXPECT_EQ(cameras[0].address, "127.0.0.5");
    EXPECT_EQ(cameras[0].serial, "S0000005");
    EXPECT_EQ(cameras[0].softVersion, "3.10");
    EXPECT_EQ(cameras[0].afterUpgrade, AfterUpgrade::HangInquiries);
    EXPECT_EQ(cameras[0].configuration, "a=1\r\nb=2 ");
    EXPECT_EQ(cameras[0].stepSeconds, 0.5);
    EXPECT_EQ(cameras[1].stepSeconds, 0.5);
    EXPECT_EQ(cameras[1].webPort, 8080);
    EXPECT_TRUE(cameras[1].panTilt);

    const auto refused = [](const std::string& bad) {
        std::vector<CameraSpec> ignored;
        std::string why;
        EXPECT_FALSE(FleetFile::parse(bad, "f", ignored, why));
        return why;
    };
    EXPECT_EQ(refused("[camera 127.0.0.5]\nwebport = 80\n"), "f:2: unknown key \"webport\"");
    EXPECT_EQ(refused("[camera 127.0.0.5]\n\npanTilt = yes\n"), "f:3: expected true or false, not \"yes\"");
    EXPECT_EQ(refused("webPort = 80\n"), "f:1: key = value before any [defaults] or [camera A.B.C.D] section");
    EXPECT_EQ(refused("[camera 127.0.0.300]\n"), "f:1: \"127.0.0.300\" is not a dotted IPv4 address");
    EXPECT_EQ(refused("[camera 127.0.0.5]\nwebPort = 70000\n"), "f:2: expected a whole number from 1 to 65535, not \"70000\"");
    EXPECT_EQ(refused("[camera 127.0.0.5]\n[camera 127.0.0.5]\n"), "f:2: camera 127.0.0.5:80 is already defined at line 1");
    EXPECT_EQ(refused("[defaults]\nafterUpgrade = Later\n").rfind("f:2: expected NewVersion", 0), 0u);
}

} // namespace
} // namespace zka::camsim
