#pragma once

#include "upgrade/ProgressRow.h"

#include <array>
#include <string>

namespace zka {

class ResourceText;

// The texts of a batch row as every front end shows them, the wizard's list and log as the command
// line's: the row's three-digit ID, the status word of its code and its line of the upgrade log.
// The words are read from the resource texts once: a running batch asks for them many times a second.
class BatchRowText final {
public:
    explicit BatchRowText(const ResourceText& texts);

    // The row's position + 1 as three digits ("001").
    static std::string id(const ProgressRow& row);
    // The list word of a status code ("Standby" ... "Error7"); empty for any other code.
    const std::string& statusWord(int code) const;
    // The row's word: its code's, or "Skipped" for a camera left as it was (which only a command
    // line's batch does).
    const std::string& statusWord(const ProgressRow& row) const;
    // The row's line of the upgrade log: "model(address) " or "model(DHCP:address) ", followed by
    // the outcome of a final code, or by the sentence of a camera skipped or left unstarted by an
    // abort or a halt. Empty for a row the batch has not reached yet.
    std::string logLine(const ProgressRow& row) const;

private:
    static constexpr std::size_t kCodes = 17;
    std::array<std::string, kCodes> listWords_;
    std::array<std::string, kCodes> logOutcomes_;
};

} // namespace zka
