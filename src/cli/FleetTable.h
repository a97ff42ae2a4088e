#pragma once

#include "cli/ReportedBatch.h"

#include <string>
#include <vector>

namespace zka::cli {

// How many cameras ended each way. The cameras a batch left out past the 256th count as not started,
// as in the batch's own summary.
struct FleetTotals {
    int completed = 0;
    int skipped = 0;
    int failed = 0;
    int notStarted = 0;
    int abandoned = 0;

    void count(const std::string& outcome);
    int cameras() const { return completed + skipped + failed + notStarted + abandoned; }
    bool allDone() const { return failed == 0 && notStarted == 0 && abandoned == 0; }
    // "3 completed, 0 skipped, 1 failed, 0 not started, 0 abandoned (4 cameras)"
    std::string text() const;
};

// The cameras of several batch reports, one segment per report, as one table: segment, id, address,
// model, version before -> after, outcome and detail, in the order the reports were added.
class FleetTable final {
public:
    void add(const std::string& segment, const ReportedBatch& batch);

    // The table with aligned columns, then the totals per segment and over all of them. Texts from
    // the reports are shown with their control characters escaped.
    std::string text() const;
    // The same rows as CSV with a header line, for a spreadsheet.
    std::string csv() const;
    FleetTotals totals() const;

private:
    struct Row {
        std::string segment;
        ReportedCamera camera;
    };
    struct Segment {
        std::string name;
        FleetTotals totals;
    };

    std::vector<Row> rows_;
    std::vector<Segment> segments_; // in order of first appearance; a repeated name adds up
};

} // namespace zka::cli
