// What `batch` was given: its options, and the files they name (targets, an earlier report, the
// events' stream), each read or opened with its fault printed in the command's words.
#include "cli/BatchRequest.h"

#include "cli/CommandLine.h"
#include "cli/ReportedBatch.h"
#include "cli/RolloutOptions.h"
#include "cli/SecretFile.h"
#include "cli/TerminalText.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <iterator>

namespace zka::cli {

std::optional<BatchRequest> readRequest(const std::vector<std::string>& args)
{
    CommandLine line("batch");
    std::vector<std::string> positional;
    LoginOptions::Arguments loginArguments;
    std::string loginsPath;
    std::string reportPath;
    std::string retryPath;
    std::string eventsPath;
    BatchRequest request;
    line.addArguments(positional);
    line.app().add_flag("--discover", request.discover);
    const CLI::Option* retryOption = line.app().add_option("--retry", retryPath);
    loginArguments.addTo(line.app());
    const CLI::Option* loginsOption = line.app().add_option("--logins", loginsPath);
    line.app().add_flag("--retain", request.retain);
    line.app().add_flag("--backup", request.backup);
    line.app().add_flag("--check", request.check);
    const CLI::Option* parallelOption = line.app().add_option("--parallel", request.parallel)->check(CLI::Range(1, BatchScheduler::kMaxParallel));
    const CLI::Option* reportOption = line.app().add_option("--report", reportPath);
    const CLI::Option* eventsOption = line.app().add_option("--events", eventsPath);
    RolloutOptions rollout;
    rollout.addTo(line.app());
    line.addTimeScale();
    const auto refuse = [&line](const std::string& error) -> std::optional<BatchRequest> {
        line.usageError(error);
        return std::nullopt;
    };
    if (!line.parse(args))
        return std::nullopt;
    if (positional.size() > 1)
        return refuse("give at most one TARGETS file");
    if (retryOption->count() != 0) {
        if (!positional.empty() || request.discover)
            return refuse("--retry takes its cameras from the report alone: give no TARGETS and no --discover");
        request.retryPath = retryPath;
    } else if (positional.empty() && !request.discover) {
        return refuse("give a TARGETS file (\"-\" for standard input), --discover, or both; or --retry REPORT");
    }
    if (!positional.empty())
        request.targetsPath = positional.front();
    request.timeScale = line.timeScale();
    if (request.timeScale == 0.0)
        return std::nullopt;
    std::string error;
    const auto policy = rollout.read(std::chrono::system_clock::now(), error);
    if (!policy)
        return refuse(error);
    request.rollout = *policy;
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
    if (eventsOption->count() != 0)
        request.eventsPath = eventsPath;
    if (request.check) {
        if (request.eventsPath)
            return refuse("--check changes no camera and writes no events: give --report for its verdicts");
        // Only inquiries: the check may ask as many cameras at once as the batch ever works on.
        if (parallelOption->count() == 0)
            request.parallel = BatchScheduler::kMaxParallel;
    }
    return request;
}

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

std::optional<RetryList> readRetry(const std::string& path)
{
    const ReportedBatch batch = ReportedBatch::fromFile(path);
    if (!batch.readable) {
        std::fprintf(stderr, "zka-upgrade-cli batch: cannot read the report \"%s\"\n", path.c_str());
        return std::nullopt;
    }
    RetryList list = RetryList::fromBatch(batch);
    if (!list.fault.empty()) {
        std::fprintf(stderr, "zka-upgrade-cli batch: %s: not a report of zka-upgrade-cli batch: %s\n", path.c_str(),
                     list.fault.c_str());
        return std::nullopt;
    }
    if (list.leftOut > 0) {
        std::fprintf(stderr, "zka-upgrade-cli batch: %s: %d cameras past the 256th of that batch are not in it\n",
                     path.c_str(), list.leftOut);
    }
    return list;
}

EventsStream openEvents(const std::string& path)
{
    if (path == "-")
        return EventsStream(stdout);
    EventsStream stream(std::fopen(path.c_str(), "we"));
    if (!stream) {
        std::fprintf(stderr, "zka-upgrade-cli batch: cannot open the events file \"%s\": %s\n", path.c_str(),
                     std::strerror(errno));
    }
    return stream;
}

} // namespace zka::cli
