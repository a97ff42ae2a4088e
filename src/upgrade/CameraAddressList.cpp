#include "upgrade/CameraAddressList.h"

#include "resources/ResourceText.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace zka {

namespace {

constexpr std::uint16_t kTwoSeparatorKinds = 305;
constexpr std::uint16_t kInvalidCharacter = 306;
constexpr std::uint16_t kInvalidLine = 307;
constexpr std::uint16_t kInformation = 203;
constexpr std::size_t kPortCharacters = 5;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

// The length of the line end at `at`: CR LF is one line end, and so is a lone CR or LF.
std::size_t lineEndLength(std::string_view text, std::size_t at)
{
    if (text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n')
        return 2;
    return 1;
}

bool isSeparator(char c)
{
    return c == '\t' || c == ':' || c == ',';
}

std::string separatorName(char c)
{
    return c == '\t' ? "a tab" : std::string("\"") + c + "\"";
}

// Blank lines and comments carry no address.
bool isSkipped(std::string_view line)
{
    return line.find_first_not_of(" \t") == std::string_view::npos || line.front() == '#';
}

// The length of the address part of a line: its leading digits and dots.
std::size_t addressLength(std::string_view line)
{
    std::size_t at = 0;
    while (at < line.size() && (isDigit(line[at]) || line[at] == '.'))
        ++at;
    return at;
}

// Why a line checked by checkLines is not an entry, or empty when it is one.
std::string_view parseLine(std::string_view line, CameraAddress& entry)
{
    std::size_t at = 0;
    for (std::size_t octet = 0; octet < entry.address.size(); ++octet) {
        if (octet > 0) {
            if (at >= line.size() || line[at] != '.')
                return "not an address of four numbers separated by \".\"";
            ++at;
        }
        // Leading zeros are decimal; the value stops growing past 255 so that a long number
        // cannot wrap round and name another camera.
        const std::size_t first = at;
        int value = 0;
        for (; at < line.size() && isDigit(line[at]); ++at)
            value = std::min(value * 10 + (line[at] - '0'), 256);
        if (at == first)
            return "not an address of four numbers separated by \".\"";
        if (value > 255)
            return "an address number above 255";
        entry.address[octet] = static_cast<std::uint8_t>(value);
    }
    entry.port = 80;
    if (at == line.size())
        return {};
    // Only the separator may follow the fourth number; a fifth one would be read as another
    // address.
    if (!isSeparator(line[at]))
        return "not an address of four numbers separated by \".\"";
    // The port field ends at the next separator (a spreadsheet's next column); an empty one is 80.
    const std::string_view field = line.substr(at + 1);
    const std::string_view portText = field.substr(0, std::min(field.find(line[at]), kPortCharacters));
    if (portText.empty())
        return {};
    int port = 0;
    for (std::size_t i = 0; i < portText.size() && isDigit(portText[i]); ++i)
        port = port * 10 + (portText[i] - '0');
    if (port == 0 || (port != 80 && (port < 1024 || port > 65535)))
        return "the port is not 80 or 1024 to 65535";
    entry.port = port;
    return {};
}

} // namespace

std::string CameraAddress::text() const
{
    char formatted[32];
    if (port == 80)
        std::snprintf(formatted, sizeof formatted, "%d.%d.%d.%d", address[0], address[1], address[2], address[3]);
    else
        std::snprintf(formatted, sizeof formatted, "%d.%d.%d.%d:%d", address[0], address[1], address[2], address[3], port);
    return formatted;
}

bool CameraAddressList::readText(std::string_view text)
{
    entries_.clear();
    leftOut_ = 0;
    fault_ = {};
    // A NUL ends the text, as it ends the clipboard's.
    text = text.substr(0, text.find('\0'));
    std::vector<Line> lines;
    int number = 0;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = at;
        while (end < text.size() && !isLineEnd(text[end]))
            ++end;
        const std::string_view line = text.substr(at, end - at);
        at = end < text.size() ? end + lineEndLength(text, end) : end;
        ++number;
        if (!isSkipped(line))
            lines.push_back(Line{line, number, static_cast<int>(lines.size()) + 1});
    }
    return checkLines(lines) && parseLines(lines);
}

bool CameraAddressList::readFile(const std::string& path)
{
    entries_.clear();
    leftOut_ = 0;
    fault_ = {};
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        return false;
    return readText(text);
}

std::optional<Message> CameraAddressList::message(const ResourceText& texts) const
{
    switch (fault_.textNumber) {
    case kTwoSeparatorKinds:
    case kInvalidCharacter:
        return Message{texts(fault_.textNumber) + "\r\n" + fault_.errorLine, texts(kInformation),
                       MessageIcon::Information, MessageButtons::Ok};
    case kInvalidLine: {
        // The packaged text carries one "%s" for the line.
        std::string text = texts(kInvalidLine);
        if (const auto at = text.find("%s"); at != std::string::npos)
            text.replace(at, 2, fault_.errorLine);
        return Message{text, texts(kInformation), MessageIcon::Question, MessageButtons::Ok};
    }
    default:
        return std::nullopt;
    }
}

void CameraAddressList::setFault(std::uint16_t textNumber, const Line& line, std::string reason)
{
    char number[32];
    std::snprintf(number, sizeof number, "Line%03d:>", line.entryNumber);
    fault_.textNumber = textNumber;
    fault_.line = std::string(line.text.substr(0, kMaxShownLine));
    fault_.errorLine = number + fault_.line;
    fault_.lineNumber = line.number;
    fault_.reason = std::move(reason);
}

bool CameraAddressList::checkLines(const std::vector<Line>& lines)
{
    // The character check comes first for the whole text, then the kind of separator.
    for (const Line& line : lines) {
        const std::size_t at = addressLength(line.text);
        if (at < line.text.size() && !isSeparator(line.text[at])) {
            setFault(kInvalidCharacter, line,
                     "\"" + std::string(1, line.text[at]) + "\" where only digits, \".\" and then a tab, \":\" or \",\" "
                     "before the port may stand");
            return false;
        }
    }
    char separator = '\0';
    for (const Line& line : lines) {
        const std::size_t at = addressLength(line.text);
        if (at == line.text.size())
            continue;
        if (separator == '\0')
            separator = line.text[at];
        else if (line.text[at] != separator) {
            setFault(kTwoSeparatorKinds, line,
                     "separated by " + separatorName(line.text[at]) + " where an earlier line uses " +
                         separatorName(separator) + " (one kind in the whole list)");
            return false;
        }
    }
    return true;
}

bool CameraAddressList::parseLines(const std::vector<Line>& lines)
{
    std::vector<CameraAddress> parsed;
    for (const Line& line : lines) {
        CameraAddress entry;
        if (const std::string_view reason = parseLine(line.text, entry); !reason.empty()) {
            setFault(kInvalidLine, line, std::string(reason));
            return false;
        }
        // A longer list is cut; its remaining lines are still checked, and counted.
        if (parsed.size() < kMaxEntries)
            parsed.push_back(entry);
        else
            ++leftOut_;
    }
    entries_ = std::move(parsed);
    return true;
}

} // namespace zka
