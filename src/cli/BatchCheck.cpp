// zka-upgrade-cli batch --check: the pre-flight of a batch. Every camera is asked what a real start
// asks it, on up to --parallel worker threads while this thread waits for the operator's Ctrl+C.
#include "cli/BatchCheck.h"

#include "cli/BatchReport.h"
#include "cli/BatchRequest.h"
#include "cli/CommandLine.h"
#include "cli/ReplacedFile.h"
#include "cli/SignalWatch.h"
#include "cli/TerminalText.h"
#include "runtime/EventLoop.h"
#include "upgrade/CameraAddressList.h"

#include <nlohmann/json.hpp>

#include <atomic>
#include <cstdio>
#include <thread>

namespace zka::cli {

namespace {

using json = nlohmann::ordered_json;

constexpr int kExitNotReady = 1;
// Bounds a check whose cameras never answer; its inquiries' own time-outs come far earlier.
constexpr Clock::Duration kRunLimit = std::chrono::hours(24);

// What a report reader and a retry make of a verdict (see renderCheckReport).
const char* outcomeOf(CheckVerdict verdict)
{
    switch (verdict) {
    case CheckVerdict::UpToDate:
    case CheckVerdict::Newer: return "skipped";
    case CheckVerdict::Refused: return "failed";
    case CheckVerdict::Ready:
    case CheckVerdict::NotChecked: break;
    }
    return "not-started";
}

// The verdict in the words of the table's and the report's detail.
std::string detailOf(const CameraCheck& check)
{
    switch (check.verdict) {
    case CheckVerdict::Ready: return "ready";
    case CheckVerdict::UpToDate: return "up to date";
    case CheckVerdict::Newer: return "newer";
    case CheckVerdict::Refused:
    case CheckVerdict::NotChecked: break;
    }
    return check.reason;
}

struct CheckTotals {
    int ready = 0;
    int upToDate = 0;
    int newer = 0;
    int refused = 0;
    int notChecked = 0;

    explicit CheckTotals(const std::vector<CameraCheck>& checks, int leftOut)
        : notChecked(leftOut)
    {
        for (const CameraCheck& check : checks) {
            switch (check.verdict) {
            case CheckVerdict::Ready: ++ready; break;
            case CheckVerdict::UpToDate: ++upToDate; break;
            case CheckVerdict::Newer: ++newer; break;
            case CheckVerdict::Refused: ++refused; break;
            case CheckVerdict::NotChecked: ++notChecked; break;
            }
        }
    }
    bool allReady() const { return newer == 0 && refused == 0 && notChecked == 0; }
};

std::string addressOf(const UpgradeTarget& target)
{
    return CameraAddress{target.address, target.port}.text();
}

} // namespace

std::string renderCheckReport(const std::vector<UpgradeTarget>& targets, const std::vector<CameraCheck>& checks,
                              int leftOut)
{
    json cameras = json::array();
    for (std::size_t i = 0; i < targets.size() && i < checks.size(); ++i) {
        const CameraCheck& check = checks[i];
        cameras.push_back({
            {"id", i + 1},
            {"address", CameraAddress{targets[i].address, 80}.text()},
            {"port", targets[i].port},
            {"model", textOrNull(check.model)},
            {"serial", textOrNull(check.serial)},
            {"versionBefore", textOrNull(check.versionNow)},
            {"versionAfter", textOrNull(check.versionAfter)},
            {"verdict", verdictWord(check.verdict)},
            {"reason", textOrNull(check.reason)},
            {"outcome", outcomeOf(check.verdict)},
            {"detail", textOrNull(detailOf(check))},
        });
    }
    const CheckTotals totals(checks, leftOut);
    json summary = {{"ready", totals.ready},
                    {"upToDate", totals.upToDate},
                    {"newer", totals.newer},
                    {"refused", totals.refused},
                    {"notChecked", totals.notChecked}};
    if (leftOut > 0)
        summary["leftOut"] = leftOut;
    const json report = {
        {"schemaVersion", kReportSchemaVersion},
        {"check", true},
        {"cameras", std::move(cameras)},
        {"summary", std::move(summary)},
    };
    return jsonText(report, 2) + "\n";
}

std::string checkTable(const std::vector<UpgradeTarget>& targets, const std::vector<CameraCheck>& checks,
                       int leftOut)
{
    std::vector<std::vector<std::string>> rows{{"ID", "ADDRESS", "MODEL", "VERSION", "VERDICT", "REASON"}};
    for (std::size_t i = 0; i < targets.size() && i < checks.size(); ++i) {
        const CameraCheck& check = checks[i];
        std::string version = check.versionNow.empty() ? "-" : check.versionNow;
        if (!check.versionAfter.empty())
            version += " -> " + check.versionAfter;
        rows.push_back({std::to_string(i + 1), addressOf(targets[i]), escapeControls(check.model.empty() ? "-" : check.model),
                        escapeControls(version), verdictWord(check.verdict), escapeControls(check.reason)});
    }
    const CheckTotals totals(checks, leftOut);
    std::string out = alignedColumns(rows) + "\n" + std::to_string(totals.ready) + " ready, "
                      + std::to_string(totals.upToDate) + " up to date, " + std::to_string(totals.newer) + " newer, "
                      + std::to_string(totals.refused) + " refused";
    if (totals.notChecked > 0)
        out += ", " + std::to_string(totals.notChecked) + " not checked";
    return out + "\n";
}

int runCheck(const BatchRequest& request, const std::vector<UpgradeTarget>& targets, int leftOut, CheckSeams seams)
{
    const auto writeReport = [&](const std::vector<CameraCheck>& checks) {
        const std::string failure = replaceFile(*request.reportPath, renderCheckReport(targets, checks, leftOut));
        if (!failure.empty()) {
            std::fprintf(stderr, "zka-upgrade-cli batch: cannot write the report \"%s\": %s\n",
                         request.reportPath->c_str(), failure.c_str());
        }
        return failure.empty();
    };
    // Written before any camera is asked, so that a report that cannot be written is known at once.
    if (request.reportPath && !writeReport(std::vector<CameraCheck>(targets.size())))
        return CommandLine::kExitUsage;

    const FleetCheck check(seams.clock, seams.resources, {request.parallel, request.retain});
    std::stop_source stop;
    std::vector<CameraCheck> checks;
    std::atomic<bool> done{false};
    std::jthread worker([&] {
        checks = check.run(targets, stop.get_token());
        done.store(true);
        seams.loop.post([] {}); // wakes the wait below
    });
    bool stopping = false;
    seams.loop.runUntil(
        [&] {
            if (seams.signals.count() >= 1 && !stopping) {
                stopping = true;
                std::fprintf(stderr, "zka-upgrade-cli batch: stopping the check: no further camera is asked\n");
                stop.request_stop();
            }
            return done.load();
        },
        kRunLimit);
    stop.request_stop();
    worker.join();

    std::fputs(checkTable(targets, checks, leftOut).c_str(), stdout);
    std::fflush(stdout);
    const bool reported = !request.reportPath || writeReport(checks);
    return reported && CheckTotals(checks, leftOut).allReady() ? 0 : kExitNotReady;
}

} // namespace zka::cli
