#include "discovery/ReplyParser.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace zka {

namespace {

constexpr char kValueEnd = static_cast<char>(0xFF);
constexpr std::size_t kNumberTextLimit = 15;
constexpr std::size_t kModelLimit = 10;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// One "%d" conversion: optional white space, an optional sign, at least one digit. The value is
// accumulated with wrap-around so that its low bits survive any length.
bool readDecimal(std::string_view text, std::size_t& pos, std::uint32_t& value)
{
    while (pos < text.size() && isSpace(text[pos]))
        ++pos;
    bool negative = false;
    std::size_t cursor = pos;
    if (cursor < text.size() && (text[cursor] == '+' || text[cursor] == '-'))
        negative = text[cursor++] == '-';
    if (cursor >= text.size() || !isDigit(text[cursor]))
        return false;
    std::uint32_t result = 0;
    while (cursor < text.size() && isDigit(text[cursor]))
        result = result * 10u + static_cast<std::uint32_t>(text[cursor++] - '0');
    value = negative ? 0u - result : result;
    pos = cursor;
    return true;
}

} // namespace

std::string_view datagramText(std::span<const std::uint8_t> datagram)
{
    const auto end = std::find(datagram.begin(), datagram.end(), std::uint8_t{0});
    return {reinterpret_cast<const char*>(datagram.data()), static_cast<std::size_t>(end - datagram.begin())};
}

std::string_view replyValue(std::string_view text, std::string_view key)
{
    const auto at = text.find(key);
    if (at == std::string_view::npos)
        return {};
    const auto value = text.substr(at + key.size());
    return value.substr(0, value.find(kValueEnd));
}

std::array<std::uint8_t, 4> parseReplyAddress(std::string_view value)
{
    value = value.substr(0, kNumberTextLimit);
    std::array<std::uint8_t, 4> address{};
    std::size_t pos = 0;
    for (std::size_t i = 0; i < address.size(); ++i) {
        if (i > 0) {
            if (pos >= value.size() || value[pos] != '.')
                break;
            ++pos;
        }
        std::uint32_t number = 0;
        if (!readDecimal(value, pos, number))
            break;
        address[i] = static_cast<std::uint8_t>(number & 0xFFu);
    }
    return address;
}

std::int32_t parseReplyWebPort(std::string_view value)
{
    value = value.substr(0, kNumberTextLimit);
    if (value.empty())
        return 80;
    std::int64_t port = 0;
    for (char c : value) {
        if (!isDigit(c))
            break;
        // Fifteen digits fit in 64 bits; a port beyond 32 bits is kept at the largest value.
        port = std::min<std::int64_t>(port * 10 + (c - '0'), INT_MAX);
    }
    return static_cast<std::int32_t>(port);
}

std::optional<CameraRecord> parseCameraReply(std::string_view text, const SupportedModels* models)
{
    CameraRecord record;
    setFieldText(record.model, replyValue(text, "MODEL:"));
    if (models == nullptr)
        return std::nullopt;
    const std::size_t checked = std::min(models->size(), kModelLimit);
    bool supported = false;
    for (std::size_t i = 0; i < checked && !(*models)[i].empty(); ++i) {
        if ((*models)[i] == record.modelText()) {
            supported = true;
            break;
        }
    }
    if (!supported)
        return std::nullopt;

    setFieldText(record.mac, replyValue(text, "MAC:"));
    if (record.empty())
        return std::nullopt;
    setFieldText(record.serial, replyValue(text, "SERIAL:"));
    record.dhcp = replyValue(text, "DHCP:") == "ON" ? 1 : 0;
    record.dnsAuto = replyValue(text, "DNSAUTO:") == "ON" ? 1 : 0;
    record.ipAddress = parseReplyAddress(replyValue(text, "IPADR:"));
    record.httpPort = parseReplyWebPort(replyValue(text, "WEBPORT:"));
    setFieldText(record.softVersion, replyValue(text, "SOFTVERSION:"));
    return record;
}

DiscoveryTable::StoreResult dispatchDatagram(std::span<const std::uint8_t> datagram, DiscoveryTable& table)
{
    const std::string_view text = datagramText(datagram);
    if (text.find("MODEL:") == std::string_view::npos)
        return DiscoveryTable::StoreResult::Dropped;
    const auto record = parseCameraReply(text, table.supportedModels());
    if (!record)
        return DiscoveryTable::StoreResult::Dropped;
    return table.store(*record);
}

} // namespace zka
