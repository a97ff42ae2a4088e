// The camera's streamed answer to the firmware upload, fed as the reader feeds it: at most 24 bytes
// at a time.
#include "camera/UploadAnswerParser.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>

namespace zka {
namespace {

std::string part(const std::string& body)
{
    return "--velmboundary\r\nContent-Type: text/plain\r\n\r\n" + body + "\r\n";
}

const std::string kEnd = "--velmboundary--\r\n";

class UploadAnswerParserTest : public ::testing::Test {
protected:
    // Feeds text in slices of `slice` bytes, parsing after each; returns the last result.
    int feed(const std::string& text, std::size_t slice = UploadAnswerParser::kSliceSize)
    {
        int result = 1;
        for (std::size_t at = 0; at < text.size() && result != 0; at += slice) {
            parser.append(std::string_view(text).substr(at, slice));
            result = parser.parseAll(targets());
        }
        return result;
    }
    ProgressTargets targets() { return {withBar ? &bar : nullptr, withRow ? &row : nullptr}; }

    std::atomic<int> step{0};
    UploadAnswerParser parser{step};
    std::atomic<int> bar{0};
    std::atomic<int> row{0};
    bool withBar = false;
    bool withRow = true;
};

TEST_F(UploadAnswerParserTest, FortyStepsFromTheUploadsEndReach9380)
{
    row = 6860;
    EXPECT_EQ(feed(part("(0) Total steps: 40")), 1);
    EXPECT_EQ(parser.progressTotal(), 40);
    EXPECT_EQ(parser.progressBase(), 6860);
    EXPECT_EQ(step.load(), 63); // 2540 / 40, truncated
    EXPECT_EQ(feed(part("(1)")), 1);
    EXPECT_EQ(row.load(), 6923);
    EXPECT_EQ(feed(part("(40)")), 1);
    EXPECT_EQ(row.load(), 9380);
    EXPECT_EQ(feed(kEnd), 0);
}

TEST_F(UploadAnswerParserTest, DelimiterSplitAcrossReadsAfterLongTextIsFound)
{
    row = 6860;
    // 40 bytes of text without a delimiter, so the delimiter of the first part straddles the
    // second and third 24-byte reads and only the kept 16 bytes hold its beginning.
    const std::string preamble(40, 'x');
    const std::string stream = preamble + part("(0) Total: 10") + part("(5)") + kEnd;
    EXPECT_EQ(feed(stream), 0);
    EXPECT_EQ(step.load(), 254);
    EXPECT_EQ(row.load(), 6860 + 5 * 254);
    // Every split position of the end marker is recognised.
    for (std::size_t offset = 0; offset < 24; ++offset) {
        parser.reset();
        EXPECT_EQ(feed(std::string(offset, 'y') + kEnd), 0) << offset;
    }
}

TEST_F(UploadAnswerParserTest, EndMarkerStopsBeforeLaterBytes)
{
    row = 7000;
    EXPECT_EQ(feed(kEnd + part("(0) Total: 10") + part("(9)")), 0);
    EXPECT_EQ(row.load(), 7000);
    EXPECT_EQ(parser.progressTotal(), 0);
}

TEST_F(UploadAnswerParserTest, OtherReportsAdd30)
{
    withBar = true;
    bar = 100;
    row = 200;
    EXPECT_EQ(feed(part("(-1) Erasing") + part("Writing flash") + part("(0) no total here")), 1);
    // "(-1)" and the part without "(" add 30 each; a part numbered 0 without ": " changes nothing.
    EXPECT_EQ(bar.load(), 160);
    EXPECT_EQ(row.load(), 260);
    EXPECT_EQ(parser.progressTotal(), 0);
}

TEST_F(UploadAnswerParserTest, NumberSplitAcrossReadsIsNotAnOtherReport)
{
    row = 6860;
    feed(part("(0) Total: 40"));
    // The step number arrives in three reads: "(", "3", ")".
    const std::string stepPart = part("(3)");
    const auto open = stepPart.find('(');
    parser.append(stepPart.substr(0, open + 1));
    EXPECT_EQ(parser.parseAll(targets()), 1);
    parser.append(stepPart.substr(open + 1, 1));
    EXPECT_EQ(parser.parseAll(targets()), 1);
    EXPECT_EQ(row.load(), 6860);
    parser.append(stepPart.substr(open + 2));
    EXPECT_EQ(parser.parseAll(targets()), 1);
    EXPECT_EQ(row.load(), 6860 + 3 * 63);
}

TEST_F(UploadAnswerParserTest, HostileNumbersNeverTakeTheDisplayOutOfRangeOrBackwards)
{
    withBar = true;
    bar = 6860;
    row = 6860;
    feed(part("(0) Total: 40"));
    // A step far beyond the total counts as the last step.
    feed(part("(1000)"));
    EXPECT_EQ(bar.load(), 9380);
    EXPECT_EQ(row.load(), 9380);
    // A lower step after it does not move the display back.
    feed(part("(3)"));
    EXPECT_EQ(bar.load(), 9380);
    EXPECT_EQ(row.load(), 9380);
    // Numbers beyond any integer type are read with a bound, never overflowing.
    feed(part("(9223372036854775806)") + part("(0) Total: 99999999999999999999999"));
    EXPECT_LE(bar.load(), 10000);
    EXPECT_LE(row.load(), 10000);
    EXPECT_GE(row.load(), 9380);

    // A display already past the steps' target: the steps leave it where it is.
    parser.reset();
    step = 0;
    bar = 9900;
    row = 9900;
    feed(part("(0) Total: 10") + part("(10)"));
    EXPECT_EQ(bar.load(), 9900);
    EXPECT_EQ(row.load(), 9900);
    // Other reports stop at 10000.
    bar = 9990;
    feed(part("Writing") + part("Verifying"));
    EXPECT_EQ(bar.load(), 10000);
}

TEST_F(UploadAnswerParserTest, StepsWithoutAUsableTotalLeaveTheDisplay)
{
    withBar = true;
    bar = 6900;
    row = 6900;
    // No part numbered 0 yet: the display does not fall back to 0.
    feed(part("(7)"));
    EXPECT_EQ(bar.load(), 6900);
    EXPECT_EQ(row.load(), 6900);
    // A total of 0 is not used; the step stays what it was.
    step = 11;
    feed(part("(0) Total: 0"));
    EXPECT_EQ(step.load(), 11);
    feed(part("(8)"));
    EXPECT_EQ(bar.load(), 6900);
}

TEST_F(UploadAnswerParserTest, RowDerivesItsBaseWhenNoStepCameWithTheTotal)
{
    // A total larger than the remaining range gives a step of 0 from a display at 0; the row then
    // takes its own value as the base at the first step report instead of dropping to 0.
    row = 0;
    feed(part("(0) Total: 20000"));
    EXPECT_EQ(parser.progressBase(), 0);
    EXPECT_EQ(step.load(), 0);
    row = 6860; // the ticks moved the row meanwhile
    feed(part("(1)"));
    EXPECT_EQ(parser.progressBase(), 6860);
    EXPECT_EQ(row.load(), 6860);
}

TEST_F(UploadAnswerParserTest, OversizedPartIsGivenUpAndTheNextOneFollowed)
{
    row = 6860;
    feed(part("(0) Total: 40"));
    // Header lines that never end within the buffer.
    const std::string huge = "--velmboundary\r\nX-Junk: " + std::string(3000, 'j') + "\r\n";
    EXPECT_EQ(feed(huge), 1);
    EXPECT_LE(parser.pending().size(), UploadAnswerParser::kCapacity);
    EXPECT_EQ(feed("\r\n(2)\r\n" + part("(10)") + kEnd), 0);
    EXPECT_EQ(row.load(), 6860 + 10 * 63);
}

TEST_F(UploadAnswerParserTest, ManyPartsInOneReadAreAllFollowed)
{
    row = 6860;
    // Parts shorter than one read: several complete in the same slice.
    const std::string tiny = "--velmboundary\r\n\r\n";
    const std::string stream = tiny + "(0): 4\r\n" + tiny + "(1)" + tiny + "(2)" + tiny + "(3)" + tiny + "(4)" + kEnd;
    EXPECT_EQ(feed(stream, stream.size()), 0);
    EXPECT_EQ(row.load(), 6860 + 4 * 635);
}

} // namespace
} // namespace zka
