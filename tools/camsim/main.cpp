// zka-camsim: a fleet of simulated cameras for demos. Prints "ready" once every socket listens and
// runs until SIGINT or SIGTERM.
#include "camsim/CameraDefaults.h"
#include "camsim/Fleet.h"

#include "runtime/Clock.h"
#include "runtime/VersionText.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <mutex>
#include <pthread.h>
#include <string>

namespace {

constexpr const char* kUsage =
    "usage: zka-camsim [--count N] [--first-address A.B.C.D] [--fleet FILE] [--time-scale X] [--log]\n"
    "       zka-camsim --version\n"
    "  --count N          N default cameras at consecutive addresses (default 1, or 0 with --fleet)\n"
    "  --first-address A  the first default camera's address (default 127.0.0.2)\n"
    "  --fleet FILE       more cameras, described in FILE (see README.md)\n"
    "  --time-scale X     every delay of the cameras is its nominal length times X (default 1)\n"
    "  --log              one line per request received, on standard error\n";

int usage(const std::string& problem)
{
    std::cerr << "zka-camsim: " << problem << '\n' << kUsage;
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    int count = -1;
    std::string firstAddress = "127.0.0.2";
    std::string fleetFile;
    double timeScale = 1.0;
    bool log = false;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const bool hasValue = i + 1 < argc;
        if (option == "--help" || option == "-h") {
            std::cout << kUsage;
            return 0;
        } else if (option == "--version") {
            // The firmware versions its cameras take in an upgrade, as the tool's package gives them.
            std::cout << zka::versionText("zka-camsim", zka::camsim::CameraDefaults::kNewVersion3x,
                                          zka::camsim::CameraDefaults::kNewVersion2x);
            return 0;
        } else if (option == "--log") {
            log = true;
        } else if (!hasValue && (option == "--count" || option == "--first-address" || option == "--fleet"
                                 || option == "--time-scale")) {
            return usage(option + " needs a value");
        } else if (option == "--count") {
            char* end = nullptr;
            const long value = std::strtol(argv[++i], &end, 10);
            if (*argv[i] == '\0' || *end != '\0' || value < 0 || value > 60000)
                return usage("--count needs a number from 0 to 60000");
            count = static_cast<int>(value);
        } else if (option == "--first-address") {
            firstAddress = argv[++i];
        } else if (option == "--fleet") {
            fleetFile = argv[++i];
        } else if (option == "--time-scale") {
            timeScale = zka::parseTimeScale(argv[++i]);
            if (timeScale <= 0.0)
                return usage("--time-scale needs a positive number");
        } else {
            return usage("unknown argument " + option);
        }
    }
    if (count < 0)
        count = fleetFile.empty() ? 1 : 0;

    auto cameras = zka::camsim::defaultFleet(count, firstAddress);
    if (count > 0 && cameras.empty())
        return usage("--first-address needs a dotted IPv4 address");
    std::string error;
    if (!fleetFile.empty() && !zka::camsim::loadFleetFile(fleetFile, cameras, error)) {
        std::cerr << "zka-camsim: " << error << '\n';
        return 2;
    }
    for (std::size_t i = 0; i < cameras.size(); ++i)
        for (std::size_t j = 0; j < i; ++j)
            if (cameras[i].address == cameras[j].address && cameras[i].webPort == cameras[j].webPort) {
                std::cerr << "zka-camsim: two cameras at " << cameras[i].address << ":" << cameras[i].webPort << '\n';
                return 2;
            }

    // Every thread inherits this mask, so the signals wait for sigwait below.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    zka::camsim::Fleet fleet(std::move(cameras), timeScale);
    std::mutex logMutex;
    if (log) {
        fleet.setRequestLog([&logMutex](const zka::camsim::CameraSpec& camera, const zka::camsim::RecordedRequest& r) {
            std::lock_guard lock(logMutex);
            std::cerr << camera.address << ':' << camera.webPort << ' ' << r.method << ' ' << r.path << ' '
                      << r.bodyLength << " bytes" << (r.authorized ? "" : " unauthorized")
                      << (r.uploadVerdict.empty() ? "" : " verdict: " + r.uploadVerdict) << std::endl;
        });
    }
    if (!fleet.start(error)) {
        std::cerr << "zka-camsim: " << error << '\n';
        return 1;
    }
    std::cout << "ready" << std::endl;

    int received = 0;
    sigwait(&signals, &received);
    fleet.stop();
    return 0;
}
