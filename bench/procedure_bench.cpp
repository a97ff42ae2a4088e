// Figures of the upgrade procedure against simulated cameras. Run inside the network sandbox:
//   scripts/sandbox.sh build/.../bench/procedure_bench [RUNS]
//
// (a) Overhead: a camera that answers everything at once is upgraded at time scale 0.01; the time
//     to "Completed" is compared with the procedure's fixed waits at that scale plus the time of a
//     plain upload of the package to the same camera.
// (b) CPU while a job waits (the reboot wait with a hanging inquiry, the reconfiguration wait),
//     measured with getrusage over a window of the wait.
//
// The simulated cameras run in child processes forked before this process starts any thread, so
// that the CPU figures hold the procedure's own cost only.
#include "ChildFleet.h"
#include "http/Base64.h"
#include "upgrade/UpgradeJob.h"
#include "camsim/Fleet.h"
#include "resources/PackagedResources.h"
#include "runtime/EventLoop.h"
#include "runtime/Prompter.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::chrono;
using zka::Clock;

using zka::bench::ChildFleet;

zka::camsim::CameraSpec camera(int host)
{
    zka::camsim::CameraSpec made;
    made.address = "127.0.0." + std::to_string(host);
    made.serial = "B0000" + std::to_string(host);
    made.mac = "08:00:46:00:01:" + std::to_string(10 + host);
    return made;
}

class SilentPrompter final : public zka::Prompter {
public:
    zka::MessageAnswer show(const zka::Message& message) override
    {
        std::fprintf(stderr, "message: %s / %s\n", message.caption.c_str(), message.text.c_str());
        return zka::MessageAnswer::Ok;
    }
};

double cpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Bench {
    explicit Bench(double timeScale) : clock(timeScale), loop(clock), resources(zka::embeddedResources(), prompter)
    {
        resources.loadAll();
    }
    std::unique_ptr<zka::UpgradeJob> makeJob(const std::string& address, bool retain = false)
    {
        auto made = std::make_unique<zka::UpgradeJob>(
            zka::UpgradeJob::Seams{clock, loop}, address,
            zka::encodeBase64("admin:admin"), resources.supportedModels(), "B0000");
        made->setOptions(zka::UpgradeJob::Options::batch(retain, true, clock.wallTime()));
        made->setFirmware(resources.packageData()[0], "ver2.45");
        return made;
    }
    // Runs the user-interface thread, which delivers the jobs' ticks, until done() or the
    // nominal limit. A heartbeat wakes the loop so that done() is seen even when nothing else
    // happens; a pure wait (measured for its CPU) runs without it.
    bool run(const std::function<bool()>& done, Clock::Duration limit, bool heartbeat = true)
    {
        const zka::TimerHandle beat = heartbeat ? loop.startTimer(milliseconds(100), [] {}) : zka::TimerHandle();
        return loop.runUntil(done, limit);
    }

    zka::SystemClock clock;
    zka::EventLoop loop;
    SilentPrompter prompter;
    zka::PackagedResources resources;
};

int overhead(ChildFleet& fleet, int runs)
{
    constexpr double kScale = 0.01;
    if (!fleet.waitReady())
        return 2;
    Bench bench(kScale);
    const std::string address = "127.0.0.2";

    // Alternately, so that both see the same load of the machine: the plain upload (the request, the
    // body and the camera's one-step answer, nothing else) and the whole procedure (upload, answer,
    // the 60 s pause, the confirming inquiry).
    std::vector<double> plain;
    std::vector<double> whole;
    const auto settle = [&] { bench.run([] { return false; }, seconds(10)); }; // the camera's flash ends
    for (int i = 0; i < runs; ++i) {
        {
            auto job = bench.makeJob(address);
            const auto begin = steady_clock::now();
            if (job->uploadFirmware() != 0)
                return std::fprintf(stderr, "procedure_bench: the plain upload failed\n"), 1;
            job->readUploadAnswer();
            job->closeUpload();
            plain.push_back(duration<double>(steady_clock::now() - begin).count());
        }
        settle();
        auto job = bench.makeJob(address);
        const auto begin = steady_clock::now();
        job->start();
        if (!bench.run([&] { return zka::isFinal(job->errorCode()); }, minutes(30)) ||
            job->errorCode() != 9)
            return std::fprintf(stderr, "procedure_bench: the upgrade ended with %d\n", job->errorCode()), 1;
        whole.push_back(duration<double>(steady_clock::now() - begin).count());
        job.reset();
        settle();
    }
    const double fixedWaits = duration<double>(bench.clock.toReal(seconds(60))).count();
    const double expected = fixedWaits + median(plain);
    const double measured = median(whole);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::printf("(a) overhead at time scale %.2f, median of %d runs\n", kScale, runs);
    std::printf("    plain upload (request, body, answer)   %8.1f ms\n", median(plain) * 1000);
    std::printf("    fixed waits of the procedure (60 s)     %8.1f ms\n", fixedWaits * 1000);
    std::printf("    sum                                     %8.1f ms\n", expected * 1000);
    std::printf("    whole procedure to \"Completed\"          %8.1f ms  (%+.1f %%, limit +5 %%)\n", measured * 1000,
                (measured / expected - 1) * 100);
    return measured <= expected * 1.05 ? 0 : 1;
}

// CPU of this process over `window` of real time while the job stays in `phase`.
double cpuWhileWaiting(Bench& bench, zka::UpgradeJob& job, zka::UpgradeStage phase, milliseconds settle,
                       milliseconds window)
{
    bench.run([&] { return job.stage() == phase; }, minutes(60));
    bench.run([] { return false; }, duration_cast<Clock::Duration>(settle / bench.clock.timeScale()));
    const double cpuBefore = cpuSeconds();
    const auto begin = steady_clock::now();
    bench.run([] { return false; }, duration_cast<Clock::Duration>(window / bench.clock.timeScale()), false);
    const double wall = duration<double>(steady_clock::now() - begin).count();
    if (job.stage() != phase)
        std::fprintf(stderr, "procedure_bench: the wait ended during the measurement\n");
    return (cpuSeconds() - cpuBefore) / wall * 100;
}

int waitingCpu(ChildFleet& fleet)
{
    constexpr double kScale = 0.05;
    if (!fleet.waitReady())
        return 2;
    Bench bench(kScale);
    auto hanging = bench.makeJob("127.0.0.3");
    hanging->start();
    // Past the first pause (3 s here): ticks run and an inquiry hangs.
    const double reboot = cpuWhileWaiting(bench, *hanging, zka::UpgradeStage::RebootWait, milliseconds(3500),
                                          milliseconds(3000));
    hanging.reset();

    auto silent = bench.makeJob("127.0.0.4", true);
    silent->start();
    const double reconfigure = cpuWhileWaiting(bench, *silent, zka::UpgradeStage::Reconfiguring, milliseconds(200),
                                               milliseconds(3000));
    silent.reset();

    std::printf("(b) CPU of this process while a job waits, time scale %.2f (ticks %.0f times as often as in use)\n",
                kScale, 1 / kScale);
    std::printf("    reboot wait, inquiry hanging            %6.2f %% of one core (limit 1 %%)\n", reboot);
    std::printf("    reconfiguration wait, inquiry hanging   %6.2f %% of one core (limit 1 %%)\n", reconfigure);
    return reboot < 1.0 && reconfigure < 1.0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

    auto immediate = camera(2);
    immediate.afterUpgrade = zka::camsim::AfterUpgrade::Immediate;
    immediate.upgradeSteps = 1;
    immediate.stepSeconds = 0;
    auto hanging = camera(3);
    hanging.afterUpgrade = zka::camsim::AfterUpgrade::HangInquiries;
    hanging.upgradeSteps = 4;
    hanging.stepSeconds = 1;
    auto silent = camera(4);
    silent.silentAfterRestore = true;
    silent.upgradeSteps = 4;
    silent.stepSeconds = 1;

    char root[] = "/tmp/zka-procedure-bench-XXXXXX";
    if (::mkdtemp(root) == nullptr)
        return 2;
    ::setenv("ProgramFiles", root, 1);

    // Both fleets are forked before this process starts any thread.
    ChildFleet fast = ChildFleet::fork({immediate}, 0.01);
    ChildFleet waiting = ChildFleet::fork({hanging, silent}, 0.05);
    const int a = overhead(fast, runs);
    fast.stop();
    const int b = waitingCpu(waiting);
    waiting.stop();
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
    return a != 0 ? a : b;
}
