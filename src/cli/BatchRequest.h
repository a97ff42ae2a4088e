#pragma once

#include "cli/LoginOptions.h"
#include "cli/LoginsFile.h"
#include "cli/RetryList.h"
#include "upgrade/RolloutPolicy.h"
#include "upgrade/BatchScheduler.h"
#include "upgrade/CameraAddressList.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zka::cli {

// What the command line asked for, once checked.
struct BatchRequest {
    std::optional<std::string> targetsPath; // "-" for standard input
    bool discover = false;
    std::optional<std::string> retryPath; // an earlier report whose unfinished cameras are the targets
    std::optional<LoginOptions> commonLogin;
    std::optional<LoginsFile> logins;
    bool retain = false;
    bool backup = false;
    bool check = false; // the pre-flight: every camera checked, none upgraded
    int parallel = BatchScheduler::kDefaultParallel;
    std::optional<std::string> reportPath;
    std::optional<std::string> eventsPath; // "-" for standard output
    double timeScale = 1.0;
    RolloutPolicy rollout; // what is skipped, the canary, the failure limit, the window's end
};

// The events' stream: standard output (not closed), or a file opened for them.
struct EventsStreamCloser {
    void operator()(std::FILE* stream) const
    {
        if (stream != stdout)
            std::fclose(stream);
    }
};
using EventsStream = std::unique_ptr<std::FILE, EventsStreamCloser>;

// Parses and checks the command line; nullopt after a usage error was printed.
std::optional<BatchRequest> readRequest(const std::vector<std::string>& args);
// Reads the address list ("-": standard input); false after its fault was printed.
bool readTargets(const std::string& path, CameraAddressList& list);
// Reads the cameras to retry from an earlier report; nullopt after its fault was printed.
std::optional<RetryList> readRetry(const std::string& path);
// Opens the events' stream ("-": standard output), truncating a file; null after its fault was printed.
EventsStream openEvents(const std::string& path);

} // namespace zka::cli
