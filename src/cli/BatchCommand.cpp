// zka-upgrade-cli batch: the automatic mode of the wizard from a terminal. The cameras come from an
// address list and/or one discovery; the batch scheduler upgrades them; the terminal shows a line
// per change of a camera, then the upgrade log and the summary.

#include "cli/BatchConsole.h"
#include "cli/BatchReport.h"
#include "cli/BatchTargets.h"
#include "cli/CommandLine.h"
#include "cli/CommandRegistry.h"
#include "cli/ConsolePrompter.h"
#include "cli/DiscoveryRun.h"
#include "cli/LoginOptions.h"
#include "cli/LoginsFile.h"
#include "cli/SecretFile.h"
#include "cli/SignalWatch.h"
#include "cli/TerminalText.h"
#include "resources/PackagedResources.h"
#include "runtime/EventLoop.h"
#include "upgrade/BatchScheduler.h"
#include "upgrade/CameraAddressList.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace zka::cli {

namespace {

constexpr int kExitFailed = 1;
constexpr std::uint16_t kDuplicateAddressText = 352;
// The command's own timer: held-back lines and progress, four times a second of real time.
constexpr double kRefreshRealMilliseconds = 250.0;
// Bounds a run whose cameras never let the batch end; the procedure's own limits come far earlier.
constexpr Clock::Duration kRunLimit = std::chrono::hours(24 * 7);

// What the command line asked for, once checked.
struct BatchRequest {
    std::optional<std::string> targetsPath; // "-" for standard input
    bool discover = false;
    std::optional<LoginOptions> commonLogin;
    std::optional<LoginsFile> logins;
    bool retain = false;
    bool backup = false;
    int parallel = BatchScheduler::kDefaultParallel;
    std::optional<std::string> reportPath;
    double timeScale = 1.0;
};

// Parses and checks the command line; nullopt after a usage error was printed.
std::optional<BatchRequest> readRequest(const std::vector<std::string>& args)
{
    CommandLine line("batch");
    std::vector<std::string> positional;
    LoginOptions::Arguments loginArguments;
    std::string loginsPath;
    std::string reportPath;
    BatchRequest request;
    line.addArguments(positional);
    line.app().add_flag("--discover", request.discover);
    loginArguments.addTo(line.app());
    const CLI::Option* loginsOption = line.app().add_option("--logins", loginsPath);
    line.app().add_flag("--retain", request.retain);
    line.app().add_flag("--backup", request.backup);
    line.app().add_option("--parallel", request.parallel)->check(CLI::Range(1, BatchScheduler::kMaxParallel));
    const CLI::Option* reportOption = line.app().add_option("--report", reportPath);
    line.addTimeScale();
    const auto refuse = [&line](const std::string& error) -> std::optional<BatchRequest> {
        line.usageError(error);
        return std::nullopt;
    };
    if (!line.parse(args))
        return std::nullopt;
    if (positional.size() > 1)
        return refuse("give at most one TARGETS file");
    if (positional.empty() && !request.discover)
        return refuse("give a TARGETS file (\"-\" for standard input), --discover, or both");
    if (!positional.empty())
        request.targetsPath = positional.front();
    request.timeScale = line.timeScale();
    if (request.timeScale == 0.0)
        return std::nullopt;
    std::string error;
    // The common login is needed unless every camera has its own in --logins.
    if (loginArguments.userGiven() || loginsOption->count() == 0) {
        request.commonLogin = LoginOptions::read(loginArguments, error);
        if (!request.commonLogin)
            return refuse(error);
    }
    if (loginsOption->count() != 0) {
        request.logins.emplace();
        if (!request.logins->read(loginsPath, error))
            return refuse(error);
        if (request.logins->readableByOthers())
            warnReadableByOthers("zka-upgrade-cli batch", "logins file", loginsPath);
    }
    if (reportOption->count() != 0)
        request.reportPath = reportPath;
    return request;
}

// Reads the address list; false after its fault was printed.
bool readTargets(const std::string& path, CameraAddressList& list)
{
    bool read = false;
    if (path == "-") {
        const std::string text((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
        read = list.readText(text);
    } else {
        read = list.readFile(path);
    }
    if (read)
        return true;
    if (const auto& fault = list.fault(); fault.textNumber != 0) {
        std::fprintf(stderr, "zka-upgrade-cli batch: %s:%d: %s: \"%s\"\n", path.c_str(), fault.lineNumber,
                     fault.reason.c_str(), escapeControls(fault.line).c_str());
    } else {
        std::fprintf(stderr, "zka-upgrade-cli batch: cannot read the targets file \"%s\"\n", path.c_str());
    }
    return false;
}

// Runs the batch until it ends, or until a second signal; true when the operator left early.
bool runScheduler(BatchScheduler& scheduler, BatchConsole& console, EventLoop& loop, const SignalWatch& signals,
                  double timeScale)
{
    const TimerHandle refresh = loop.startTimer(
        std::chrono::duration_cast<Clock::Duration>(
            std::chrono::duration<double, std::milli>(kRefreshRealMilliseconds / timeScale)),
        [&console] { console.refresh(); });
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
    loop.setTimerHandler({});
    return leftEarly;
}

int runBatch(const std::vector<std::string>& args)
{
    const auto request = readRequest(args);
    if (!request)
        return CommandLine::kExitUsage;

    SystemClock clock(request->timeScale);
    ConsolePrompter prompter;
    PackagedResources resources(embeddedResources(), prompter);
    resources.loadAll();
    if (resources.supportedModels().empty() || !resources.isLoaded(0))
        return kExitFailed; // the loader has shown why
    const ResourceText& texts = resources.texts();

    CameraAddressList list;
    if (request->targetsPath && !readTargets(*request->targetsPath, list))
        return CommandLine::kExitUsage;

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
    targets.addListed(list.entries());
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
    // Opened before any camera is upgraded, so that a report that cannot be written is known at once.
    std::ofstream report;
    if (request->reportPath) {
        report.open(*request->reportPath, std::ios::binary | std::ios::trunc);
        if (!report) {
            std::fprintf(stderr, "zka-upgrade-cli batch: cannot write the report \"%s\"\n", request->reportPath->c_str());
            return CommandLine::kExitUsage;
        }
    }

    BatchScheduler scheduler(BatchScheduler::Seams{clock, loop, prompter}, resources, FirmwareDescription::of(resources),
                             request->parallel);
    BatchConsole console(scheduler);
    scheduler.addObserver(console);
    for (const UpgradeTarget& target : targets.targets())
        scheduler.addUpgradeTarget(target);
    scheduler.setBatchOptions(request->retain, !request->backup, clock.wallTime());
    const bool leftEarly = runScheduler(scheduler, console, loop, signals, request->timeScale);

    console.flush();
    if (leftEarly) {
        std::fprintf(stderr, "zka-upgrade-cli batch: left while these cameras were in the middle of an upgrade:\n");
        for (const std::string& row : console.inProgress())
            std::fprintf(stderr, "  %s\n", row.c_str());
    }
    console.printLog(leftOut);
    bool reported = true;
    if (report.is_open()) {
        report << renderBatchReport(scheduler, leftOut);
        report.close();
        reported = !report.fail();
        if (!reported)
            std::fprintf(stderr, "zka-upgrade-cli batch: cannot write the report \"%s\"\n", request->reportPath->c_str());
    }
    // Leaving early, the cameras' threads are stopped as the scheduler goes: nothing waits for them.
    return reported && !leftEarly && BatchSummary::of(scheduler, leftOut).allCompleted() ? 0 : kExitFailed;
}

const CommandRegistration registration{Command{
    "batch",
    "upgrade many cameras, at most N at a time (the automatic mode)",
    "usage: zka-upgrade-cli batch [TARGETS] [--discover] --user NAME [--password-file FILE]\n"
    "                             [--logins FILE] [--retain] [--backup] [--parallel N]\n"
    "                             [--report FILE] [--time-scale X]\n"
    "\n"
    "Upgrades a batch of cameras as the wizard's automatic mode does: one camera starts after\n"
    "another, at most N at a time, each after an inquiry of its model and its administrator login,\n"
    "and never while a camera ahead of it saves its configuration or uploads.\n"
    "\n"
    "  TARGETS               a file of camera addresses, one a line: a.b.c.d, optionally followed by\n"
    "                        a tab, a colon or a comma and the HTTP port (80 or 1024 to 65535);\n"
    "                        \"-\" reads standard input. Blank lines and lines starting with \"#\" are\n"
    "                        skipped; whatever follows the port's digits is ignored.\n"
    "  --discover            add every supported camera that one discovery (10 s) finds, before\n"
    "                        those of TARGETS\n"
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
    "  --report FILE         write a JSON report of every camera to FILE at the end\n"
    "  --time-scale X        run every wait X times as long (for demonstrations with the simulator)\n"
    "\n"
    "At most 256 cameras: those past the 256th are left out, counted as not started. A second\n"
    "camera with the same address is left out with a message. While the batch runs, one line per\n"
    "change of a camera, at most one a second per camera:\n"
    "  ID <TAB> ADDRESS <TAB> MODEL <TAB> VERSION <TAB> STATUS <TAB> PROGRESS% [<TAB> CAUSE]\n"
    "(control characters in the cameras' texts are shown as \\xHH), and at the end the upgrade log\n"
    "and \"N completed, M failed, K not started\".\n"
    "\n"
    "The first SIGINT (Ctrl+C) or SIGTERM aborts: nothing new starts, the cameras in the middle of\n"
    "an upgrade finish, the waiting ones are not started. A second one leaves at once and names the\n"
    "cameras that were in the middle of an upgrade, with the configuration each one saved.\n"
    "\n"
    "Saved configurations go below $ProgramFiles/VELM/ZKA FirmwareUpgrade/Configurations/.\n"
    "\n"
    "Exit status: 0 every camera completed; 1 any did not, or there was no camera to upgrade;\n"
    "64 usage error (also a malformed TARGETS or logins file).\n",
    runBatch,
}};

} // namespace

} // namespace zka::cli
