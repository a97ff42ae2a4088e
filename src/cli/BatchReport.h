#pragma once

#include "upgrade/BatchScheduler.h"

#include <nlohmann/json_fwd.hpp>

#include <chrono>
#include <string>

namespace zka::cli {

// How a batch went: completed (code 9), skipped (left as they were: they needed no upgrade), not
// started (dropped or never begun, and the cameras left out because the batch was full), failed
// (any other).
struct BatchSummary {
    int completed = 0;
    int failed = 0;
    int notStarted = 0;
    int leftOut = 0; // of notStarted: the cameras past the 256th, which have no row
    int skipped = 0;

    static BatchSummary of(const BatchScheduler& scheduler, int leftOut = 0);
    bool allCompletedOrSkipped() const { return failed == 0 && notStarted == 0; }
};

// A line of the upgrade log without its CR LF: the terminal and the report end lines their own way.
std::string withoutLineEnd(std::string line);

// The row's line of the upgrade log without its line end; empty for a row the batch never reached.
std::string logLineText(const BatchScheduler& scheduler, std::size_t row);

// What the report and the events share, so that a reader finds the same values in both: the
// camera's address as the report gives it (without its port), a text or null when it is empty, a
// time as ISO 8601 in UTC, the summary's counts ("skipped" and "leftOut" only when there are any),
// and a value as JSON text.
std::string reportAddress(const ProgressRow& row);
nlohmann::ordered_json textOrNull(const std::string& text);
std::string isoTime(std::chrono::system_clock::time_point when);
nlohmann::ordered_json summaryJson(const BatchSummary& summary);
// indent < 0: one line. A camera's texts need not be UTF-8: what cannot be encoded is replaced.
std::string jsonText(const nlohmann::ordered_json& value, int indent = -1);

// The version of the report's layout, its first key: a reader knows by it what the keys mean.
inline constexpr int kReportSchemaVersion = 1;

// The report of a batch as JSON: {"schemaVersion": 1, "cameras": [...], "summary": {...}}, one
// object per camera in row order with its address, identity, versions, final code and word, outcome
// (completed, skipped, failed, not-started, or abandoned: begun and not ended), the stage a failed
// camera failed in (failedStage), log line, kept backup file and the times it started and ended
// (ISO 8601, UTC; null when it never started). Unknown texts are null.
std::string renderBatchReport(const BatchScheduler& scheduler, int leftOut = 0);

} // namespace zka::cli
