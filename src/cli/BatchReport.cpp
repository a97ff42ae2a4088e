#include "cli/BatchReport.h"

#include "upgrade/CameraAddressList.h"

#include <nlohmann/json.hpp>

#include <ctime>

namespace zka::cli {

namespace {

// Keys stay in the order they are written.
using json = nlohmann::ordered_json;

json timeOrNull(const std::optional<std::chrono::system_clock::time_point>& when)
{
    return when ? json(isoTime(*when)) : json(nullptr);
}

const char* outcomeOf(const ProgressRow& row)
{
    if (row.finalStatus == 9)
        return "completed";
    if (row.skipped != SkipReason::None)
        return "skipped";
    if (row.finalStatus != 0)
        return "failed";
    // Begun and not ended: the batch was left, or the report was written while it ran.
    return row.statusCode != 0 ? "abandoned" : "not-started";
}

} // namespace

std::string reportAddress(const ProgressRow& row)
{
    return CameraAddress{row.ipAddress, 80}.text();
}

json textOrNull(const std::string& text)
{
    return text.empty() ? json(nullptr) : json(text);
}

std::string isoTime(std::chrono::system_clock::time_point when)
{
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

json summaryJson(const BatchSummary& summary)
{
    json counts = {{"completed", summary.completed}};
    // Only a batch with cameras at their version or later has this count: older readers never saw it.
    if (summary.skipped > 0)
        counts["skipped"] = summary.skipped;
    counts["failed"] = summary.failed;
    counts["notStarted"] = summary.notStarted;
    if (summary.leftOut > 0)
        counts["leftOut"] = summary.leftOut;
    return counts;
}

std::string jsonText(const json& value, int indent)
{
    return value.dump(indent, ' ', false, json::error_handler_t::replace);
}

std::string withoutLineEnd(std::string line)
{
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    return line;
}

std::string logLineText(const BatchScheduler& scheduler, std::size_t row)
{
    return withoutLineEnd(scheduler.rowText().logLine(scheduler.row(row)));
}

BatchSummary BatchSummary::of(const BatchScheduler& scheduler, int leftOut)
{
    BatchSummary summary{0, 0, leftOut, leftOut};
    for (std::size_t i = 0; i < scheduler.rowCount(); ++i) {
        const ProgressRow& row = scheduler.row(i);
        if (row.finalStatus == 9)
            ++summary.completed;
        else if (row.skipped != SkipReason::None)
            ++summary.skipped;
        else if (row.finalStatus == 0 && row.statusCode == 0)
            ++summary.notStarted;
        else
            ++summary.failed;
    }
    return summary;
}

std::string renderBatchReport(const BatchScheduler& scheduler, int leftOut)
{
    json cameras = json::array();
    for (std::size_t i = 0; i < scheduler.rowCount(); ++i) {
        const ProgressRow& row = scheduler.row(i);
        cameras.push_back({
            {"id", row.index + 1},
            {"address", reportAddress(row)},
            {"port", row.httpPort},
            {"model", textOrNull(row.model)},
            {"serial", textOrNull(row.serial)},
            {"versionBefore", textOrNull(row.currentVersion)},
            {"versionAfter", textOrNull(row.versionAfter)},
            {"finalCode", row.finalStatus},
            {"statusWord", scheduler.rowText().statusWord(row)},
            {"outcome", outcomeOf(row)},
            {"failedStage", row.failedStage ? json(std::string(stageName(*row.failedStage))) : json(nullptr)},
            {"logLine", textOrNull(logLineText(scheduler, i))},
            {"detail", textOrNull(row.detail)},
            {"savedConfiguration", textOrNull(row.savedConfiguration)},
            {"started", timeOrNull(row.started)},
            {"ended", timeOrNull(row.ended)},
        });
    }
    const json report = {
        {"schemaVersion", kReportSchemaVersion},
        {"cameras", std::move(cameras)},
        {"summary", summaryJson(BatchSummary::of(scheduler, leftOut))},
    };
    return jsonText(report, 2) + "\n";
}

} // namespace zka::cli
