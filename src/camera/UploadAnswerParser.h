#pragma once

#include "camera/ProgressTargets.h"

#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>

namespace zka {

// Follows the camera's streamed answer to a firmware upload: a "--velmboundary" multipart stream
// whose parts begin with "(k)". The part numbered 0 announces the number of steps after ": ", the
// part numbered k reports step k, anything else is another report. The parser turns these into progress on the bar and the
// row, from the value reached by the upload up to 9400, and tells when the stream has ended.
//
// Bytes accumulate in a buffer of 1026 bytes (the camera's protocol was sized for it). Without a
// delimiter only the last 16 bytes are kept, so a delimiter split across reads is still found.
// When a part's header lines do not end within the buffer, that part is given up: its delimiter is
// dropped so that the parts after it are still followed.
class UploadAnswerParser final {
public:
    static constexpr std::size_t kCapacity = 1026;
    static constexpr std::size_t kSliceSize = 24; // the answer is read this much at a time
    static constexpr int kStepsTarget = 9400;     // where the step reports take the display

    // step: the progress per reported step, shared with the tick timer.
    explicit UploadAnswerParser(std::atomic<int>& step);
    UploadAnswerParser(const UploadAnswerParser&) = delete;
    UploadAnswerParser& operator=(const UploadAnswerParser&) = delete;

    // Forgets a previous answer: empty buffer, base and total 0.
    void reset();
    // Adds bytes as they were read (at most kSliceSize at a time).
    void append(std::string_view bytes);
    // Consumes what has accumulated: 0 once the end of the stream has been seen, 1 to read on.
    int parse(const ProgressTargets& progress);
    // Parses until the end is seen or nothing more can be consumed.
    int parseAll(const ProgressTargets& progress);

    std::string_view pending() const { return buffer_; }
    int progressBase() const { return progressBase_; }
    int progressTotal() const { return progressTotal_; }

private:
    int stepReport(long k, std::size_t partStart, const ProgressTargets& progress);
    int totalReport(std::size_t partStart, std::size_t partEnd, const ProgressTargets& progress);
    int otherReport(std::size_t partStart, const ProgressTargets& progress);

    std::atomic<int>& step_;
    std::string buffer_;
    int progressBase_ = 0;
    int progressTotal_ = 0;
};

} // namespace zka
