#include "cli/BatchEvents.h"

#include "cli/BatchReport.h"
#include "runtime/Clock.h"
#include "upgrade/BatchScheduler.h"

#include <nlohmann/json.hpp>

namespace zka::cli {

using json = nlohmann::ordered_json;

BatchEvents::BatchEvents(const BatchScheduler& scheduler, const Clock& clock, std::FILE* out, int leftOut,
                         std::chrono::steady_clock::duration gap)
    : scheduler_(scheduler)
    , clock_(clock)
    , out_(out)
    , leftOut_(leftOut)
    , gap_(gap)
{
}

void BatchEvents::rowChanged(std::size_t row)
{
    write(row, true);
}

void BatchEvents::refresh()
{
    for (std::size_t row = 0; row < scheduler_.rowCount(); ++row)
        write(row, false);
}

bool BatchEvents::end()
{
    for (std::size_t row = 0; row < scheduler_.rowCount(); ++row)
        write(row, true);
    json summary = {{"event", "summary"}, {"time", isoTime(clock_.wallTime())}};
    summary.update(summaryJson(BatchSummary::of(scheduler_, leftOut_)));
    writeLine(jsonText(summary));
    return !failed_;
}

void BatchEvents::write(std::size_t index, bool whateverTheGap)
{
    if (written_.size() < scheduler_.rowCount())
        written_.resize(scheduler_.rowCount());
    const ProgressRow& row = scheduler_.row(index);
    const json fields = {
        {"id", row.index + 1},
        {"address", reportAddress(row)},
        {"port", row.httpPort},
        {"stage", scheduler_.rowText().statusWord(row)},
        {"statusCode", row.statusCode},
        {"progress", row.progress.load() / 100},
        {"detail", textOrNull(row.detail)},
    };
    std::string line = jsonText(fields);
    Written& written = written_[index];
    const auto now = std::chrono::steady_clock::now();
    // Only progress moves without a notification: a change seen on the timer is a progress change.
    if (line == written.line || (!whateverTheGap && !written.line.empty() && now - written.at < gap_))
        return;
    json event = {{"event", "row"}, {"time", isoTime(clock_.wallTime())}};
    event.update(fields);
    writeLine(jsonText(event));
    written.line = std::move(line);
    written.at = now;
}

void BatchEvents::writeLine(const std::string& line)
{
    // Flushed per line: a follower sees each event as it happens.
    if (std::fprintf(out_, "%s\n", line.c_str()) < 0 || std::fflush(out_) != 0)
        failed_ = true;
}

} // namespace zka::cli
