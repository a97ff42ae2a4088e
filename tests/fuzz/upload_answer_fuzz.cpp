// The parser of the camera's streamed answer to a firmware upload, fed as the reader feeds it: in
// slices of 1 to 24 bytes. The first bytes of the input choose the slice lengths and where the
// progress outputs start; the rest is the answer.
//
// Whatever the answer: the bar and the row stay within 0..10000 and never move backwards, the
// parser holds no more than its buffer's capacity, and once it has seen the end it says so.
#include "camera/UploadAnswerParser.h"
#include "support/FuzzHost.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

constexpr std::size_t kPatternLength = 8;

void requireInRange(int value)
{
    zka::fuzz::require(value >= 0 && value <= 10000, "a progress output left 0..10000");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using zka::fuzz::require;
    if (size < kPatternLength + 2)
        return 0;
    std::array<std::size_t, kPatternLength> slices{};
    for (std::size_t i = 0; i < kPatternLength; ++i)
        slices[i] = data[i] % zka::UploadAnswerParser::kSliceSize + 1;
    // Where the upload left the display: anywhere from 0 to 10000.
    const int start = (data[kPatternLength] << 8 | data[kPatternLength + 1]) % 10001;
    const std::string_view answer(reinterpret_cast<const char*>(data) + kPatternLength + 2, size - kPatternLength - 2);

    std::atomic<int> step{0};
    std::atomic<int> bar{start};
    std::atomic<int> row{start};
    zka::UploadAnswerParser parser(step);
    const zka::ProgressTargets both{&bar, &row};

    std::size_t at = 0;
    for (std::size_t n = 0; at < answer.size(); ++n) {
        const int barBefore = bar.load();
        const int rowBefore = row.load();
        const std::size_t length = std::min(slices[n % kPatternLength], answer.size() - at);
        parser.append(answer.substr(at, length));
        at += length;
        const int result = parser.parseAll(both);
        requireInRange(bar.load());
        requireInRange(row.load());
        require(bar.load() >= barBefore && row.load() >= rowBefore, "progress moved backwards");
        require(parser.pending().size() <= zka::UploadAnswerParser::kCapacity, "the buffer outgrew its capacity");
        if (result == 0) {
            // The end stays the end.
            require(parser.parseAll(both) == 0, "the end of the answer was forgotten");
            break;
        }
        require(result == 1, "an answer parse gave neither 0 nor 1");
    }
    return 0;
}
