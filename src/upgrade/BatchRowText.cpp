#include "upgrade/BatchRowText.h"

#include "camera/StatusCode.h"
#include "resources/ResourceText.h"

#include <cstdio>

namespace zka {

namespace {

constexpr int kFirstFinal = static_cast<int>(StatusCode::Completed);
constexpr int kLastCode = static_cast<int>(StatusCode::CannotLoadConfig);
constexpr const char* kSkippedWord = "Skipped";

std::string skippedLogText(SkipReason reason)
{
    return reason == SkipReason::Newer ? "Skipped (runs a newer version).\r\n" : "Skipped (up to date).\r\n";
}

} // namespace

BatchRowText::BatchRowText(const ResourceText& texts)
{
    static_assert(kLastCode + 1 == kCodes);
    for (int code = 0; code <= kLastCode; ++code) {
        const StatusWords words = statusWords(code);
        const auto slot = static_cast<std::size_t>(code);
        listWords_[slot] = texts(words.listWord);
        if (words.logLine != 0)
            logOutcomes_[slot] = texts(words.logLine);
    }
}

std::string BatchRowText::id(const ProgressRow& row)
{
    char id[16];
    std::snprintf(id, sizeof id, "%03d", row.index + 1);
    return id;
}

const std::string& BatchRowText::statusWord(int code) const
{
    static const std::string none;
    if (code < 0 || code > kLastCode)
        return none;
    return listWords_[static_cast<std::size_t>(code)];
}

const std::string& BatchRowText::statusWord(const ProgressRow& row) const
{
    static const std::string skipped = kSkippedWord;
    return row.skipped != SkipReason::None ? skipped : statusWord(row.statusCode);
}

std::string BatchRowText::logLine(const ProgressRow& row) const
{
    // A camera skipped, or left unstarted, ends without a code but with its reason.
    const bool notStarted = row.notStartedBy != BatchHalt::None;
    const bool skipped = row.skipped != SkipReason::None;
    if (row.progress.load() == 0 && row.finalStatus == 0 && !notStarted && !skipped)
        return {};
    std::string line = row.dhcp != 0 ? row.model + "(DHCP:" + row.address + ") " : row.model + "(" + row.address + ") ";
    if (skipped)
        line += skippedLogText(row.skipped);
    else if (notStarted)
        line += "Not upgraded (" + std::string(haltReason(row.notStartedBy)) + ").\r\n";
    else if (row.finalStatus >= kFirstFinal && row.finalStatus <= kLastCode)
        line += logOutcomes_[static_cast<std::size_t>(row.finalStatus)];
    return line;
}

} // namespace zka
