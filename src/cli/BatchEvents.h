#pragma once

#include "upgrade/BatchObserver.h"

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

namespace zka {
class BatchScheduler;
class Clock;
} // namespace zka

namespace zka::cli {

// The batch for a program that follows it: one JSON line per change of a row, written and flushed
// at once, {"event": "row", "time", "id", "address", "port", "stage", "statusCode", "progress",
// "detail"}, and at the end {"event": "summary", "time", and the report's counts}. A change of
// status, final code or texts is written when it happens; a moving progress at most once per gap.
// The address, id, counts and texts are those of the report, so that the two can be joined.
class BatchEvents final : public BatchObserver {
public:
    // out: an open stream, not owned; leftOut: the cameras without a row, counted as not started.
    BatchEvents(const BatchScheduler& scheduler, const Clock& clock, std::FILE* out, int leftOut,
                std::chrono::steady_clock::duration gap = std::chrono::seconds(1));

    void rowChanged(std::size_t row) override;
    void batchEnded() override {}
    // On the command's own timer: rows whose progress moved.
    void refresh();
    // After the batch: every row's latest state not written yet, then the summary. False when a
    // line could not be written.
    bool end();

private:
    struct Written {
        std::string line; // without its time: what changed is what differs
        std::chrono::steady_clock::time_point at{};
    };
    void write(std::size_t row, bool whateverTheGap);
    void writeLine(const std::string& line);

    const BatchScheduler& scheduler_;
    const Clock& clock_;
    std::FILE* const out_;
    const int leftOut_;
    const std::chrono::steady_clock::duration gap_;
    std::vector<Written> written_;
    bool failed_ = false;
};

} // namespace zka::cli
