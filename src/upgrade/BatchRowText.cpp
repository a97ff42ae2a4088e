#include "upgrade/BatchRowText.h"

#include "camera/StatusCode.h"
#include "resources/ResourceText.h"

#include <cstdio>

namespace zka {

namespace {

constexpr int kFirstFinal = static_cast<int>(StatusCode::Completed);
constexpr int kLastCode = static_cast<int>(StatusCode::CannotLoadConfig);
constexpr const char* kAbortedLogText = "Not upgraded (the batch was aborted).\r\n";

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

std::string BatchRowText::logLine(const ProgressRow& row) const
{
    // A camera the abort left unstarted ends without a code but with its reason.
    const bool leftByAbort = row.finalStatus == 0 && !row.detail.empty();
    if (row.progress.load() == 0 && row.finalStatus == 0 && !leftByAbort)
        return {};
    std::string line = row.dhcp != 0 ? row.model + "(DHCP:" + row.address + ") " : row.model + "(" + row.address + ") ";
    if (leftByAbort)
        line += kAbortedLogText;
    else if (row.finalStatus >= kFirstFinal && row.finalStatus <= kLastCode)
        line += logOutcomes_[static_cast<std::size_t>(row.finalStatus)];
    return line;
}

} // namespace zka
