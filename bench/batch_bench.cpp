// Figures of the automatic batch: 256 simulated cameras in one batch at time scale 0.01, with 2 and
// with 16 positions worked on at a time. Run inside the network sandbox:
//   scripts/sandbox.sh build/.../bench/batch_bench [CAMERAS]      (256 by default)
//
// For each run: whether every camera ended with the code its kind calls for (1 in 16 refuses the
// login: 12; 1 in 16 comes back with its old version: 11; the rest complete: 9); the peak resident
// memory of this process against the package size + 40 MB; and the wall time against the least the
// rules allow, the larger of (the sum of each camera's fixed waits / parallel) and (the sum of the
// upload times, as no two bodies go out at once), which must stay within 1.10. A camera's fixed
// waits are its streamed answer, as long as the camera took to send it (the scheduler cannot make a
// camera answer sooner; the nominal length is printed beside it), and the procedure's 60 s pause.
//
// Then the pre-flight check (FleetCheck) of another 256 cameras with 16 at once, each of them
// answering every request after 2 s nominal: its wall time against the sum of the cameras' own
// check times / 16, which must stay within 1.20.
//
// The cameras run in child processes forked before this process starts any thread, so that the
// memory figure holds the batch's own cost only.
#include "ChildFleet.h"
#include "camsim/Fleet.h"
#include "resources/FirmwareDescription.h"
#include "resources/PackagedResources.h"
#include "runtime/EventLoop.h"
#include "runtime/Prompter.h"
#include "upgrade/BatchScheduler.h"
#include "upgrade/FleetCheck.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace std::chrono;
using zka::Clock;
using zka::bench::ChildFleet;

constexpr double kScale = 0.01;
constexpr double kRebootPauseSeconds = 60; // the procedure's first pause after the upload
constexpr double kLimitRatio = 1.10;
constexpr long kMemoryAllowance = 40L << 20;
constexpr double kCheckLimitRatio = 1.20;
constexpr int kCheckParallel = 16;
constexpr double kCheckAnswerSeconds = 2; // nominal: the inquiries take a measurable time

class Printer final : public zka::Prompter {
public:
    zka::MessageAnswer show(const zka::Message& message) override
    {
        std::fprintf(stderr, "message: %s / %s\n", message.caption.c_str(), message.text.c_str());
        return zka::MessageAnswer::Ok;
    }
};

struct Camera {
    zka::camsim::CameraSpec spec;
    int expectedCode = 9;
    bool waits = false; // a camera refused by its inquiries has no fixed waits
};

std::vector<Camera> cameras(const std::string& firstAddress, int count)
{
    std::vector<Camera> made;
    for (auto& spec : zka::camsim::defaultFleet(count, firstAddress)) {
        Camera camera{spec};
        const std::size_t i = made.size();
        if (i % 16 == 5) {
            camera.spec.adminPassword = "other";
            camera.expectedCode = 12;
        } else {
            if (i % 16 == 11) {
                camera.spec.afterUpgrade = zka::camsim::AfterUpgrade::OldVersion;
                camera.expectedCode = 11;
            }
            // The camera's streamed answer, then the pause before the first inquiry; the camera is
            // back from its reboot by then, so that inquiry decides.
            camera.waits = true;
        }
        made.push_back(std::move(camera));
    }
    return made;
}

std::vector<zka::camsim::CameraSpec> specs(const std::vector<Camera>& fleet)
{
    std::vector<zka::camsim::CameraSpec> out;
    for (const auto& camera : fleet)
        out.push_back(camera.spec);
    return out;
}

long peakResidentBytes()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6)) * 1024;
    }
    return 0;
}

// When each row started (code 3), had sent its package (4), saw the camera's answer end (6) and
// ended, as the scheduler's ticks showed it.
class RowTimes final : public zka::BatchObserver {
public:
    enum Mark { Started, Sent, Answered, Ended, kMarks };

    explicit RowTimes(const zka::BatchScheduler& scheduler) : scheduler_(scheduler), marks_(scheduler.rowCount()) {}
    void rowChanged(std::size_t row) override
    {
        const zka::ProgressRow& shown = scheduler_.row(row);
        auto& marks = marks_[row];
        const auto now = steady_clock::now();
        const auto mark = [&](Mark which) {
            if (marks[which] == steady_clock::time_point{})
                marks[which] = now;
        };
        if (shown.statusCode == 3)
            mark(Started);
        if (marks[Started] != steady_clock::time_point{}) {
            if (shown.statusCode >= 4)
                mark(Sent);
            if (shown.statusCode >= 6)
                mark(Answered);
            if (shown.finalStatus != 0)
                mark(Ended);
        }
    }
    void batchEnded() override { over_ = true; }
    bool over() const { return over_; }
    // The sum over the started rows of the time from one mark to another.
    double sumSeconds(Mark from, Mark to) const
    {
        double sum = 0;
        for (const auto& marks : marks_) {
            if (marks[from] != steady_clock::time_point{} && marks[to] != steady_clock::time_point{})
                sum += duration<double>(marks[to] - marks[from]).count();
        }
        return sum;
    }
    int startedRows() const
    {
        return static_cast<int>(std::count_if(marks_.begin(), marks_.end(),
                                              [](const auto& marks) { return marks[Started] != steady_clock::time_point{}; }));
    }

private:
    const zka::BatchScheduler& scheduler_;
    std::vector<std::array<steady_clock::time_point, kMarks>> marks_;
    bool over_ = false;
};

zka::UpgradeTarget targetOf(const zka::camsim::CameraSpec& spec)
{
    zka::UpgradeTarget target;
    target.name = "admin";
    target.password = "admin";
    unsigned a = 0, b = 0, c = 0, d = 0;
    std::sscanf(spec.address.c_str(), "%u.%u.%u.%u", &a, &b, &c, &d);
    target.address = {static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(c),
                      static_cast<std::uint8_t>(d)};
    target.model = spec.model;
    target.version = spec.softVersion;
    target.serial = spec.serial;
    target.mac = spec.mac;
    return target;
}

bool runBatch(ChildFleet& child, const std::vector<Camera>& fleet, int parallel, const zka::PackagedResources& resources,
              Printer& prompter)
{
    if (!child.waitReady())
        return std::fprintf(stderr, "batch_bench: the fleet did not start\n"), false;
    zka::SystemClock clock(kScale);
    zka::EventLoop loop(clock);
    zka::BatchScheduler scheduler(zka::BatchScheduler::Seams{clock, loop, prompter}, resources,
                                  zka::FirmwareDescription::of(resources), parallel);
    for (const Camera& camera : fleet)
        scheduler.addUpgradeTarget(targetOf(camera.spec));
    RowTimes times(scheduler);
    scheduler.addObserver(times);
    scheduler.setBatchOptions(false, true, system_clock::now());
    const auto began = steady_clock::now();
    scheduler.start();
    loop.runUntil([&times] { return times.over(); }, hours(24));
    const double wall = duration<double>(steady_clock::now() - began).count();

    int wrong = 0;
    int waiting = 0;
    double nominalAnswers = 0;
    for (std::size_t i = 0; i < fleet.size(); ++i) {
        wrong += scheduler.row(i).finalStatus != fleet[i].expectedCode ? 1 : 0;
        if (fleet[i].waits) {
            ++waiting;
            nominalAnswers += fleet[i].spec.upgradeSteps * fleet[i].spec.stepSeconds * kScale;
        }
    }
    const double answers = times.sumSeconds(RowTimes::Sent, RowTimes::Answered);
    const double pauses = waiting * kRebootPauseSeconds * kScale;
    const double byWaits = (answers + pauses) / parallel;
    const double byUploads = times.sumSeconds(RowTimes::Started, RowTimes::Sent);
    const double least = std::max(byWaits, byUploads);
    const long peak = peakResidentBytes();
    const long package = static_cast<long>(resources.packageSizes()[0]);
    const double ratio = wall / least;
    const bool ok = wrong == 0 && peak < package + kMemoryAllowance && ratio <= kLimitRatio;
    std::printf("--parallel %d: %zu cameras at time scale %.2f\n", parallel, fleet.size(), kScale);
    std::printf("    cameras with the wrong final code        %8d\n", wrong);
    std::printf("    peak resident memory so far              %8.1f MB  (limit %.1f MB: package + 40 MB)\n",
                peak / 1048576.0, (package + kMemoryAllowance) / 1048576.0);
    std::printf("    sum of fixed waits / parallel            %8.2f s  (answers as sent %.2f s, nominal %.2f s; "
                "pauses %.2f s)\n",
                byWaits, answers, nominalAnswers, pauses);
    std::printf("    sum of upload times                      %8.2f s\n", byUploads);
    const int started = std::max(1, times.startedRows());
    const double answer = answers / started;
    const double afterAnswer = times.sumSeconds(RowTimes::Answered, RowTimes::Ended) / started;
    // The time a position spent on no started camera: the inquiries before each start, and the
    // cameras refused by them.
    const double between = (wall * parallel - times.sumSeconds(RowTimes::Started, RowTimes::Ended)) / started;
    std::printf("    per started camera: upload %.1f ms, answer %.1f ms (%.1f nominal), pause and inquiry %.1f ms "
                "(%.1f nominal), position idle %.1f ms\n",
                byUploads / started * 1000, answer * 1000, 40 * 0.25 * kScale * 1000, afterAnswer * 1000,
                kRebootPauseSeconds * kScale * 1000, between * 1000);
    std::printf("    wall time of the batch                   %8.2f s  (ratio %.3f, limit %.2f)%s\n", wall, ratio,
                kLimitRatio, ok ? "" : "  FAILED");
    return ok;
}

bool runCheck(ChildFleet& child, const std::vector<Camera>& fleet, const zka::PackagedResources& resources)
{
    if (!child.waitReady())
        return std::fprintf(stderr, "batch_bench: the fleet did not start\n"), false;
    std::vector<zka::UpgradeTarget> targets;
    for (const Camera& camera : fleet)
        targets.push_back(targetOf(camera.spec));
    const zka::SystemClock clock(kScale);
    const zka::FleetCheck check(clock, resources, {kCheckParallel, false});
    const auto began = steady_clock::now();
    const std::vector<zka::CameraCheck> checks = check.run(targets, {});
    const double wall = duration<double>(steady_clock::now() - began).count();

    int wrong = 0;
    double own = 0;
    for (std::size_t i = 0; i < fleet.size(); ++i) {
        const auto expected = fleet[i].expectedCode == 12 ? zka::CheckVerdict::Refused : zka::CheckVerdict::Ready;
        wrong += checks[i].verdict != expected ? 1 : 0;
        own += duration<double>(checks[i].elapsed).count();
    }
    const double least = own / kCheckParallel;
    const double ratio = wall / least;
    const bool ok = wrong == 0 && ratio <= kCheckLimitRatio;
    std::printf("check --parallel %d: %zu cameras at time scale %.2f, every answer after %.2f s\n", kCheckParallel,
                fleet.size(), kScale, kCheckAnswerSeconds * kScale);
    std::printf("    cameras with the wrong verdict           %8d\n", wrong);
    std::printf("    sum of the cameras' check times / %d     %8.2f s\n", kCheckParallel, least);
    std::printf("    wall time of the check                   %8.2f s  (ratio %.3f, limit %.2f)%s\n", wall, ratio,
                kCheckLimitRatio, ok ? "" : "  FAILED");
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const int count = argc > 1 ? std::clamp(std::atoi(argv[1]), 1, 256) : 256;
    const std::vector<Camera> fleetFor2 = cameras("127.0.0.2", count);
    const std::vector<Camera> fleetFor16 = cameras("127.0.4.2", count);
    // Both fleets are forked before this process starts any thread.
    ChildFleet two = ChildFleet::fork(specs(fleetFor2), kScale);
    ChildFleet sixteen = ChildFleet::fork(specs(fleetFor16), kScale);
    std::vector<Camera> fleetToCheck = cameras("127.0.8.2", count);
    for (Camera& camera : fleetToCheck)
        camera.spec.slowAnswerSeconds = kCheckAnswerSeconds;
    ChildFleet checked = ChildFleet::fork(specs(fleetToCheck), kScale);

    Printer prompter;
    zka::PackagedResources resources(zka::embeddedResources(), prompter);
    resources.loadAll();
    const bool a = runBatch(two, fleetFor2, 2, resources, prompter);
    two.stop();
    const bool b = runBatch(sixteen, fleetFor16, 16, resources, prompter);
    sixteen.stop();
    const bool c = runCheck(checked, fleetToCheck, resources);
    checked.stop();
    return a && b && c ? 0 : 1;
}
