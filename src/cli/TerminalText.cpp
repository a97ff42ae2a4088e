#include "cli/TerminalText.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <unistd.h>

namespace zka::cli {

namespace {

void appendEscaped(std::string& out, unsigned char byte)
{
    char text[8];
    std::snprintf(text, sizeof text, "\\x%02X", byte);
    out += text;
}

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0u) == 0x80u;
}

// The length of the well-formed UTF-8 sequence of a printable character at the start of text, or
// 0. Overlong forms, surrogates and the C1 controls (U+0080 to U+009F) do not count.
std::size_t printableSequence(std::string_view text)
{
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t length = 0;
    std::uint32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07u;
    } else {
        return 0;
    }
    if (text.size() < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (!isContinuation(byte))
            return 0;
        code = code << 6 | (byte & 0x3Fu);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    const bool invalid = code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF) || (code >= 0x80 && code <= 0x9F);
    return overlong || invalid ? 0 : length;
}

} // namespace

std::string escapeControls(std::string_view text, std::string_view keep)
{
    std::string out;
    out.reserve(text.size());
    std::size_t at = 0;
    while (at < text.size()) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (keep.find(static_cast<char>(byte)) != std::string_view::npos || (byte >= 0x20 && byte < 0x7F)) {
            out += static_cast<char>(byte);
            ++at;
            continue;
        }
        const std::size_t length = byte >= 0x80 ? printableSequence(text.substr(at)) : 0;
        if (length == 0) {
            appendEscaped(out, byte);
            ++at;
            continue;
        }
        out.append(text.substr(at, length));
        at += length;
    }
    return out;
}

std::string alignedColumns(const std::vector<std::vector<std::string>>& rows)
{
    // Characters on the terminal: UTF-8 continuation bytes take no column of their own.
    const auto columnsOf = [](const std::string& text) {
        return static_cast<std::size_t>(std::count_if(
            text.begin(), text.end(), [](char c) { return !isContinuation(static_cast<unsigned char>(c)); }));
    };
    std::vector<std::size_t> widths;
    for (const auto& cells : rows) {
        widths.resize(std::max(widths.size(), cells.size()), 0);
        for (std::size_t i = 0; i < cells.size(); ++i)
            widths[i] = std::max(widths[i], columnsOf(cells[i]));
    }
    std::string out;
    for (const auto& cells : rows) {
        std::string line;
        for (std::size_t i = 0; i < cells.size(); ++i)
            line += cells[i] + std::string(i + 1 < cells.size() ? widths[i] - columnsOf(cells[i]) + 2 : 0, ' ');
        line.erase(line.find_last_not_of(' ') + 1);
        out += line + "\n";
    }
    return out;
}

bool standardOutputIsTerminal()
{
    return ::isatty(STDOUT_FILENO) == 1;
}

} // namespace zka::cli
