// The texts of the embedded store, read through ResourceText on their real encoding.
#include "resources/ResourceStore.h"
#include "resources/ResourceText.h"
#include "resources/Utf16.h"
#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <thread>
#include <map>
#include <string>

namespace zka {
namespace {

std::vector<std::uint8_t> bytesOf(std::span<const std::uint8_t> span) { return {span.begin(), span.end()}; }

class EmbeddedTextTest : public ::testing::Test {
protected:
    const ResourceStore& store = embeddedResources();
    test::ScriptedPrompter prompter;
    ResourceText texts{store, prompter};
};

TEST_F(EmbeddedTextTest, TextsStopAtTheirNulAndIgnoreStrayBytes)
{
    // 258 carries stray bytes after its NUL (a second "Standby", in fact); 263 an odd stray byte.
    const auto raw = store.find(ResourceKind::Bin, 258);
    ASSERT_TRUE(raw);
    EXPECT_GT(raw->size(), 2 + 2 * 7 + 2u);
    EXPECT_EQ(raw->subspan(0, 2)[0], 0xFF);
    EXPECT_EQ(raw->subspan(0, 2)[1], 0xFE);
    EXPECT_EQ(texts(258), "Standby");
    EXPECT_EQ(texts(263), "Completed");
    EXPECT_EQ(texts(139), "Error");
    EXPECT_EQ(texts(203), "Information");
    EXPECT_EQ(texts(138), "Cannot find the upgrade file.");
    EXPECT_EQ(texts(234), "Target camera version is \"");
    EXPECT_EQ(texts(235), "\".");
    EXPECT_EQ(texts(307), "Invalid address or port number.\r\n%s");
    EXPECT_EQ(texts(222), "Firmware program was successfully updated to the camera.\r\n\r\n\r\n");
    EXPECT_EQ(prompter.count(), 0u);
}

TEST_F(EmbeddedTextTest, PrecautionsHaveNoNulAndRunToTheEnd)
{
    const auto raw = store.find(ResourceKind::Bin, 134);
    ASSERT_TRUE(raw);
    // The last character is the closing blank itself, not a NUL.
    ASSERT_EQ(raw->size() % 2, 0u);
    EXPECT_EQ((*raw)[raw->size() - 2], ' ');
    EXPECT_EQ((*raw)[raw->size() - 1], 0);
    const auto text = texts(134);
    EXPECT_EQ(text.size(), (raw->size() - 2) / 2);
    EXPECT_TRUE(text.starts_with("Operating Precautions\r\n\r\n\r\nFor camera with the version 3.00 or later"));
    EXPECT_TRUE(text.ends_with("HTTP port may not be blocked by firewall. "));
    EXPECT_NE(text.find("will be 3.XX with this firmware.\r\n"), std::string::npos);
    EXPECT_NE(text.find("will be 2.XX with this firmware.\r\n"), std::string::npos);
}

TEST_F(EmbeddedTextTest, SuccessiveTextsAreIndependentValues)
{
    const std::string first = texts(258);
    const std::string second = texts(203);
    const std::string third = texts(134);
    EXPECT_EQ(first, "Standby");
    EXPECT_EQ(second, "Information");
    EXPECT_TRUE(third.starts_with("Operating Precautions"));
    EXPECT_EQ(texts(258), first);
}

TEST_F(EmbeddedTextTest, WorkerThreadsFetchTextsAtTheSameTime)
{
    // Camera workers fetch their status words while the user interface fetches its own.
    const auto fetch = [&](std::uint16_t number, const std::string& expected, std::atomic<int>& wrong) {
        for (int i = 0; i < 2000; ++i) {
            if (texts(number) != expected)
                ++wrong;
        }
    };
    std::atomic<int> wrong{0};
    {
        std::jthread a(fetch, 259, "Uploading", std::ref(wrong));
        std::jthread b(fetch, 212, "Cannot find the camera. (The camera may be turned off.)", std::ref(wrong));
        fetch(258, "Standby", wrong);
    }
    EXPECT_EQ(wrong.load(), 0);
}

TEST_F(EmbeddedTextTest, WordsUnderTwoNumbersAreSeparateEntries)
{
    const std::map<std::uint16_t, std::pair<std::uint16_t, const char*>> pairs{
        {259, {323, "Uploading"}}, {260, {320, "Overwriting"}}, {262, {322, "Rebooting"}},
        {263, {321, "Completed"}}, {357, {364, "Loading config file"}}, {359, {365, "Reconfiguring"}},
        {360, {363, "Saving config file"}}, {361, {376, "Prepare"}}, {305, {306, "Invalid format."}},
        {194, {268, "&Finish"}}};
    for (const auto& [number, other] : pairs) {
        const auto a = store.find(ResourceKind::Bin, number);
        const auto b = store.find(ResourceKind::Bin, other.first);
        ASSERT_TRUE(a && b) << number;
        EXPECT_NE(a->data(), b->data()) << number;
        EXPECT_EQ(texts(number), other.second);
        EXPECT_EQ(texts(other.first), other.second);
    }
}

TEST_F(EmbeddedTextTest, EveryTextTheWizardNamesExists)
{
    const std::uint16_t numbers[] = {120, 134, 138, 139, 140, 149, 150, 151, 152, 153, 154, 155, 156, 157, 158, 159, 162,
                                     165, 168, 170, 171, 178, 179, 180, 194, 195, 200, 203, 206, 209, 212, 218, 219,
                                     222, 225, 234, 235, 236, 237, 238, 248, 253, 257, 258, 259, 260, 261, 262, 263,
                                     264, 265, 266, 267, 268, 305, 306, 307, 308, 310, 315, 316, 317, 318, 319, 320,
                                     321, 322, 323, 352, 354, 355, 356, 357, 358, 359, 360, 361, 362, 363, 364, 365,
                                     367, 369, 370, 371, 376};
    for (const auto number : numbers) {
        const auto raw = store.find(ResourceKind::Bin, number);
        ASSERT_TRUE(raw) << number;
        ASSERT_GE(raw->size(), 4u) << number;
        EXPECT_EQ((*raw)[0], 0xFF) << number;
        EXPECT_EQ((*raw)[1], 0xFE) << number;
        EXPECT_FALSE(texts(number).empty()) << number;
    }
    EXPECT_TRUE(texts(168).ends_with("automatically.\r\n\r\nManual mode is used to upgrade cameras one by one."));
    EXPECT_EQ(texts(319), "Missing target.(Network error) Searching now.");
    EXPECT_EQ(prompter.count(), 0u);
}

TEST_F(EmbeddedTextTest, AgreementHasAPreambleAndTenNumberedSections)
{
    const char* const numerals[] = {"I. ", "II. ", "III. ", "IV. ", "V. ", "VI. ", "VII. ", "VIII. ", "IX. ", "X. "};
    const auto preamble = texts(140);
    EXPECT_NE(preamble.find("ZKA-QM410 firmware upgrade tool"), std::string::npos);
    EXPECT_NE(preamble.find("Velm"), std::string::npos);
    EXPECT_TRUE(preamble.ends_with("\r\n"));
    for (std::uint16_t i = 0; i < 10; ++i) {
        const auto section = texts(149 + i);
        EXPECT_TRUE(section.starts_with(numerals[i])) << section;
        EXPECT_TRUE(section.ends_with("\r\n")) << 149 + i;
        // Line breaks are CR LF throughout: no bare line feed.
        for (std::size_t p = section.find('\n'); p != std::string::npos; p = section.find('\n', p + 1))
            ASSERT_EQ(section[p - 1], '\r') << 149 + i;
    }
    EXPECT_EQ(bytesOf(*store.find(ResourceKind::Bin, 362)), bytesOf(*store.find(ResourceKind::Bin, 150)));
}

TEST_F(EmbeddedTextTest, StringTableAndVersionBlock)
{
    const std::map<std::uint16_t, std::string> table{
        {103, "Windows sockets initialization failed."}, {104, "invalid"}, {105, "2.42"}, {106, "2.42t1"},
        {107, "2.32"}, {108, "1.28"}, {109, "1.28"}, {110, "1.06"}, {111, "1.05"}, {112, "1.30"}, {113, "1.17"},
        {114, "1.17"}, {115, "2.16SQA6"}, {116, "2.24"}, {117, "1.06b"}, {118, "1.08"}, {119, "2.45"},
        {120, "2.45"}, {121, "1.22"}, {122, "1.22"}, {123, "Error"}, {124, "Not found the upgrade file. "},
        {125, "1.11"}, {126, "1.11"}, {127, "1.11tc2"}, {128, "1.11"}, {129, "1.11"}, {130, "1.11"},
        {131, "1.22"}, {132, "3.12"}, {133, "3.15"}, {134, "3.15"}};
    for (std::uint16_t number = 100; number < 140; ++number) {
        const auto it = table.find(number);
        EXPECT_EQ(store.find(ResourceKind::String, number).has_value(), it != table.end()) << number;
        if (it != table.end()) {
            EXPECT_EQ(texts.stringTable(number), it->second) << number;
        }
    }
    EXPECT_EQ(firmwareVersion2x(store), "2.45");
    EXPECT_EQ(firmwareVersion3x(store), "3.15");

    const auto version = store.find(ResourceKind::Version, 1);
    ASSERT_TRUE(version);
    const std::string block(version->begin(), version->end());
    EXPECT_NE(block.find("FileDescription=Velm ZKA-QM410 firmware upgrade tool\n"), std::string::npos);
    EXPECT_NE(block.find("SpecialBuild=\n"), std::string::npos);
}

TEST_F(EmbeddedTextTest, ModelListAndPackageNamesAreStoredAsBytes)
{
    const std::string models = "ZKA-QM410\r\nZKA-QM410E\r\nZKA-QM410P";
    std::vector<std::uint8_t> expected(models.begin(), models.end());
    expected.insert(expected.end(), {0, '\r', '\n'});
    EXPECT_EQ(bytesOf(*store.find(ResourceKind::Bin, 146)), expected);
    const std::string names = " \r\n \r\n \r\n \r\n ";
    expected.assign(names.begin(), names.end());
    expected.push_back(0);
    EXPECT_EQ(bytesOf(*store.find(ResourceKind::Bin, 353)), expected);
    for (const std::uint16_t absent : {144, 145, 147})
        EXPECT_FALSE(store.find(ResourceKind::Bin, absent)) << absent;
}

TEST(ResourceTextTest, MissingTextShowsTheLoaderMessageAndYieldsEmpty)
{
    MemoryResourceStore store;
    store.put(ResourceKind::String, 123, {'E', 'r', 'r', 'o', 'r'});
    const std::string notFound = "Not found the upgrade file. ";
    store.put(ResourceKind::String, 124, {notFound.begin(), notFound.end()});
    test::ScriptedPrompter prompter;
    const ResourceText texts(store, prompter);

    EXPECT_EQ(texts(258), "");
    EXPECT_FALSE(texts.find(258));
    ASSERT_EQ(prompter.count(), 1u);
    EXPECT_EQ(prompter.messages()[0], (Message{notFound, "Error", MessageIcon::Error, MessageButtons::Ok}));
}

TEST(ResourceTextTest, DecodesWhateverTheStoreHolds)
{
    const auto stored = [](std::vector<std::uint8_t> units) {
        units.insert(units.begin(), {0xFF, 0xFE});
        return decodeStoredText(units);
    };
    // Non-ASCII and a surrogate pair come back as UTF-8; an unpaired surrogate as U+FFFD.
    const std::string word = "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC \xF0\x9F\x93\xB7";
    const auto units = utf8ToUtf16Le(word);
    ASSERT_TRUE(units);
    EXPECT_EQ(stored(*units), word);
    EXPECT_EQ(stored({0x41, 0x00, 0x00, 0xD8, 0x42, 0x00}), "A\xEF\xBF\xBD" "B");
    EXPECT_EQ(stored({0x41, 0x00, 0x00, 0xDC}), "A\xEF\xBF\xBD");
    // An odd last byte, an empty text and resources too short for a byte-order mark.
    EXPECT_EQ(stored({0x41, 0x00, 0x42}), "A");
    EXPECT_EQ(stored({0x00, 0x00, 0x41, 0x00}), "");
    EXPECT_EQ(decodeStoredText(std::vector<std::uint8_t>{0xFF}), "");
    EXPECT_EQ(decodeStoredText({}), "");
    // Malformed UTF-8 is refused, not stored half-converted.
    EXPECT_FALSE(utf8ToUtf16Le("\xC3"));
    EXPECT_FALSE(utf8ToUtf16Le("\xC0\xAF"));
    EXPECT_FALSE(utf8ToUtf16Le("\xED\xA0\x80"));
}

} // namespace
} // namespace zka
