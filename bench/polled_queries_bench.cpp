// Many polled inquiries at once, as the camera lists start them: 100 contexts each start a network
// inquiry to its own simulated camera at the same moment, and a poller at the lists' 500 ms rhythm
// (scaled) collects the replies. Prints how many were answered correctly, how long they took and the
// threads the process used. Run inside the network sandbox:
//   scripts/sandbox.sh build/.../bench/polled_queries_bench [CAMERAS] [ROUNDS]
#include "camera/CameraContext.h"
#include "http/Credential.h"
#include "camsim/Fleet.h"
#include "resources/ResourceText.h"
#include "runtime/EventLoop.h"

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

class Silent final : public zka::Prompter {
public:
    zka::MessageAnswer show(const zka::Message&) override { return zka::MessageAnswer::Ok; }
};

class NoNavigation final : public zka::HostEvents {
public:
    void postNavigate(int, int) override {}
};

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
    zka::EventLoop loop(clock);
    NoNavigation events;
    Silent prompter;
    const zka::ResourceText texts(zka::embeddedResources(), prompter);
    const zka::SupportedModels models{"ZKA-QM410"};
    const zka::CameraHost host{clock, loop, events, prompter, texts};
    const std::string credential = *zka::makeCredential("admin", "admin");

    std::printf("threads with the fleet running, before the contexts: %d\n", threadCount());
    std::vector<std::unique_ptr<zka::CameraContext>> contexts;
    for (int i = 0; i < cameras; ++i)
        contexts.push_back(std::make_unique<zka::CameraContext>(host, fleet.cameras()[i].address, credential, models, i));

    std::printf("polled network inquiries: %d cameras, %d rounds, started together\n", cameras, rounds);
    std::printf("%-6s %9s %5s %9s %9s %9s %9s %9s %8s\n", "round", "answered", "lost", "start ms", "min ms", "median",
                "max ms", "all ms", "threads");
    int totalLost = 0;
    for (int round = 1; round <= rounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        for (auto& context : contexts)
            context->startQuery("inq=network");
        const double started = Millis(std::chrono::steady_clock::now() - start).count();
        const int peakThreads = threadCount();
        std::vector<double> latency(contexts.size(), -1.0);
        std::size_t pending = contexts.size();
        // The lists give up on a probe after 21 s; so does this poller.
        const auto giveUp = start + 21s;
        while (pending > 0 && std::chrono::steady_clock::now() < giveUp) {
            for (std::size_t i = 0; i < contexts.size(); ++i) {
                if (latency[i] < 0 && contexts[i]->queryFinished()) {
                    latency[i] = Millis(std::chrono::steady_clock::now() - start).count();
                    --pending;
                }
            }
            std::this_thread::sleep_for(1ms);
        }
        const double all = Millis(std::chrono::steady_clock::now() - start).count();
        int answered = 0;
        for (std::size_t i = 0; i < contexts.size(); ++i) {
            std::string mac;
            int tag = -1;
            if (contexts[i]->readMacAddress(contexts[i]->asyncReply(), mac, tag) && tag == static_cast<int>(i)
                && mac == dashed(fleet.cameras()[i].mac))
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
    contexts.clear();
    std::printf("threads after the contexts were destroyed: %d\n", threadCount());
    std::printf("%s: %d of %d queries lost\n", totalLost == 0 ? "OK" : "FAILED", totalLost, cameras * rounds);
    return totalLost == 0 ? 0 : 1;
}
