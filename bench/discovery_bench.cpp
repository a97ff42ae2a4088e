// A full discovery run against 256 simulated cameras that all answer both enquiries: prints how
// many were stored (none may be lost) and how long it took. Run inside the network sandbox.

#include "camsim/Fleet.h"
#include "discovery/DiscoverySession.h"
#include "runtime/EventLoop.h"

#include <chrono>
#include <cstdio>
#include <string>

using namespace std::chrono_literals;

namespace {

// Discovery shows a message only when receiving fails; the bench prints it.
class PrintingPrompter final : public zka::Prompter {
public:
    zka::MessageAnswer show(const zka::Message& message) override
    {
        std::printf("message: %s / %s\n", message.caption.c_str(), message.text.c_str());
        return zka::MessageAnswer::Ok;
    }
};

double milliseconds(std::chrono::steady_clock::duration span)
{
    return std::chrono::duration<double, std::milli>(span).count();
}

} // namespace

int main(int argc, char** argv)
{
    const int expected = zka::DiscoveryTable::kSlots;
    const double timeScale = argc > 1 ? zka::parseTimeScale(argv[1]) : 0.1;
    if (timeScale == 0.0) {
        std::fprintf(stderr, "usage: discovery_bench [TIME_SCALE]\n");
        return 64;
    }

    zka::camsim::Fleet fleet(zka::camsim::defaultFleet(expected), timeScale);
    std::string error;
    if (!fleet.start(error)) {
        std::fprintf(stderr, "discovery_bench: %s (run it in the sandbox)\n", error.c_str());
        return 1;
    }

    const zka::SupportedModels models{"ZKA-QM410", "ZKA-QM410E", "ZKA-QM410P"};
    zka::SystemClock clock(timeScale);
    PrintingPrompter prompter;
    zka::DiscoveryTable table;
    table.setSupportedModels(&models);
    zka::EventLoop loop(clock);
    zka::DiscoveryListener::Environment environment{clock, prompter};
    environment.finished = [&loop] { loop.post([] {}); };

    // A fast timer of the bench's own watches the count while the run goes on: its last look before
    // the second enquiry is the count the first one brought.
    int afterFirst = -1;
    std::chrono::steady_clock::time_point allStored{};
    zka::DiscoverySession session(table, loop, std::move(environment));
    const auto started = std::chrono::steady_clock::now();
    session.start();
    const zka::TimerHandle watch = loop.startTimer(zka::Clock::Duration(1), [&] {
        if (session.sendCount() == 0)
            afterFirst = table.count();
        if (table.count() == expected && allStored == std::chrono::steady_clock::time_point{})
            allStored = std::chrono::steady_clock::now();
    });
    loop.runUntil([&] { return session.finished(); }, 15000ms);
    watch.stop();
    const auto ended = std::chrono::steady_clock::now();

    std::printf("simulated cameras: %d, each answering both enquiries\n", expected);
    std::printf("enquiries received by the fleet: %d\n", fleet.enquiriesReceived());
    std::printf("stored after the first enquiry: %d/%d\n", afterFirst, expected);
    std::printf("stored at the end: %d/%d\n", table.count(), expected);
    if (allStored != std::chrono::steady_clock::time_point{})
        std::printf("time until all stored: %.1f ms\n", milliseconds(allStored - started));
    std::printf("whole run: %.1f ms real (10 s nominal at time scale %g)\n", milliseconds(ended - started), timeScale);
    return table.count() == expected ? 0 : 1;
}
