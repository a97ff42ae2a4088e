#include "upgrade/CameraAddressList.h"

#include "resources/ResourceText.h"

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
    fault_ = {};
    // A NUL ends the text, as it ends the clipboard's.
    text = text.substr(0, text.find('\0'));
    return checkText(text) && parseText(text);
}

bool CameraAddressList::readFile(const std::string& path)
{
    entries_.clear();
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
        return Message{texts(fault_.textNumber), texts(kInformation), MessageIcon::Information, MessageButtons::Ok};
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

bool CameraAddressList::checkText(std::string_view text)
{
    bool tabs = false;
    bool colons = false;
    bool commas = false;
    // Every character is examined, however many lines the text has.
    for (const char c : text) {
        if (isDigit(c) || c == '.' || isLineEnd(c))
            continue;
        if (c == '\t')
            tabs = true;
        else if (c == ':')
            colons = true;
        else if (c == ',')
            commas = true;
        else
            return fault_.textNumber = kInvalidCharacter, false;
    }
    if (int(tabs) + int(colons) + int(commas) > 1)
        return fault_.textNumber = kTwoSeparatorKinds, false;
    return true;
}

bool CameraAddressList::parseText(std::string_view text)
{
    const char separator = text.find('\t') != std::string_view::npos ? '\t'
                           : text.find(':') != std::string_view::npos ? ':'
                                                                      : ',';
    std::vector<CameraAddress> parsed;
    int lineNumber = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        if (isLineEnd(text[at])) {
            at += lineEndLength(text, at);
            continue;
        }
        std::size_t end = at;
        while (end < text.size() && !isLineEnd(text[end]))
            ++end;
        const std::string_view line = text.substr(at, end - at);
        at = end < text.size() ? end + lineEndLength(text, end) : end;
        ++lineNumber;
        CameraAddress entry;
        if (!parseLine(line, separator, entry)) {
            char number[32];
            std::snprintf(number, sizeof number, "Line%03d:>", lineNumber);
            fault_.textNumber = kInvalidLine;
            fault_.errorLine = number + std::string(line.substr(0, kMaxShownLine));
            return false;
        }
        // A longer list is cut without a message; its remaining lines are still checked.
        if (parsed.size() < kMaxEntries)
            parsed.push_back(entry);
    }
    entries_ = std::move(parsed);
    return true;
}

bool CameraAddressList::parseLine(std::string_view line, char separator, CameraAddress& entry) const
{
    std::size_t at = 0;
    for (std::size_t octet = 0; octet < entry.address.size(); ++octet) {
        if (octet > 0) {
            if (at >= line.size() || line[at] != '.')
                return false;
            ++at;
        }
        // One to three decimal digits (leading zeros are decimal), at most 255: a longer number
        // would wrap in a plain integer reading and name another camera.
        const std::size_t first = at;
        int value = 0;
        while (at < line.size() && isDigit(line[at]) && at - first < 4) {
            value = value * 10 + (line[at] - '0');
            ++at;
        }
        if (at == first || at - first > 3 || value > 255)
            return false;
        entry.address[octet] = static_cast<std::uint8_t>(value);
    }
    entry.port = 80;
    if (at == line.size())
        return true;
    // Anything after the address is one separator and the port: a fifth number or a second
    // separator would otherwise be read as another address.
    if (line[at] != separator)
        return false;
    const std::string_view rest = line.substr(at + 1);
    if (rest.find(separator) != std::string_view::npos)
        return false;
    const std::string_view portText = rest.substr(0, kPortCharacters);
    if (portText.empty())
        return true;
    int port = 0;
    for (std::size_t i = 0; i < portText.size() && isDigit(portText[i]); ++i)
        port = port * 10 + (portText[i] - '0');
    if (port == 0 || (port != 80 && (port < 1024 || port > 65535)))
        return false;
    entry.port = port;
    return true;
}

} // namespace zka
