#include "upgrade/FleetCheck.h"

#include "camera/CameraClient.h"
#include "camera/ConfigBackup.h"
#include "camera/ConfigDownload.h"
#include "http/Credential.h"
#include "resources/PackagedResources.h"
#include "upgrade/CameraAddressList.h"
#include "upgrade/TargetCheck.h"
#include "upgrade/VerdictWords.h"
#include "upgrade/VersionOrder.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace zka {

namespace {

std::string withoutVerPrefix(const std::string& version)
{
    return version.rfind("ver", 0) == 0 ? version.substr(3) : version;
}

// An error text as a cause after a colon: it starts in lower case.
std::string lowerFirst(std::string text)
{
    if (!text.empty() && text.front() >= 'A' && text.front() <= 'Z')
        text.front() = static_cast<char>(text.front() - 'A' + 'a');
    return text;
}

CheckVerdict verdictOf(VersionOrder order)
{
    switch (order) {
    case VersionOrder::Same:
        return CheckVerdict::UpToDate;
    case VersionOrder::Newer:
        return CheckVerdict::Newer;
    case VersionOrder::Older:
    case VersionOrder::Unreadable: // emergency firmware, or no version: an upgrade is what it needs
        break;
    }
    return CheckVerdict::Ready;
}

} // namespace

const char* verdictWord(CheckVerdict verdict)
{
    switch (verdict) {
    case CheckVerdict::Ready: return "ready";
    case CheckVerdict::UpToDate: return "up-to-date";
    case CheckVerdict::Newer: return "newer";
    case CheckVerdict::Refused: return "refused";
    case CheckVerdict::NotChecked: break;
    }
    return "not-checked";
}

FleetCheck::FleetCheck(const Clock& clock, const PackagedResources& resources, Options options)
    : clock_(clock)
    , resources_(resources)
    , firmware_(FirmwareDescription::of(resources))
    , options_{std::clamp(options.parallel, 1, kMaxParallel), options.retain}
{
}

std::vector<CameraCheck> FleetCheck::run(const std::vector<UpgradeTarget>& targets, std::stop_token stop) const
{
    std::vector<CameraCheck> checks(targets.size());
    for (CameraCheck& check : checks)
        check.reason = "the check was stopped";
    // Each worker takes the next camera not yet taken and writes only that camera's verdict.
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t i = next++; i < targets.size() && !stop.stop_requested(); i = next++)
            checks[i] = checkCamera(targets[i], stop);
    };
    {
        const std::size_t count = std::min(targets.size(), static_cast<std::size_t>(options_.parallel));
        std::vector<std::jthread> workers;
        workers.reserve(count);
        for (std::size_t i = 0; i < count; ++i)
            workers.emplace_back(work);
    } // joined here
    return checks;
}

CameraCheck FleetCheck::checkCamera(const UpgradeTarget& target, std::stop_token stop) const
{
    const auto started = std::chrono::steady_clock::now();
    CameraCheck check;
    const auto finish = [&](CheckVerdict verdict, std::string reason = {}) {
        check.verdict = stop.stop_requested() ? CheckVerdict::NotChecked : verdict;
        check.reason = stop.stop_requested() ? "the check was stopped" : std::move(reason);
        check.elapsed = std::chrono::steady_clock::now() - started;
        return check;
    };
    const auto credential = makeCredential(target.name, target.password);
    if (!credential)
        return finish(CheckVerdict::Refused, "the login is too long");
    const std::string addressText = CameraAddress{target.address, target.port}.text();
    CameraClient client(clock_, addressText, *credential);
    const TargetCheck::Result result = TargetCheck(resources_.supportedModels(), *credential).run(client, stop);
    if (result.systemPassed) {
        check.model = result.identity.model;
        check.serial = result.identity.serial;
        check.versionNow = result.identity.versionText();
    }
    if (result.verdict != TargetVerdict::Accepted)
        return finish(CheckVerdict::Refused, rowRefusal(result.verdict).detail);

    // The package and the version a real start would give this camera.
    check.packageSlot = resources_.slotFor(result.identity.docType);
    check.versionAfter = withoutVerPrefix(firmware_.newVersionFor(check.versionNow));
    const CheckVerdict verdict = verdictOf(compareVersions(check.versionNow, check.versionAfter));
    // Only a camera that would be upgraded would have its configuration saved.
    if (verdict == CheckVerdict::Ready && options_.retain) {
        if (std::string fault = readConfiguration(addressText, *credential, stop); !fault.empty())
            return finish(CheckVerdict::Refused, "configuration not readable: " + lowerFirst(std::move(fault)));
    }
    return finish(verdict);
}

std::string FleetCheck::readConfiguration(const std::string& addressText, const std::string& credential,
                                          std::stop_token stop) const
{
    const std::string path = ConfigBackup::cameraFilePath(resources_.principalModel());
    // Every byte is looked at by the download's own checks and then dropped.
    const ConfigSink discard{
        [](std::string&) { return true; },
        [](std::string_view, std::string&) { return true; },
        [](std::string&) { return true; },
    };
    const ConfigDownloadResult result = downloadConfiguration(
        clock_, addressText, path, "Authorization: Basic " + credential, "HTTP://" + addressText + path, discard, stop);
    return result.ok ? std::string() : result.errorText;
}

} // namespace zka
