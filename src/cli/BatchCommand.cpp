// zka-upgrade-cli batch: the automatic mode of the wizard from a terminal. The cameras come from an
// address list and/or one discovery; the batch scheduler upgrades them; the terminal shows a line
// per change of a camera, then the upgrade log and the summary; --events writes the changes as JSON
// lines for a program that follows the batch.

#include "cli/BatchCheck.h"
#include "cli/BatchConsole.h"
#include "cli/BatchRequest.h"
#include "cli/BatchEvents.h"
#include "cli/BatchReport.h"
#include "cli/BatchReportFile.h"
#include "cli/BatchTargets.h"
#include "cli/CommandLine.h"
#include "cli/CommandRegistry.h"
#include "cli/ConsolePrompter.h"
#include "cli/DiscoveryRun.h"
#include "cli/LoginOptions.h"
#include "cli/LoginsFile.h"
#include "cli/RetryList.h"
#include "cli/SecretFile.h"
#include "cli/SignalWatch.h"
#include "cli/TerminalText.h"
#include "resources/PackagedResources.h"
#include "runtime/EventLoop.h"
#include "upgrade/BatchScheduler.h"
#include "upgrade/CameraAddressList.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zka::cli {

namespace {

constexpr int kExitFailed = 1;
// The rollout's policy halted the batch: the canary failed, too many failed, or the window ended.
constexpr int kExitHalted = 4;
// The shell's status of a process ended by SIGINT: the operator left with cameras under way.
constexpr int kExitAbandoned = 130;
constexpr std::uint16_t kDuplicateAddressText = 352;
// The command's own timer: held-back lines and progress, four times a second of real time.
constexpr double kRefreshRealMilliseconds = 250.0;
// Bounds a run whose cameras never let the batch end; the procedure's own limits come far earlier.
constexpr Clock::Duration kRunLimit = std::chrono::hours(24 * 7);

// Runs the batch until it ends, or until a second signal; true when the operator left early.
// refreshViews: on the command's own timer, for the views' held-back lines and moving progress.
bool runScheduler(BatchScheduler& scheduler, BatchConsole& console, const std::function<void()>& refreshViews,
                  EventLoop& loop, const SignalWatch& signals, double timeScale)
{
    const TimerHandle refresh = loop.startTimer(
        std::chrono::duration_cast<Clock::Duration>(
            std::chrono::duration<double, std::milli>(kRefreshRealMilliseconds / timeScale)),
        refreshViews);
    scheduler.start();
    bool aborted = false;
    bool leftEarly = false;
    loop.runUntil(
        [&] {
            const int signalCount = signals.count();
            if (signalCount >= 1 && !aborted) {
                aborted = true;
                std::fprintf(stderr, "zka-upgrade-cli batch: aborting: the cameras being upgraded finish, the "
                                     "waiting ones are not started (again to leave at once)\n");
                scheduler.requestStop();
            }
            leftEarly = signalCount >= 2;
            return leftEarly || console.ended();
        },
        kRunLimit);
    refresh.stop();
    return leftEarly;
}

int runBatch(const std::vector<std::string>& args)
{
    const auto request = readRequest(args);
    if (!request)
        return CommandLine::kExitUsage;

    const bool eventsOnOutput = request->eventsPath == "-";
    SystemClock clock(request->timeScale);
    // With the events on standard output, the messages go where the other messages go.
    ConsolePrompter prompter(eventsOnOutput ? stderr : stdout);
    PackagedResources resources(embeddedResources(), prompter);
    resources.loadAll();
    if (resources.supportedModels().empty() || !resources.isLoaded(0))
        return kExitFailed; // the loader has shown why
    const ResourceText& texts = resources.texts();

    CameraAddressList list;
    if (request->targetsPath && !readTargets(*request->targetsPath, list))
        return CommandLine::kExitUsage;
    std::optional<RetryList> retry;
    if (request->retryPath) {
        retry = readRetry(*request->retryPath);
        if (!retry)
            return CommandLine::kExitUsage;
        if (retry->cameras.empty()) {
            std::fprintf(stderr, "zka-upgrade-cli batch: nothing to retry: every camera of %s completed or was skipped\n",
                         request->retryPath->c_str());
            return 0;
        }
    }

    EventsStream eventsStream;
    if (request->eventsPath) {
        eventsStream = openEvents(*request->eventsPath);
        if (!eventsStream)
            return CommandLine::kExitUsage;
    }

    EventLoop loop(clock);
    // Before any other thread: from here on SIGINT and SIGTERM are counted, not fatal.
    const SignalWatch signals(loop);
    BatchTargets targets(texts(kDuplicateAddressText));
    if (request->discover) {
        targets.addDiscovered(runDiscovery(loop, clock, prompter, resources.supportedModels(),
                                           [&signals] { return signals.count() > 0; }));
        if (signals.count() > 0) {
            std::fprintf(stderr, "zka-upgrade-cli batch: aborted before the batch started\n");
            return kExitFailed;
        }
    }
    targets.addListed(retry ? retry->cameras : list.entries());
    for (const std::string& refusal : targets.refusals())
        std::fprintf(stderr, "zka-upgrade-cli batch: %s\n", refusal.c_str());
    // A batch holds 256 cameras: the rest are never touched, and the run cannot count as a success.
    const int leftOut = static_cast<int>(list.leftOut()) + targets.leftOut();
    if (list.leftOut() > 0) {
        std::fprintf(stderr, "zka-upgrade-cli batch: %s: %zu addresses past the 256th are left out\n",
                     request->targetsPath->c_str(), list.leftOut());
    }
    std::string missing;
    if (!targets.assignLogins(request->logins ? &*request->logins : nullptr, request->commonLogin, missing)) {
        std::fprintf(stderr, "zka-upgrade-cli batch: no login for %s: give --user or a line in --logins\n",
                     missing.c_str());
        return CommandLine::kExitUsage;
    }
    if (targets.targets().empty()) {
        std::fprintf(stderr, "zka-upgrade-cli batch: no camera to upgrade\n");
        return kExitFailed;
    }
    if (request->check)
        return runCheck(*request, targets.targets(), leftOut, CheckSeams{clock, resources, loop, signals});

    BatchScheduler scheduler(BatchScheduler::Seams{clock, loop, prompter}, resources, FirmwareDescription::of(resources),
                             request->parallel);
    BatchConsole console(scheduler,
                         eventsOnOutput ? BatchConsole::Output::logOnStandardError : BatchConsole::Output::standard);
    scheduler.addObserver(console);
    std::optional<BatchEvents> events;
    if (eventsStream) {
        events.emplace(scheduler, clock, eventsStream.get(), leftOut);
        scheduler.addObserver(*events);
    }
    for (const UpgradeTarget& target : targets.targets())
        scheduler.addUpgradeTarget(target);
    std::optional<BatchReportFile> report;
    if (request->reportPath) {
        report.emplace(scheduler, *request->reportPath, leftOut);
        // Written before any camera is upgraded, so that a report that cannot be written is known at once.
        if (const std::string failure = report->begin(); !failure.empty()) {
            std::fprintf(stderr, "zka-upgrade-cli batch: cannot write the report \"%s\": %s\n",
                         request->reportPath->c_str(), failure.c_str());
            return CommandLine::kExitUsage;
        }
        scheduler.addObserver(*report);
    }
    scheduler.setBatchOptions(request->retain, !request->backup, clock.wallTime());
    scheduler.setRolloutPolicy(request->rollout);
    const auto refreshViews = [&console, &events] {
        console.refresh();
        if (events)
            events->refresh();
    };
    const bool leftEarly = runScheduler(scheduler, console, refreshViews, loop, signals, request->timeScale);

    console.flush();
    if (leftEarly) {
        std::fprintf(stderr, "zka-upgrade-cli batch: left while these cameras were in the middle of an upgrade:\n");
        for (const std::string& row : console.inProgress())
            std::fprintf(stderr, "  %s\n", row.c_str());
    }
    const BatchHalt halt = scheduler.halt();
    const bool halted = halt != BatchHalt::None && halt != BatchHalt::Aborted;
    if (halted) {
        std::fprintf(stderr, "zka-upgrade-cli batch: %s: the cameras not yet begun were not started\n",
                     std::string(haltReason(halt)).c_str());
    }
    console.printLog(leftOut);
    bool reported = true;
    if (events) {
        scheduler.removeObserver(*events);
        if (!events->end()) {
            reported = false;
            std::fprintf(stderr, "zka-upgrade-cli batch: cannot write the events to \"%s\"\n",
                         request->eventsPath->c_str());
        }
    }
    if (report) {
        scheduler.removeObserver(*report);
        if (const std::string failure = report->end(); !failure.empty()) {
            reported = false;
            std::fprintf(stderr, "zka-upgrade-cli batch: cannot write the report \"%s\": %s\n",
                         request->reportPath->c_str(), failure.c_str());
        }
    }
    // Leaving early, the cameras' threads are stopped as the scheduler goes: nothing waits for them.
    if (leftEarly)
        return kExitAbandoned;
    if (halted)
        return kExitHalted;
    return reported && BatchSummary::of(scheduler, leftOut).allCompletedOrSkipped() ? 0 : kExitFailed;
}

const CommandRegistration registration{Command{
    "batch",
    "upgrade many cameras, at most N at a time (the automatic mode)",
    "usage: zka-upgrade-cli batch [TARGETS] [--discover] --user NAME [--password-file FILE]\n"
    "                             [--logins FILE] [--retain] [--backup] [--parallel N]\n"
    "                             [--report FILE] [--events FILE] [--force] [--allow-downgrade]\n"
    "                             [--canary N] [--max-failures N|P%] [--stop-at HH:MM] [--time-scale X]\n"
    "       zka-upgrade-cli batch --retry REPORT --user NAME [--password-file FILE] [OPTIONS]\n"
    "       zka-upgrade-cli batch --check [TARGETS] [--discover] [--retry REPORT] --user NAME [OPTIONS]\n"
    "\n"
    "Upgrades a batch of cameras as the wizard's automatic mode does: one camera starts after\n"
    "another, at most N at a time, each after an inquiry of its model and its administrator login,\n"
    "and never while a camera ahead of it saves its configuration or uploads. A camera that already\n"
    "runs the version it would get, or a later one, is left as it is (\"Skipped\").\n"
    "\n"
    "  TARGETS               a file of camera addresses, one a line: a.b.c.d, optionally followed by\n"
    "                        a tab, a colon or a comma and the HTTP port (80 or 1024 to 65535);\n"
    "                        \"-\" reads standard input. Blank lines and lines starting with \"#\" are\n"
    "                        skipped; whatever follows the port's digits is ignored.\n"
    "  --discover            add every supported camera that one discovery (10 s) finds, before\n"
    "                        those of TARGETS\n"
    "  --retry REPORT        instead of TARGETS and --discover: the cameras of an earlier batch's\n"
    "                        --report whose outcome was not \"completed\" or \"skipped\", at their\n"
    "                        addresses and ports; nothing to retry ends at once with status 0.\n"
    "                        REPORT may be this batch's --report FILE.\n"
    "  --check               the pre-flight: upgrade nothing, but ask every camera what a real\n"
    "                        start asks (model, administrator login unless emergency firmware,\n"
    "                        package and new version) and, with --retain, download its\n"
    "                        configuration into memory and drop it. A table of verdicts: ready\n"
    "                        (version now -> after), up-to-date, newer (runs a later version) or\n"
    "                        refused with the reason; --report writes them as \"verdict\" and\n"
    "                        \"reason\" (a retry of that report takes the ready and the refused\n"
    "                        cameras). --parallel defaults to 16; no --events\n"
    "  --user NAME           the administrator name for every camera\n"
    "  --password-file FILE  its password, the first line of FILE; without this option the password\n"
    "                        comes from the environment variable ZKA_PASSWORD. A password is never\n"
    "                        taken from the command line.\n"
    "  --logins FILE         per-camera logins, one \"ADDRESS[:PORT] NAME PASSWORD\" a line (blank- or\n"
    "                        tab-separated; lines starting with \"#\" are skipped); they take the place\n"
    "                        of --user for their cameras. Keep the file readable by you only: a\n"
    "                        warning says when it is not.\n"
    "  --retain              save each camera's configuration before the upload and restore it\n"
    "                        afterwards (the saved file is deleted after a successful restore)\n"
    "  --backup              with --retain, keep the saved files\n"
    "  --parallel N          the number of cameras worked on at a time, 1 to 16 (default 2)\n"
    "  --report FILE         write a JSON report of every camera to FILE before the first camera\n"
    "                        starts, and again each time a camera ends: the new report replaces\n"
    "                        the file at once, so that however the run ends the file holds every\n"
    "                        camera that had ended\n"
    "  --events FILE         write a JSON line to FILE as each change happens, flushed at once:\n"
    "                        {\"event\": \"row\", \"time\", \"id\", \"address\", \"port\", \"stage\",\n"
    "                        \"statusCode\", \"progress\" (in %), \"detail\"} per change of a camera\n"
    "                        (a moving progress at most once a second), and at the end\n"
    "                        {\"event\": \"summary\", \"time\", and the report's counts}. \"-\" writes\n"
    "                        them to standard output instead of the lines below; the upgrade log\n"
    "                        and the messages then go to standard error\n"
    "  --force               upgrade also the cameras that already run the version they would get\n"
    "  --allow-downgrade     upgrade also the cameras that run a later version (versions compare as\n"
    "                        numbers part by part: 3.9 is older than 3.15)\n"
    "  --canary N            the first N cameras that need the upgrade go alone; the others start\n"
    "                        only when all of them completed, else the batch halts\n"
    "  --max-failures N|P%   halt once N cameras failed, or P% of the cameras started so far\n"
    "                        (judged once at least 4 have ended)\n"
    "  --stop-at HH:MM       the end of the maintenance window, local time (the next HH:MM to come):\n"
    "                        after it no camera starts\n"
    "  --time-scale X        run every wait X times as long (for demonstrations with the simulator)\n"
    "\n"
    "At most 256 cameras: those past the 256th are left out, counted as not started. A second\n"
    "camera with the same address is left out with a message. While the batch runs, one line per\n"
    "change of a camera, at most one a second per camera:\n"
    "  ID <TAB> ADDRESS <TAB> MODEL <TAB> VERSION <TAB> STATUS <TAB> PROGRESS% [<TAB> CAUSE]\n"
    "(control characters in the cameras' texts are shown as \\xHH), and at the end the upgrade log\n"
    "and \"N completed, M failed, K not started\" (with \"S skipped, \" after the completed when\n"
    "cameras were skipped). A skipped camera's line ends with \"up to date\" or \"newer\".\n"
    "\n"
    "A halt (the canary failed, the failure limit was reached, the window ended) acts as an abort:\n"
    "the cameras in the middle of an upgrade finish, no other starts; their report names them\n"
    "\"not-started\" with \"halted after the canary\", \"halted: failure limit\" or \"maintenance\n"
    "window ended\". A failed camera's report gives the stage it failed in (\"failedStage\":\n"
    "inquiry, saving, uploading, overwriting, searching, rebooting, restoring, reconfiguring).\n"
    "\n"
    "The first SIGINT (Ctrl+C) or SIGTERM aborts: nothing new starts, the cameras in the middle of\n"
    "an upgrade finish, the waiting ones are not started. A second one leaves at once and names the\n"
    "cameras that were in the middle of an upgrade, with the configuration each one saved; the\n"
    "report names them \"abandoned\".\n"
    "\n"
    "Saved configurations go below $ProgramFiles/VELM/ZKA FirmwareUpgrade/Configurations/.\n"
    "\n"
    "Exit status: 0 every camera completed or was skipped; 1 any did not, there was no camera to\n"
    "upgrade, or the report or the events could not be written; 4 halted by the canary, the failure\n"
    "limit or the end of the window; 64 usage error (also a malformed TARGETS or logins file, a\n"
    "REPORT that is not a report of this command or cannot be read, or an events FILE that cannot be\n"
    "opened); 130 left by a second signal. With --check: 0 every camera is ready or up to date, 1\n"
    "otherwise.\n",
    runBatch,
}};

} // namespace

} // namespace zka::cli
