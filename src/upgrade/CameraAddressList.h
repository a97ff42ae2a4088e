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
// lone CR; blank lines and lines that begin with "#" are skipped. Whatever follows the port's
// digits is ignored, so spreadsheet rows such as "10.0.0.5,8080,Lobby" are read. The whole text is
// checked before any entry is handed out: a text with any fault yields no entries and one message,
// which the caller shows.
//
// Refused: a character other than digits and "." in the address, or after it anything but a
// separator (text 306); two kinds of separator (text 305); a line that is not exactly four address
// numbers, each at most 255 (leading zeros are decimal), and an optional separator and port (text
// 307). The port is read from its first five characters; an empty port is 80; a port field whose
// value is 0 is refused, and so is a port other than 80 outside 1024 to 65535. At most 256 entries
// are taken; later lines are still checked and counted as left out.
class CameraAddressList final {
public:
    static constexpr std::size_t kMaxEntries = 256;
    // A line is shown in a message with at most this many characters.
    static constexpr std::size_t kMaxShownLine = 256;

    // Why the last text was refused.
    struct Fault {
        std::uint16_t textNumber = 0; // 305, 306 or 307; 0 when there was none
        std::string errorLine;        // "Line%03d:>%s": the faulty line's number among the lines
                                      // that are not skipped, and the line
        int lineNumber = 0;           // the faulty line's number in the text, counting every line
        std::string line;             // the faulty line, at most kMaxShownLine characters
        std::string reason;           // what is wrong with the line, in words
    };

    // Checks and parses a whole text (up to its first NUL byte); true when it had no fault. On a
    // fault the entries are empty.
    bool readText(std::string_view text);
    // Reads a file whole as the text; false without a fault when it cannot be opened or read.
    bool readFile(const std::string& path);

    const std::vector<CameraAddress>& entries() const { return entries_; }
    // How many addresses past the first 256 the text held.
    std::size_t leftOut() const { return leftOut_; }
    const Fault& fault() const { return fault_; }
    // The fault as its message box shows it (caption text 203); nullopt when there was none.
    std::optional<Message> message(const ResourceText& texts) const;

private:
    struct Line {
        std::string_view text;
        int number = 0;      // among all lines
        int entryNumber = 0; // among the lines not skipped
    };

    bool checkLines(const std::vector<Line>& lines);
    bool parseLines(const std::vector<Line>& lines);
    void setFault(std::uint16_t textNumber, const Line& line, std::string reason);

    std::vector<CameraAddress> entries_;
    std::size_t leftOut_ = 0;
    Fault fault_;
};

} // namespace zka
