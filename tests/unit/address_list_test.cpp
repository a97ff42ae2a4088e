// Camera address lists: what a text yields, what it is refused for, and the message that says so.
#include "resources/PackagedResources.h"
#include "support/ScriptedPrompter.h"
#include "upgrade/CameraAddressList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zka {
namespace {

CameraAddress at(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d, int port = 80)
{
    return CameraAddress{{a, b, c, d}, port};
}

std::string lines(int count, int faultyLine = 0)
{
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += i == faultyLine ? "10.0.0.300\r\n" : "10.0." + std::to_string(i / 256) + "." + std::to_string(i % 256) + "\r\n";
    return text;
}

struct Accepted {
    const char* name;
    std::string text;
    std::vector<CameraAddress> entries;
};

TEST(CameraAddressListTest, AcceptedTextsAndTheirEntries)
{
    const std::vector<Accepted> cases{
        {"address alone", "192.168.0.10", {at(192, 168, 0, 10)}},
        {"comma and port", "192.168.0.10,8080", {at(192, 168, 0, 10, 8080)}},
        {"port 80 written out", "192.168.0.10,80", {at(192, 168, 0, 10)}},
        {"separator without a port", "192.168.0.10,", {at(192, 168, 0, 10)}},
        {"port read from its first five characters", "192.168.0.10,123456", {at(192, 168, 0, 10, 12345)}},
        {"leading zeros are decimal", "010.001.000.099:01024\n010.000.000.005\n0010.0.0.1",
         {at(10, 1, 0, 99, 1024), at(10, 0, 0, 5), at(10, 0, 0, 1)}},
        {"spreadsheet rows: whatever follows the port's digits is ignored, an empty port is 80",
         "10.0.0.5,8080,\r\n10.0.0.6,8080,Lobby \"A\"\r\n10.0.0.7,80,1024\r\n10.0.0.8,,",
         {at(10, 0, 0, 5, 8080), at(10, 0, 0, 6, 8080), at(10, 0, 0, 7), at(10, 0, 0, 8)}},
        {"blank lines and comments are skipped", "# floor 2: lobby, stairs\n \t\n10.0.0.1\n#10.0.0.2 x",
         {at(10, 0, 0, 1)}},
        {"tabs", "10.0.0.1\t8080\n10.0.0.2", {at(10, 0, 0, 1, 8080), at(10, 0, 0, 2)}},
        {"empty lines, CR LF, LF and a lone CR", "\r\n10.0.0.1\n\n10.0.0.2\r10.0.0.3\r\n\r\n",
         {at(10, 0, 0, 1), at(10, 0, 0, 2), at(10, 0, 0, 3)}},
        {"a CR as the last character", "10.0.0.1\r", {at(10, 0, 0, 1)}},
        {"a NUL ends the text", std::string("10.0.0.1\n", 9) + std::string(1, '\0') + "junk", {at(10, 0, 0, 1)}},
        {"empty", "", {}},
        {"empty lines only", "\r\n\n\r", {}},
    };
    for (const auto& c : cases) {
        CameraAddressList list;
        EXPECT_TRUE(list.readText(c.text)) << c.name;
        EXPECT_EQ(list.entries(), c.entries) << c.name;
        EXPECT_EQ(list.fault().textNumber, 0) << c.name;
    }
}

struct Refused {
    const char* name;
    std::string text;
    std::uint16_t textNumber;
    std::string errorLine;
    int lineNumber; // counting every line, as the command line names it
};

TEST(CameraAddressListTest, RefusedTextsNameTheirFaultAndYieldNothing)
{
    const std::vector<Refused> cases{
        {"port below 1024", "192.168.0.10,1023", 307, "Line001:>192.168.0.10,1023", 1},
        {"port above 65535", "192.168.0.10,65536", 307, "Line001:>192.168.0.10,65536", 1},
        {"port 0 written out", "192.168.0.10,00", 307, "Line001:>192.168.0.10,00", 1},
        {"a port that is not a number", "10.0.0.1,http", 307, "Line001:>10.0.0.1,http", 1},
        {"number above 255", "300.1.1.1", 307, "Line001:>300.1.1.1", 1},
        {"fewer than four numbers", "10.0.0", 307, "Line001:>10.0.0", 1},
        {"line begins with the separator", "\t10.0.0.1", 307, "Line001:>\t10.0.0.1", 1},
        {"a fifth number", "10.0.0.1.5", 307, "Line001:>10.0.0.1.5", 1},
        {"a number above 255 in four digits", "1000.0.0.1", 307, "Line001:>1000.0.0.1", 1},
        {"a number that would wrap", "4294967306.0.0.1", 307, "Line001:>4294967306.0.0.1", 1},
        {"skipped lines do not count among the entries", "10.0.0.1\r\n\r\n# x\n10.0.0.2\n\n10.0.0.256", 307,
         "Line003:>10.0.0.256", 6},
        {"a sign", "-1.0.0.1", 306, "Line001:>-1.0.0.1", 1},
        {"a blank before the separator", "10.0.0.1\n10.0.0.2 ,8080", 306, "Line002:>10.0.0.2 ,8080", 2},
        {"a byte-order mark", "\xFF\xFE" "1\0.\0", 306, "Line001:>\xFF\xFE" "1", 1},
        {"two kinds of separator", "10.0.0.1\t8080\n10.0.0.2,8080", 305, "Line002:>10.0.0.2,8080", 2},
        {"a faulty line past the 256th", lines(300, 290), 307, "Line290:>10.0.0.300", 290},
    };
    for (const auto& c : cases) {
        CameraAddressList list;
        EXPECT_FALSE(list.readText(c.text)) << c.name;
        EXPECT_TRUE(list.entries().empty()) << c.name;
        EXPECT_EQ(list.fault().textNumber, c.textNumber) << c.name;
        EXPECT_EQ(list.fault().errorLine, c.errorLine) << c.name;
        EXPECT_EQ(list.fault().lineNumber, c.lineNumber) << c.name;
        EXPECT_FALSE(list.fault().reason.empty()) << c.name;
    }
}

TEST(CameraAddressListTest, ALongListIsCutAfter256EntriesWithoutAMessageAndCountsTheRest)
{
    CameraAddressList list;
    ASSERT_TRUE(list.readText(lines(300)));
    ASSERT_EQ(list.entries().size(), CameraAddressList::kMaxEntries);
    EXPECT_EQ(list.entries().back(), at(10, 0, 1, 0));
    EXPECT_EQ(list.leftOut(), 44u);
    // A refused text leaves nothing of an earlier one.
    EXPECT_FALSE(list.readText("10.0.0.1 "));
    EXPECT_TRUE(list.entries().empty());
    EXPECT_EQ(list.leftOut(), 0u);
}

TEST(CameraAddressListTest, MessagesCarryTheirTextCaptionAndIcon)
{
    test::ScriptedPrompter prompter;
    const ResourceText texts(embeddedResources(), prompter);
    CameraAddressList list;
    list.readText("192.168.0.10,1023");
    EXPECT_EQ(list.message(texts), (Message{"Invalid address or port number.\r\nLine001:>192.168.0.10,1023", "Information",
                                            MessageIcon::Question, MessageButtons::Ok}));
    list.readText("10.0.0.1\na");
    EXPECT_EQ(list.message(texts),
              (Message{"Invalid format.\r\nLine002:>a", "Information", MessageIcon::Information, MessageButtons::Ok}));
    list.readText("10.0.0.1");
    EXPECT_FALSE(list.message(texts).has_value());
    // A file that cannot be opened is no fault of the text.
    EXPECT_FALSE(list.readFile("/nonexistent/cameras.txt"));
    EXPECT_FALSE(list.message(texts).has_value());
    EXPECT_TRUE(prompter.messages().empty());
}

} // namespace
} // namespace zka
