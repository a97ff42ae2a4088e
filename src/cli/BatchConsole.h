#pragma once

#include "upgrade/BatchObserver.h"

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

namespace zka {
class BatchScheduler;
} // namespace zka

namespace zka::cli {

// The terminal as a view of a batch: one line per change of a row (ID, address, model, version,
// status word, progress in %, tab-separated), at most one a second per row; at the end the upgrade
// log and the summary. The camera's texts are printed with their control characters escaped.
// When standard output carries something else (the events), the row lines are left out and the
// log goes to standard error.
class BatchConsole final : public BatchObserver {
public:
    enum class Output { standard, logOnStandardError };

    explicit BatchConsole(const BatchScheduler& scheduler, Output output = Output::standard,
                          std::chrono::steady_clock::duration gap = std::chrono::seconds(1));

    void rowChanged(std::size_t row) override;
    void batchEnded() override;
    // On the command's own timer: the lines held back, and rows whose progress moved.
    void refresh();
    // The latest state of every row not printed yet, whatever the gap.
    void flush();
    // "Upgrade log:" and the log lines of the rows that have one, then "N completed, M failed, K not
    // started" ("N completed, S skipped, M failed, K not started" when cameras were skipped).
    // leftOut: cameras without a row, counted as not started.
    void printLog(int leftOut = 0) const;
    bool ended() const { return ended_; }
    // The rows whose camera is in the middle of its upgrade, as "ID ADDRESS MODEL STATUS", with the
    // configuration it saved, if any.
    std::vector<std::string> inProgress() const;

    std::string lineOf(std::size_t row) const;

private:
    struct Shown {
        std::string line;
        std::chrono::steady_clock::time_point at{};
    };
    void print(std::size_t row, bool whateverTheGap);

    const BatchScheduler& scheduler_;
    const bool rowLines_;
    std::FILE* const log_;
    const std::chrono::steady_clock::duration gap_;
    std::vector<Shown> shown_;
    bool ended_ = false;
};

} // namespace zka::cli
