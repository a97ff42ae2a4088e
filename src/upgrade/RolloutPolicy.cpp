#include "upgrade/RolloutPolicy.h"

#include "upgrade/VersionOrder.h"

#include <charconv>
#include <ctime>

namespace zka {

namespace {

// A whole number written in decimal digits only; nullopt for anything else.
std::optional<int> digitsValue(std::string_view text)
{
    int value = 0;
    if (text.empty() || text.front() < '0' || text.front() > '9')
        return std::nullopt;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace

SkipReason VersionRule::judge(std::string_view cameraVersion, std::string_view newVersion) const
{
    const VersionOrder order = compareVersions(cameraVersion, newVersion);
    if (order == VersionOrder::Same && skipUpToDate)
        return SkipReason::UpToDate;
    if (order == VersionOrder::Newer && skipNewer)
        return SkipReason::Newer;
    return SkipReason::None;
}

std::string_view skipDetail(SkipReason reason)
{
    switch (reason) {
    case SkipReason::None:
        return {};
    case SkipReason::UpToDate:
        return "up to date";
    case SkipReason::Newer:
        return "newer";
    }
    return {};
}

std::string_view haltReason(BatchHalt halt)
{
    switch (halt) {
    case BatchHalt::None:
        return {};
    case BatchHalt::Aborted:
        return "the batch was aborted";
    case BatchHalt::Canary:
        return "halted after the canary";
    case BatchHalt::FailureLimit:
        return "halted: failure limit";
    case BatchHalt::WindowEnded:
        return "maintenance window ended";
    }
    return {};
}

std::optional<FailureLimit> FailureLimit::parse(std::string_view text)
{
    const bool percent = !text.empty() && text.back() == '%';
    if (percent)
        text.remove_suffix(1);
    const auto value = digitsValue(text);
    if (!value || *value < 1 || (percent && *value > 100))
        return std::nullopt;
    return FailureLimit{*value, percent};
}

bool FailureLimit::reached(const BatchTally& tally) const
{
    if (!percent)
        return tally.failed >= value;
    // In whole numbers: failed / started >= value / 100.
    return tally.ended() >= kMinEnded && tally.failed * 100 >= value * tally.started();
}

bool RolloutPolicy::mayBegin(const BatchTally& tally) const
{
    return canary <= 0 || tally.completed >= canary || tally.completed + tally.underWay < canary;
}

BatchHalt RolloutPolicy::haltFor(const BatchTally& tally, std::chrono::system_clock::time_point now) const
{
    if (canary > 0 && tally.completed < canary && tally.failed > 0)
        return BatchHalt::Canary;
    if (maxFailures && maxFailures->reached(tally))
        return BatchHalt::FailureLimit;
    if (stopAt && now >= *stopAt)
        return BatchHalt::WindowEnded;
    return BatchHalt::None;
}

std::optional<std::chrono::system_clock::time_point> nextLocalTime(std::string_view hoursMinutes,
                                                                   std::chrono::system_clock::time_point now)
{
    const auto colon = hoursMinutes.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon > 2 || hoursMinutes.size() != colon + 3)
        return std::nullopt;
    const auto hours = digitsValue(hoursMinutes.substr(0, colon));
    const auto minutes = digitsValue(hoursMinutes.substr(colon + 1));
    if (!hours || !minutes || *hours > 23 || *minutes > 59)
        return std::nullopt;
    const std::time_t nowSeconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&nowSeconds, &local);
    for (int days = 0; days < 2; ++days) {
        std::tm wanted = local;
        wanted.tm_mday += days;
        wanted.tm_hour = *hours;
        wanted.tm_min = *minutes;
        wanted.tm_sec = 0;
        wanted.tm_isdst = -1; // whether summer time applies on that day is for mktime to say
        const auto when = std::chrono::system_clock::from_time_t(std::mktime(&wanted));
        if (when > now)
            return when;
    }
    return std::nullopt;
}

} // namespace zka
