#include "ResourceManifest.h"

#include "resources/Utf16.h"

#include <charconv>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <utility>

namespace zka::resgen {

namespace {

struct Token {
    std::string text;
    bool quoted = false;
};

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads one manifest line at a time and reports faults with the line's position.
class LineParser final {
public:
    LineParser(std::string_view sourceName, std::size_t lineNumber)
        : sourceName_(sourceName)
        , lineNumber_(lineNumber)
    {
    }

    [[noreturn]] void fail(const std::string& what) const
    {
        throw ManifestError(std::string(sourceName_) + ":" + std::to_string(lineNumber_) + ": " + what);
    }

    std::vector<Token> tokenize(std::string_view line) const
    {
        std::vector<Token> tokens;
        std::size_t i = 0;
        while (i < line.size()) {
            if (line[i] == ' ' || line[i] == '\t') {
                ++i;
            } else if (line[i] == '"') {
                tokens.push_back({unescape(line, ++i), true});
            } else {
                const std::size_t start = i;
                while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '"')
                    ++i;
                tokens.push_back({std::string(line.substr(start, i - start)), false});
            }
        }
        return tokens;
    }

    std::uint16_t number(const Token& token) const
    {
        unsigned value = 0;
        const auto* end = token.text.data() + token.text.size();
        const auto [ptr, ec] = std::from_chars(token.text.data(), end, value);
        if (token.quoted || ec != std::errc() || ptr != end || value > 0xFFFF)
            fail("expected a resource number, got \"" + token.text + "\"");
        return static_cast<std::uint16_t>(value);
    }

    std::vector<std::uint8_t> hexBytes(std::string_view hex) const
    {
        if (hex.empty() || hex.size() % 2 != 0)
            fail("tail= needs an even, non-zero count of hexadecimal digits");
        std::vector<std::uint8_t> bytes;
        for (std::size_t i = 0; i < hex.size(); i += 2) {
            const int high = hexDigit(hex[i]);
            const int low = hexDigit(hex[i + 1]);
            if (high < 0 || low < 0)
                fail("bad hexadecimal digit in tail=");
            bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
        }
        return bytes;
    }

private:
    // Reads a quoted string from `i` (just past the opening quote) to its closing quote.
    std::string unescape(std::string_view line, std::size_t& i) const
    {
        std::string out;
        while (i < line.size() && line[i] != '"') {
            char c = line[i++];
            if (c == '\\') {
                if (i >= line.size())
                    fail("unfinished escape");
                c = line[i++];
                switch (c) {
                case 'r': out.push_back('\r'); break;
                case 'n': out.push_back('\n'); break;
                case 't': out.push_back('\t'); break;
                case '0': out.push_back('\0'); break;
                case '"': out.push_back('"'); break;
                case '\\': out.push_back('\\'); break;
                case 'x': {
                    const int high = i < line.size() ? hexDigit(line[i]) : -1;
                    const int low = i + 1 < line.size() ? hexDigit(line[i + 1]) : -1;
                    if (high < 0 || low < 0)
                        fail("\\x needs two hexadecimal digits");
                    out.push_back(static_cast<char>(high * 16 + low));
                    i += 2;
                    break;
                }
                default: fail(std::string("unknown escape \\") + c);
                }
            } else {
                out.push_back(c);
            }
        }
        if (i >= line.size())
            fail("missing closing quote");
        ++i;
        return out;
    }

    std::string_view sourceName_;
    std::size_t lineNumber_;
};

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw ManifestError("cannot read " + path.string());
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Text files are kept with plain line feeds so they stay easy to edit; the stored text has CR LF.
std::string withCrLf(std::string_view text)
{
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        if (text[i] == '\n')
            out.push_back('\r');
        out.push_back(text[i]);
    }
    return out;
}

std::vector<std::uint8_t> storedText(const LineParser& parser, std::string_view utf8, bool terminated,
                                     const std::vector<std::uint8_t>& tail)
{
    auto units = utf8ToUtf16Le(utf8);
    if (!units)
        parser.fail("text is not well-formed UTF-8");
    std::vector<std::uint8_t> bytes;
    bytes.reserve(2 + units->size() + 2 + tail.size());
    bytes.push_back(0xFF);
    bytes.push_back(0xFE);
    bytes.insert(bytes.end(), units->begin(), units->end());
    if (terminated) {
        bytes.push_back(0);
        bytes.push_back(0);
    }
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    return bytes;
}

} // namespace

std::vector<ManifestEntry> parseManifest(std::string_view text, const std::filesystem::path& baseDir,
                                         std::string_view sourceName)
{
    std::vector<ManifestEntry> entries;
    std::set<std::pair<ResourceKind, std::uint16_t>> seen;
    std::set<std::string> versionKeys;
    std::string versionBlock;

    const auto add = [&](const LineParser& parser, ResourceKind kind, std::uint16_t number,
                         std::vector<std::uint8_t> bytes) {
        if (!seen.insert({kind, number}).second)
            parser.fail("resource " + std::to_string(number) + " is defined twice");
        entries.push_back({kind, number, std::move(bytes)});
    };

    std::istringstream lines{std::string(text)};
    std::string line;
    for (std::size_t lineNumber = 1; std::getline(lines, line); ++lineNumber) {
        const auto first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#')
            continue;
        const LineParser parser(sourceName, lineNumber);
        const auto tokens = parser.tokenize(line);
        const std::string& keyword = tokens[0].text;
        if (tokens.size() < 3)
            parser.fail("incomplete line");

        if (keyword == "text") {
            const auto number = parser.number(tokens[1]);
            bool terminated = true;
            std::vector<std::uint8_t> tail;
            std::optional<std::string> value;
            for (std::size_t i = 2; i < tokens.size(); ++i) {
                const Token& token = tokens[i];
                if (token.quoted && !value)
                    value = token.text;
                else if (token.text == "nonul")
                    terminated = false;
                else if (token.text.starts_with("tail="))
                    tail = parser.hexBytes(std::string_view(token.text).substr(5));
                else if (token.text.starts_with("file=") && !value)
                    value = withCrLf(readFile(baseDir / token.text.substr(5)));
                else
                    parser.fail("unexpected \"" + token.text + "\"");
            }
            if (!value)
                parser.fail("text " + std::to_string(number) + " has no value");
            add(parser, ResourceKind::Bin, number, storedText(parser, *value, terminated, tail));
        } else if (keyword == "bytes" || keyword == "string") {
            if (tokens.size() != 3 || !tokens[2].quoted)
                parser.fail(keyword + " takes a number and one quoted value");
            const auto& value = tokens[2].text;
            add(parser, keyword == "bytes" ? ResourceKind::Bin : ResourceKind::String, parser.number(tokens[1]),
                std::vector<std::uint8_t>(value.begin(), value.end()));
        } else if (keyword == "copy") {
            if (tokens.size() != 3)
                parser.fail("copy takes two resource numbers");
            const auto number = parser.number(tokens[1]);
            const auto from = parser.number(tokens[2]);
            const ManifestEntry* source = nullptr;
            for (const auto& entry : entries) {
                if (entry.kind == ResourceKind::Bin && entry.number == from)
                    source = &entry;
            }
            if (!source)
                parser.fail("copy of " + std::to_string(from) + ", which is not defined above");
            auto bytes = source->bytes;
            add(parser, ResourceKind::Bin, number, std::move(bytes));
        } else if (keyword == "version") {
            const auto& key = tokens[1].text;
            if (tokens.size() != 3 || tokens[1].quoted || !tokens[2].quoted || key.find('=') != std::string::npos)
                parser.fail("version takes a key and one quoted value");
            if (tokens[2].text.find('\n') != std::string::npos)
                parser.fail("a version value is one line");
            if (!versionKeys.insert(key).second)
                parser.fail("version key " + key + " is defined twice");
            versionBlock += key + "=" + tokens[2].text + "\n";
        } else {
            parser.fail("unknown keyword \"" + keyword + "\"");
        }
    }
    if (!versionBlock.empty())
        entries.push_back({ResourceKind::Version, 1, std::vector<std::uint8_t>(versionBlock.begin(), versionBlock.end())});
    return entries;
}

std::vector<ManifestEntry> readManifest(const std::filesystem::path& path)
{
    return parseManifest(readFile(path), path.parent_path(), path.string());
}

} // namespace zka::resgen
