#pragma once

#include "upgrade/BatchObserver.h"

#include <cstddef>
#include <string>
#include <vector>

namespace zka {
class BatchScheduler;
} // namespace zka

namespace zka::cli {

// The batch's JSON report on disk, kept current: written whole before the first camera starts and
// again each time a camera ends, each time replacing the file at once (ReplacedFile), so that
// whatever stops the process, a kill or a power cut, leaves the report as it stood when the last
// camera ended. A report that is not a regular file (a pipe, /dev/stdout) cannot be replaced: it
// is only checked for writing at the start and written once at the end.
class BatchReportFile final : public BatchObserver {
public:
    // leftOut: the cameras without a row, counted as not started.
    BatchReportFile(const BatchScheduler& scheduler, std::string path, int leftOut);

    // Before the batch starts: writes the report, or checks that it can be written. The reason
    // of a failure; empty on success.
    std::string begin();
    // After the batch: writes the report as it ends. The reason of a failure; empty on success.
    std::string end();

    void rowChanged(std::size_t row) override;
    void batchEnded() override {}

private:
    std::string write();

    const BatchScheduler& scheduler_;
    const std::string path_;
    const int leftOut_;
    const bool replaceable_;
    std::vector<bool> ended_; // per row: its end was written
};

} // namespace zka::cli
