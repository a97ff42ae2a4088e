// Many polled inquiries at once, as the camera lists start them: 100 clients each start a network
// inquiry to its own simulated camera at the same moment, and a poller at the lists' 500 ms rhythm
// (scaled) collects the replies. Prints how many were answered correctly, how long they took and the
// threads the process used. Run inside the network sandbox:
//   scripts/sandbox.sh build/.../bench/polled_queries_bench [CAMERAS] [ROUNDS]
#include "camera/CameraClient.h"
#include "camera/CameraIdentity.h"
#include "http/Credential.h"
#include "camsim/Fleet.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Millis = std::chrono::duration<double, std::milli>;

int threadCount()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Threads:", 0) == 0)
            return std::atoi(line.c_str() + 8);
    }
    return -1;
}

std::string dashed(std::string mac)
{
    std::replace(mac.begin(), mac.end(), ':', '-');
    return mac;
}

} // namespace

int main(int argc, char** argv)
{
    const int cameras = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const char* sandbox = std::getenv("ZKA_SANDBOX");
    if (sandbox == nullptr || std::string(sandbox) != "inside") {
        std::fprintf(stderr, "run inside the network sandbox: scripts/sandbox.sh %s\n", argv[0]);
        return 2;
    }

    zka::camsim::Fleet fleet(zka::camsim::defaultFleet(cameras, "127.0.1.1"));
    std::string error;
    if (!fleet.start(error)) {
        std::fprintf(stderr, "fleet: %s\n", error.c_str());
        return 1;
    }

    zka::SystemClock clock;
    const std::string credential = *zka::makeCredential("admin", "admin");

    std::printf("threads with the fleet running, before the clients: %d\n", threadCount());
    std::vector<std::unique_ptr<zka::CameraClient>> clients;
    for (int i = 0; i < cameras; ++i)
        clients.push_back(std::make_unique<zka::CameraClient>(clock, fleet.cameras()[i].address, credential));

    std::printf("polled network inquiries: %d cameras, %d rounds, started together\n", cameras, rounds);
    std::printf("%-6s %9s %5s %9s %9s %9s %9s %9s %8s\n", "round", "answered", "lost", "start ms", "min ms", "median",
                "max ms", "all ms", "threads");
    int totalLost = 0;
    for (int round = 1; round <= rounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        for (auto& client : clients)
            client->startQuery("inq=network");
        const double started = Millis(std::chrono::steady_clock::now() - start).count();
        const int peakThreads = threadCount();
        std::vector<double> latency(clients.size(), -1.0);
        std::size_t pending = clients.size();
        // The lists give up on a probe after 21 s; so does this poller.
        const auto giveUp = start + 21s;
        while (pending > 0 && std::chrono::steady_clock::now() < giveUp) {
            for (std::size_t i = 0; i < clients.size(); ++i) {
                if (latency[i] < 0 && clients[i]->queryFinished()) {
                    latency[i] = Millis(std::chrono::steady_clock::now() - start).count();
                    --pending;
                }
            }
            std::this_thread::sleep_for(1ms);
        }
        const double all = Millis(std::chrono::steady_clock::now() - start).count();
        int answered = 0;
        for (std::size_t i = 0; i < clients.size(); ++i) {
            const std::string mac = zka::CameraIdentity::fromSystemReply(clients[i]->polledReply().text, {}).mac;
            if (!mac.empty() && mac == dashed(fleet.cameras()[i].mac))
                ++answered;
        }
        const int lost = cameras - answered;
        totalLost += lost;
        std::vector<double> done;
        std::copy_if(latency.begin(), latency.end(), std::back_inserter(done), [](double v) { return v >= 0; });
        std::sort(done.begin(), done.end());
        const double median = done.empty() ? 0 : done[done.size() / 2];
        std::printf("%-6d %9d %5d %9.1f %9.1f %9.1f %9.1f %9.1f %8d\n", round, answered, lost, started, done.empty() ? 0 : done.front(),
                    median, done.empty() ? 0 : done.back(), all, peakThreads);
    }
    clients.clear();
    std::printf("threads after the clients were destroyed: %d\n", threadCount());
    std::printf("%s: %d of %d queries lost\n", totalLost == 0 ? "OK" : "FAILED", totalLost, cameras * rounds);
    return totalLost == 0 ? 0 : 1;
}
