// zka-upgrade-cli upgrade: the manual upgrade of one camera, as the wizard's manual pages run it,
// with the terminal as its view: stage words, progress, every message, and the result.

#include "upgrade/ManualFlow.h"
#include "camera/StatusCode.h"
#include "cli/CommandLine.h"
#include "cli/CommandRegistry.h"
#include "cli/ConsolePrompter.h"
#include "cli/LoginOptions.h"
#include "cli/TerminalText.h"
#include "resources/PackagedResources.h"
#include "runtime/EventLoop.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace zka::cli {

namespace {

// The command's own timer: the progress line, at most once a second of real time.
// Bounds a run whose camera never lets the flow end; the procedure's own limits come far earlier.
constexpr Clock::Duration kRunLimit = std::chrono::hours(24);

// "A.B.C.D" or "A.B.C.D:PORT" as the address text of the camera requests: four decimal octets, and
// a port of 80 (then left out) or 1024 to 65535.
std::optional<std::string> parseCameraAddress(const std::string& text, std::string& error)
{
    unsigned octets[4] = {};
    unsigned port = 80;
    char tail = '\0';
    int consumed = 0;
    const int fields = std::sscanf(text.c_str(), "%3u.%3u.%3u.%3u%n", &octets[0], &octets[1], &octets[2], &octets[3],
                                   &consumed);
    bool valid = fields == 4;
    for (unsigned octet : octets)
        valid = valid && octet <= 255;
    if (valid && text[static_cast<std::size_t>(consumed)] != '\0') {
        const std::string rest = text.substr(static_cast<std::size_t>(consumed));
        valid = rest.size() >= 2 && rest.size() <= 6 && rest[0] == ':' &&
                std::sscanf(rest.c_str() + 1, "%5u%c", &port, &tail) == 1 && (port == 80 || (port >= 1024 && port <= 65535));
        for (std::size_t i = 1; valid && i < rest.size(); ++i)
            valid = rest[i] >= '0' && rest[i] <= '9';
    }
    for (std::size_t i = 0; valid && i < static_cast<std::size_t>(consumed); ++i)
        valid = (text[i] >= '0' && text[i] <= '9') || text[i] == '.';
    if (!valid) {
        error = "\"" + text + "\" is not an IPv4 address with an optional port of 80 or 1024 to 65535";
        return std::nullopt;
    }
    char normal[32];
    if (port == 80)
        std::snprintf(normal, sizeof normal, "%u.%u.%u.%u", octets[0], octets[1], octets[2], octets[3]);
    else
        std::snprintf(normal, sizeof normal, "%u.%u.%u.%u:%u", octets[0], octets[1], octets[2], octets[3], port);
    return std::string(normal);
}

std::string withoutLineEnds(const std::string& text)
{
    std::string plain;
    for (char c : text) {
        if (c == '\r')
            continue;
        plain += c == '\n' ? ' ' : c;
    }
    while (!plain.empty() && plain.back() == ' ')
        plain.pop_back();
    return plain;
}

// The console prompter, remembering the last message so that a failure can end the output with it.
class RecordingConsolePrompter final : public Prompter {
public:
    MessageAnswer show(const Message& message) override
    {
        {
            std::lock_guard lock(mutex_);
            last_ = message;
        }
        return console_.show(message);
    }
    std::optional<Message> last() const
    {
        std::lock_guard lock(mutex_);
        return last_;
    }

private:
    ConsolePrompter console_;
    mutable std::mutex mutex_;
    std::optional<Message> last_;
};

// The terminal as the view of the manual flow.
class ConsoleView final : public ManualFlowObserver {
public:
    explicit ConsoleView(const ResourceText& texts) : texts_(texts) {}

    void pageShown(ManualFlow::Step) override {}
    void busyChanged(bool) override {}
    void stageChanged(int stage) override
    {
        const auto word = statusWords(stage).stageWord;
        if (word != 0)
            print("stage: " + texts_(word));
    }
    void statusTextChanged(const std::string& text) override
    {
        if (!text.empty())
            print("status: " + text);
    }
    void targetDescribed(const std::string& address, const std::string& currentVersion,
                         const std::string& newVersion) override
    {
        print("target " + address + ": current version " + currentVersion + ", new version " + newVersion);
    }
    void setupDataChanged(bool retain, bool backup) override
    {
        print(std::string("settings: ") + (!retain ? "discard" : backup ? "retain and keep a backup" : "retain"));
    }
    void emergencyImageShown(bool shown) override
    {
        if (shown)
            print("the camera runs emergency firmware");
    }
    void configurationSaved(const std::string& localPath) override
    {
        print("configuration saved to " + localPath);
    }
    void resultShown(const std::string& address, const std::string& version) override
    {
        result_ = "result " + address + ": " +
                  withoutLineEnds(texts_(222) + texts_(234) + (version.size() > 3 ? version.substr(3) : version) + texts_(235));
    }

    void printProgress(int value)
    {
        // The restore's chunks may count past the end; the bar stops at 100 %.
        value = std::min(value, 10000);
        if (value == lastProgress_)
            return;
        lastProgress_ = value;
        char line[48];
        std::snprintf(line, sizeof line, "progress %.2f %%", value / 100.0);
        print(line);
    }
    const std::string& result() const { return result_; }

private:
    // Every line may carry camera texts (versions, messages), so it is escaped as a whole.
    static void print(const std::string& line)
    {
        std::printf("%s\n", escapeControls(line).c_str());
        std::fflush(stdout);
    }

    const ResourceText& texts_;
    int lastProgress_ = -1;
    std::string result_;
};

int runUpgrade(const std::vector<std::string>& args)
{
    CommandLine line("upgrade");
    std::vector<std::string> positional;
    LoginOptions::Arguments loginArguments;
    bool retain = false;
    bool backup = false;
    line.addArguments(positional);
    loginArguments.addTo(line.app());
    line.app().add_flag("--retain", retain);
    line.app().add_flag("--backup", backup);
    line.addTimeScale();
    if (!line.parse(args))
        return CommandLine::kExitUsage;
    if (positional.size() != 1)
        return line.usageError("give exactly one camera address");
    std::string error;
    const auto address = parseCameraAddress(positional.front(), error);
    if (!address)
        return line.usageError(error);
    const auto login = LoginOptions::read(loginArguments, error);
    if (!login)
        return line.usageError(error);
    const double timeScale = line.timeScale();
    if (timeScale == 0.0)
        return CommandLine::kExitUsage;

    SystemClock clock(timeScale);
    RecordingConsolePrompter prompter;
    PackagedResources resources(embeddedResources(), prompter);
    resources.loadAll();
    if (resources.supportedModels().empty() || !resources.isLoaded(0))
        return 1; // the loader has shown why

    EventLoop loop(clock);
    ConsoleView view(resources.texts());
    ManualFlow flow(ManualFlow::Seams{clock, loop, loop, prompter, resources.texts()}, resources, view);

    // The step ends when no check or save runs and the upgrade is not under way.
    const auto settled = [&flow] { return !flow.busy() && flow.step() != ManualFlow::Step::Progress; };
    if (flow.submitTarget(*address, login->credentialPlain(), retain, backup))
        loop.runUntil(settled, kRunLimit);
    if (flow.step() == ManualFlow::Step::Confirm && flow.confirmUpgrade()) {
        // Nominally one real second, whatever the time scale.
        const TimerHandle progress = loop.startTimer(
            std::chrono::duration_cast<Clock::Duration>(std::chrono::duration<double, std::milli>(1000.0 / timeScale)),
            [&] {
                flow.followStatus();
                view.printProgress(flow.progress());
            });
        loop.runUntil(settled, kRunLimit);
        progress.stop();
        view.printProgress(flow.progress());
    }

    const std::string savedPath = flow.savedConfigPath();
    if (!savedPath.empty()) {
        std::error_code ignored;
        if (std::filesystem::exists(savedPath, ignored))
            std::printf("backup file: %s\n", savedPath.c_str());
        else
            std::printf("the saved configuration was restored and its file deleted\n");
    }
    if (flow.step() == ManualFlow::Step::Result) {
        std::printf("%s\n", escapeControls(view.result()).c_str());
        if (flow.restoreFailed()) {
            std::printf("Failed: Fault to upload configuration! The camera runs the new firmware without its settings.\n");
            std::fflush(stdout);
            return 1;
        }
        std::printf("Completed\n");
        std::fflush(stdout);
        return 0;
    }
    const auto last = prompter.last();
    std::printf("Failed: %s\n", last ? escapeControls(withoutLineEnds(last->text)).c_str() : "the upgrade did not start");
    std::fflush(stdout);
    return 1;
}

const CommandRegistration registration{Command{
    "upgrade",
    "upgrade the firmware of one camera (the manual mode)",
    "usage: zka-upgrade-cli upgrade ADDRESS[:PORT] --user NAME [--password-file FILE]\n"
    "                               [--retain] [--backup] [--time-scale X]\n"
    "\n"
    "Checks the camera at ADDRESS (its model, version and that NAME is its administrator), then\n"
    "uploads the firmware package, waits while the camera rewrites its firmware and restarts, and\n"
    "confirms the new version. The password is the first line of FILE or, without --password-file,\n"
    "the environment variable ZKA_PASSWORD.\n"
    "\n"
    "  --retain         save the camera's configuration before the upload and restore it afterwards\n"
    "                   (the saved file is deleted after a successful restore)\n"
    "  --backup         with --retain, keep the saved file\n"
    "  --time-scale X   run every wait X times as long (for demonstrations with the simulator)\n"
    "\n"
    "Saved configurations go below $ProgramFiles/VELM/ZKA FirmwareUpgrade/Configurations/.\n"
    "Prints each stage, the progress, every message and the result; exits with 0 when the camera\n"
    "runs the new firmware (with its settings when --retain was given), 1 otherwise.\n",
    runUpgrade,
}};

} // namespace

} // namespace zka::cli
