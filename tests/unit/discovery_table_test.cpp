// The reply parser and the camera table: what a camera's datagram turns into, and which replies
// are refused.

#include "discovery/DiscoveryTable.h"
#include "discovery/ReplyParser.h"
#include "discovery_responder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace zka {
namespace {

using test::cameraReply;
using test::Datagram;
using test::standardReply;
using Result = DiscoveryTable::StoreResult;
using Fields = std::vector<std::pair<std::string, std::string>>;

const SupportedModels kModels{"ZKA-QM410", "ZKA-QM410E", "ZKA-QM410P"};

class DiscoveryTableTest : public ::testing::Test {
protected:
    DiscoveryTableTest() { table.setSupportedModels(&kModels); }

    Result feed(const Datagram& datagram) { return dispatchDatagram(datagram, table); }
    // Stores a supported camera with a fresh MAC plus the given fields; returns its record.
    CameraRecord store(Fields fields)
    {
        fields.insert(fields.begin(), {{"MODEL:", "ZKA-QM410"}, {"MAC:", "MAC-" + std::to_string(table.count())}});
        EXPECT_EQ(feed(cameraReply(fields)), Result::Added);
        return table.record(table.count() - 1);
    }

    DiscoveryTable table;
};

TEST_F(DiscoveryTableTest, StoresEveryFieldOfASupportedCamera)
{
    EXPECT_EQ(feed(cameraReply({{"MODEL:", "ZKA-QM410P"}, {"SERIAL:", "S12345"}, {"MAC:", "08:00:46:AA:BB:CC"},
                                {"DHCP:", "ON"}, {"DNSAUTO:", "ON"}, {"IPADR:", "192.168.0.100"},
                                {"WEBPORT:", "8080"}, {"SOFTVERSION:", "2.30"}})),
              Result::Added);
    const auto record = table.record(0);
    EXPECT_EQ(table.count(), 1);
    EXPECT_EQ(record.modelText(), "ZKA-QM410P");
    EXPECT_EQ(record.serialText(), "S12345");
    EXPECT_EQ(record.macText(), "08:00:46:AA:BB:CC");
    EXPECT_EQ(record.dhcp, 1);
    EXPECT_EQ(record.dnsAuto, 1);
    EXPECT_EQ(record.addressText(), "192.168.0.100:8080");
    EXPECT_EQ(record.softVersionText(), "2.30");
}

TEST_F(DiscoveryTableTest, OnlySupportedModelsAreStored)
{
    EXPECT_EQ(feed(standardReply("M1", "S", "2.30", "ZKA-QM999")), Result::Dropped);
    EXPECT_EQ(feed(standardReply("M2", "S", "2.30", "zka-qm410")), Result::Dropped);
    EXPECT_EQ(feed(standardReply("M3", "S", "2.30", "ZKA-QM410 ")), Result::Dropped);
    EXPECT_EQ(feed(standardReply("M4", "S", "2.30", "")), Result::Dropped);
    // Only the first ten entries of the list count, and the list ends at its first empty entry.
    SupportedModels eleven(10, "OTHER");
    eleven.push_back("ZKA-QM410");
    table.setSupportedModels(&eleven);
    EXPECT_EQ(feed(standardReply("M5")), Result::Dropped);
    const SupportedModels gap{"ZKA-QM410E", "", "ZKA-QM410"};
    table.setSupportedModels(&gap);
    EXPECT_EQ(feed(standardReply("M6")), Result::Dropped);
    EXPECT_EQ(feed(standardReply("M7", "S", "2.30", "ZKA-QM410E")), Result::Added);
    EXPECT_EQ(table.count(), 1);
}

TEST_F(DiscoveryTableTest, ASecondReplyOfTheSameCameraRefreshesItsSlot)
{
    EXPECT_EQ(feed(standardReply("08:00:46:00:00:01", "S1")), Result::Added);
    EXPECT_EQ(feed(standardReply("08:00:46:00:00:02", "S2")), Result::Added);
    // Every field is replaced, including a port that the second reply no longer carries.
    EXPECT_EQ(feed(cameraReply({{"MODEL:", "ZKA-QM410E"}, {"MAC:", "08:00:46:00:00:01"}, {"IPADR:", "10.0.0.9"}})),
              Result::Refreshed);
    EXPECT_EQ(table.count(), 2);
    EXPECT_EQ(table.record(0).modelText(), "ZKA-QM410E");
    EXPECT_EQ(table.record(0).serialText(), "");
    EXPECT_EQ(table.record(0).addressText(), "10.0.0.9");
    EXPECT_EQ(table.record(1).serialText(), "S2");
    // The MAC text is the identity exactly as sent: another spelling is another camera.
    EXPECT_EQ(feed(standardReply("08-00-46-00-00-01")), Result::Added);
}

TEST_F(DiscoveryTableTest, AFullTableDropsNewCamerasButRefreshesStoredOnes)
{
    for (int i = 0; i < DiscoveryTable::kSlots; ++i)
        ASSERT_EQ(feed(standardReply("MAC-" + std::to_string(i))), Result::Added);
    EXPECT_EQ(feed(standardReply("MAC-256")), Result::Dropped);
    EXPECT_EQ(feed(standardReply("MAC-200", "S200", "3.10")), Result::Refreshed);
    EXPECT_EQ(table.count(), 256);
    EXPECT_EQ(table.record(200).softVersionText(), "3.10");
    EXPECT_EQ(table.snapshot().back().macText(), "MAC-255");
}

TEST_F(DiscoveryTableTest, PortAndFlagRules)
{
    EXPECT_EQ(store({}).httpPort, 80);
    EXPECT_EQ(store({{"WEBPORT:", ""}}).httpPort, 80);
    EXPECT_EQ(store({{"WEBPORT:", "8080"}}).httpPort, 8080);
    EXPECT_EQ(store({{"WEBPORT:", "8080x1"}}).httpPort, 8080);
    EXPECT_EQ(store({{"WEBPORT:", "http"}}).httpPort, 0);
    EXPECT_EQ(store({{"WEBPORT:", " 81"}}).httpPort, 0);
    // Digits beyond the fifteenth are not read, and an absurd value does not overflow.
    EXPECT_EQ(store({{"WEBPORT:", "000000000000443999"}}).httpPort, 443);
    EXPECT_EQ(store({{"WEBPORT:", "999999999999999"}}).httpPort, 2147483647);

    const auto on = store({{"DHCP:", "ON"}, {"DNSAUTO:", "ON"}});
    EXPECT_EQ(on.dhcp + on.dnsAuto, 2);
    const auto lower = store({{"DHCP:", "on"}, {"DNSAUTO:", "ONE"}});
    EXPECT_EQ(lower.dhcp + lower.dnsAuto, 0);
    const auto missing = store({});
    EXPECT_EQ(missing.dhcp + missing.dnsAuto, 0);
    // A value at the very end of the datagram, without 0xFF, runs to the end.
    Datagram tail = cameraReply({{"MODEL:", "ZKA-QM410"}, {"MAC:", "TAIL"}});
    tail.insert(tail.end(), {'D', 'H', 'C', 'P', ':', 'O', 'N'});
    EXPECT_EQ(feed(tail), Result::Added);
    EXPECT_EQ(table.snapshot().back().dhcp, 1);
}

TEST(ReplyAddress, ReadsLikeFourDecimalNumbers)
{
    using Address = std::array<std::uint8_t, 4>;
    EXPECT_EQ(parseReplyAddress("192.168.0.100"), (Address{192, 168, 0, 100}));
    EXPECT_EQ(parseReplyAddress("10.0.0"), (Address{10, 0, 0, 0}));
    EXPECT_EQ(parseReplyAddress("192.168.0.300"), (Address{192, 168, 0, 44}));
    EXPECT_EQ(parseReplyAddress("-1. 2.3.4"), (Address{255, 2, 3, 4}));
    EXPECT_EQ(parseReplyAddress("1.x.3.4"), (Address{1, 0, 0, 0}));
    EXPECT_EQ(parseReplyAddress("1..3.4"), (Address{1, 0, 0, 0}));
    EXPECT_EQ(parseReplyAddress(""), (Address{0, 0, 0, 0}));
    // Only the first 15 characters are read.
    EXPECT_EQ(parseReplyAddress("192.168.100.2000"), (Address{192, 168, 100, 200}));
    EXPECT_EQ(parseReplyAddress("999999999999999"), (Address{0xFF, 0, 0, 0}));
}

TEST_F(DiscoveryTableTest, TextsAreCutToTheirFields)
{
    EXPECT_EQ(feed(cameraReply({{"MODEL:", "ZKA-QM410"}, {"SERIAL:", "ABCDEFGHIJKLMNO"},
                                {"MAC:", "08:00:46:00:00:01:FF:EE"}, {"SOFTVERSION:", "1234567890ABCDEFGH"}})),
              Result::Added);
    EXPECT_EQ(table.record(0).serialText(), "ABCDEFGHIJK");
    EXPECT_EQ(table.record(0).macText(), "08:00:46:00:00:01");
    EXPECT_EQ(table.record(0).softVersionText(), "1234567890ABCDE");
    // MACs compare as stored: one that differs only beyond 17 characters is the same camera.
    EXPECT_EQ(feed(cameraReply({{"MODEL:", "ZKA-QM410"}, {"MAC:", "08:00:46:00:00:01:00"}})), Result::Refreshed);
    // A model is compared after its cut to 31 characters.
    const SupportedModels models{std::string(31, 'Q')};
    table.setSupportedModels(&models);
    EXPECT_EQ(feed(cameraReply({{"MODEL:", std::string(34, 'Q')}, {"MAC:", "X"}})), Result::Added);
}

TEST_F(DiscoveryTableTest, KeysAreFoundOnlyBeforeTheFirstZeroByteAndTheFirstOneWins)
{
    Datagram leadingZero = standardReply("M1");
    leadingZero.insert(leadingZero.begin(), 0);
    EXPECT_EQ(feed(leadingZero), Result::Dropped);
    Datagram zeroBeforeModel{0x02, 0};
    const auto rest = standardReply("M2");
    zeroBeforeModel.insert(zeroBeforeModel.end(), rest.begin(), rest.end());
    EXPECT_EQ(feed(zeroBeforeModel), Result::Dropped);
    EXPECT_EQ(table.count(), 0);

    // Framing around the fields and their order do not matter; fields after a zero byte are missing.
    Datagram framed{0x02};
    const auto body = cameraReply(
        {{"SERIAL:", "FIRST"}, {"MAC:", "M3"}, {"MODEL:", "ZKA-QM410"}, {"SERIAL:", "SECOND"}, {"SOFTVERSION:", "3.1"}});
    framed.insert(framed.end(), body.begin(), body.end());
    framed.insert(framed.end(), {0x03, 0});
    const auto hidden = cameraReply({{"WEBPORT:", "8080"}});
    framed.insert(framed.end(), hidden.begin(), hidden.end());
    EXPECT_EQ(feed(framed), Result::Added);
    EXPECT_EQ(table.record(0).serialText(), "FIRST");
    EXPECT_EQ(table.record(0).softVersionText(), "3.1");
    EXPECT_EQ(table.record(0).httpPort, 80);
}

TEST_F(DiscoveryTableTest, RepliesWithoutModelOrMacChangeNothing)
{
    EXPECT_EQ(feed(standardReply("M1", "S1")), Result::Added);
    // Answers to network-setting requests, even naming a stored camera, are ignored.
    EXPECT_EQ(feed(cameraReply({{"ACK:", "SETNET"}, {"MAC:", "M1"}, {"SERIAL:", "CHANGED"}})), Result::Dropped);
    EXPECT_EQ(feed(cameraReply({{"NAK:", "SETNET"}, {"MAC:", "M1"}, {"SERIAL:", "CHANGED"}})), Result::Dropped);
    // No MAC, or an empty one: nothing to identify the camera by.
    EXPECT_EQ(feed(cameraReply({{"MODEL:", "ZKA-QM410"}, {"SERIAL:", "S3"}})), Result::Dropped);
    EXPECT_EQ(feed(cameraReply({{"MODEL:", "ZKA-QM410"}, {"MAC:", ""}})), Result::Dropped);
    EXPECT_EQ(feed(Datagram{}), Result::Dropped);
    EXPECT_EQ(table.count(), 1);
    EXPECT_EQ(table.record(0).serialText(), "S1");
}

// Readers copy records while the listener's thread writes them: a copy is never torn and a counted
// slot is never seen half written.
TEST_F(DiscoveryTableTest, ReadersNeverSeeAPartialRecord)
{
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int round = 0; round < 40; ++round) {
            const std::string tag = std::to_string(round);
            for (int camera = 0; camera < 64; ++camera)
                feed(standardReply("MAC-" + std::to_string(camera), "S" + tag, "V" + tag));
        }
        done = true;
    });
    while (!done) {
        const int counted = table.count();
        for (const auto& record : table.snapshot())
            ASSERT_EQ(record.softVersionText().substr(1), record.serialText().substr(1));
        if (counted > 0) {
            ASSERT_FALSE(table.record(counted - 1).empty());
        }
    }
    writer.join();
    EXPECT_EQ(table.count(), 64);
}

} // namespace
} // namespace zka
