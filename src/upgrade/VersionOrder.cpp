#include "upgrade/VersionOrder.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace zka {

namespace {

constexpr std::string_view kPrefix = "ver";
constexpr std::string_view kBlanks = " \t";

// The version's numeric parts, each without its leading zeros ("" for zero); nullopt when the
// text is not a version.
std::optional<std::vector<std::string_view>> partsOf(std::string_view text)
{
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return std::nullopt;
    text = text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
    if (text.starts_with(kPrefix))
        text.remove_prefix(kPrefix.size());
    std::vector<std::string_view> parts;
    while (true) {
        const auto end = std::min(text.find('.'), text.size());
        const std::string_view part = text.substr(0, end);
        const bool digits = !part.empty() && std::all_of(part.begin(), part.end(), [](char c) {
            return c >= '0' && c <= '9';
        });
        if (!digits)
            return std::nullopt;
        // Digit strings compare as numbers of any length once their leading zeros are gone.
        parts.push_back(part.substr(std::min(part.find_first_not_of('0'), part.size())));
        if (end == text.size())
            return parts;
        text.remove_prefix(end + 1);
    }
}

int compareParts(std::string_view left, std::string_view right)
{
    if (left.size() != right.size())
        return left.size() < right.size() ? -1 : 1;
    return left.compare(right);
}

} // namespace

VersionOrder compareVersions(std::string_view version, std::string_view reference)
{
    const auto left = partsOf(version);
    const auto right = partsOf(reference);
    if (!left || !right)
        return VersionOrder::Unreadable;
    const std::size_t count = std::max(left->size(), right->size());
    for (std::size_t i = 0; i < count; ++i) {
        const std::string_view a = i < left->size() ? (*left)[i] : std::string_view();
        const std::string_view b = i < right->size() ? (*right)[i] : std::string_view();
        if (const int order = compareParts(a, b); order != 0)
            return order < 0 ? VersionOrder::Older : VersionOrder::Newer;
    }
    return VersionOrder::Same;
}

} // namespace zka
