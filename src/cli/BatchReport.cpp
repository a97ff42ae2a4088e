#include "cli/BatchReport.h"

#include "upgrade/CameraAddressList.h"

#include <nlohmann/json.hpp>

#include <ctime>

namespace zka::cli {

namespace {

// Keys stay in the order they are written.
using json = nlohmann::ordered_json;

json textOrNull(const std::string& text)
{
    return text.empty() ? json(nullptr) : json(text);
}

json timeOrNull(const std::optional<std::chrono::system_clock::time_point>& when)
{
    if (!when)
        return nullptr;
    const std::time_t seconds = std::chrono::system_clock::to_time_t(*when);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

const char* outcomeOf(const ProgressRow& row)
{
    if (row.finalStatus == 9)
        return "completed";
    if (row.finalStatus != 0)
        return "failed";
    // Begun and not ended: the batch was left, or the report was written while it ran.
    return row.statusCode != 0 ? "abandoned" : "not-started";
}

} // namespace

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
            {"address", CameraAddress{row.ipAddress, 80}.text()},
            {"port", row.httpPort},
            {"model", textOrNull(row.model)},
            {"serial", textOrNull(row.serial)},
            {"versionBefore", textOrNull(row.currentVersion)},
            {"versionAfter", textOrNull(row.versionAfter)},
            {"finalCode", row.finalStatus},
            {"statusWord", scheduler.rowText().statusWord(row)},
            {"outcome", outcomeOf(row)},
            {"logLine", textOrNull(logLineText(scheduler, i))},
            {"detail", textOrNull(row.detail)},
            {"savedConfiguration", textOrNull(row.savedConfiguration)},
            {"started", timeOrNull(row.started)},
            {"ended", timeOrNull(row.ended)},
        });
    }
    const BatchSummary summary = BatchSummary::of(scheduler, leftOut);
    json counts = {{"completed", summary.completed}, {"failed", summary.failed}, {"notStarted", summary.notStarted}};
    if (summary.leftOut > 0)
        counts["leftOut"] = summary.leftOut;
    const json report = {
        {"schemaVersion", kReportSchemaVersion},
        {"cameras", std::move(cameras)},
        {"summary", std::move(counts)},
    };
    // A camera's texts need not be UTF-8: what cannot be encoded is replaced, never an exception.
    return report.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

} // namespace zka::cli
