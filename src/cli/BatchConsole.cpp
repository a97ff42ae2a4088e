#include "cli/BatchConsole.h"

#include "cli/BatchReport.h"
#include "cli/TerminalText.h"
#include "upgrade/BatchRowText.h"
#include "upgrade/BatchScheduler.h"

#include <cstdio>

namespace zka::cli {

BatchConsole::BatchConsole(const BatchScheduler& scheduler, Output output, std::chrono::steady_clock::duration gap)
    : scheduler_(scheduler)
    , rowLines_(output == Output::standard)
    , log_(output == Output::standard ? stdout : stderr)
    , gap_(gap)
{
}

std::string BatchConsole::lineOf(std::size_t index) const
{
    const ProgressRow& row = scheduler_.row(index);
    return BatchRowText::id(row) + "\t" + row.address + "\t" + escapeControls(row.model) + "\t"
           + escapeControls(row.version) + "\t" + scheduler_.rowText().statusWord(row) + "\t"
           + std::to_string(row.progress.load() / 100) + "%"
           + (row.detail.empty() ? std::string() : "\t" + escapeControls(row.detail));
}

void BatchConsole::print(std::size_t row, bool whateverTheGap)
{
    if (!rowLines_)
        return;
    if (shown_.size() < scheduler_.rowCount())
        shown_.resize(scheduler_.rowCount());
    Shown& shown = shown_[row];
    std::string line = lineOf(row);
    const auto now = std::chrono::steady_clock::now();
    if (line == shown.line || (!whateverTheGap && !shown.line.empty() && now - shown.at < gap_))
        return;
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
    shown.line = std::move(line);
    shown.at = now;
}

void BatchConsole::rowChanged(std::size_t row)
{
    print(row, false);
}

void BatchConsole::batchEnded()
{
    ended_ = true;
}

void BatchConsole::refresh()
{
    for (std::size_t row = 0; row < scheduler_.rowCount(); ++row)
        print(row, false);
}

void BatchConsole::flush()
{
    for (std::size_t row = 0; row < scheduler_.rowCount(); ++row)
        print(row, true);
}

void BatchConsole::printLog(int leftOut) const
{
    std::fprintf(log_, "Upgrade log:\n");
    for (std::size_t row = 0; row < scheduler_.rowCount(); ++row) {
        const std::string line = logLineText(scheduler_, row);
        if (line.empty())
            continue;
        std::fprintf(log_, "%s\n", escapeControls(line).c_str());
        // A camera never started says why in its own line already.
        const ProgressRow& shown = scheduler_.row(row);
        if (shown.finalStatus != 0 && !shown.detail.empty())
            std::fprintf(log_, "    %s\n", escapeControls(shown.detail).c_str());
    }
    const std::string folder = withoutLineEnd(scheduler_.savedConfigurationsLine());
    if (!folder.empty())
        std::fprintf(log_, "%s\n", escapeControls(folder).c_str());
    const BatchSummary summary = BatchSummary::of(scheduler_, leftOut);
    const std::string skipped = summary.skipped > 0 ? std::to_string(summary.skipped) + " skipped, " : std::string();
    std::fprintf(log_, "%d completed, %s%d failed, %d not started\n", summary.completed, skipped.c_str(),
                 summary.failed, summary.notStarted);
    std::fflush(log_);
}

std::vector<std::string> BatchConsole::inProgress() const
{
    std::vector<std::string> rows;
    for (std::size_t index = 0; index < scheduler_.rowCount(); ++index) {
        const ProgressRow& row = scheduler_.row(index);
        if (row.statusCode > 0 && row.statusCode < 9) {
            rows.push_back(BatchRowText::id(row) + " " + row.address + " " + escapeControls(row.model) + " "
                           + scheduler_.rowText().statusWord(row)
                           + (row.savedConfiguration.empty()
                                  ? std::string()
                                  : ", configuration saved in " + escapeControls(row.savedConfiguration)));
        }
    }
    return rows;
}

} // namespace zka::cli
