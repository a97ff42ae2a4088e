#pragma once

#include "runtime/Prompter.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zka {

class ResourceText;

// One camera of an address list: four address bytes, first octet first, and its HTTP port.
struct CameraAddress {
    std::array<std::uint8_t, 4> address{};
    int port = 80;

    // "a.b.c.d", followed by ":port" when the port is not 80: the address text of camera requests.
    std::string text() const;
    bool operator==(const CameraAddress&) const = default;
};

// The text format of camera address lists, shared by the wizard's import (a file or the clipboard)
// and the command line: one IPv4 address a line, optionally followed by one separator (a tab, a
// colon or a comma; one kind in the whole text) and the HTTP port. Lines end with LF, CR LF or a
// lone CR; empty lines are skipped. The whole text is checked before any entry is handed out: a
// text with any fault yields no entries and one message, which the caller shows.
//
// Refused: a character other than digits, ".", the separators and line ends (text 306); two kinds
// of separator (text 305); a line that is not exactly four address numbers of one to three digits,
// each at most 255, and an optional separator and port (text 307, naming the line). The port is read
// from its first five characters; an empty port is 80; a port field whose value is 0 is refused, and
// so is a port other than 80 outside 1024 to 65535. At most 256 entries are taken; later lines are
// still checked.
class CameraAddressList final {
public:
    static constexpr std::size_t kMaxEntries = 256;
    // A line is shown in a message with at most this many characters.
    static constexpr std::size_t kMaxShownLine = 256;

    // Why the last text was refused.
    struct Fault {
        std::uint16_t textNumber = 0; // 305, 306 or 307; 0 when there was none
        std::string errorLine;        // text 307's "Line%03d:>%s": the faulty line's number among
                                      // the non-empty lines, and the line
    };

    // Checks and parses a whole text (up to its first NUL byte); true when it had no fault. On a
    // fault the entries are empty.
    bool readText(std::string_view text);
    // Reads a file whole as the text; false without a fault when it cannot be opened or read.
    bool readFile(const std::string& path);

    const std::vector<CameraAddress>& entries() const { return entries_; }
    const Fault& fault() const { return fault_; }
    // The fault as its message box shows it (caption text 203); nullopt when there was none.
    std::optional<Message> message(const ResourceText& texts) const;

private:
    bool checkText(std::string_view text);
    bool parseText(std::string_view text);
    bool parseLine(std::string_view line, char separator, CameraAddress& entry) const;

    std::vector<CameraAddress> entries_;
    Fault fault_;
};

} // namespace zka
