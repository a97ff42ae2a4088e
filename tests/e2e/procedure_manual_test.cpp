// The upgrade procedure of jobs without a batch row (the manual mode) against simulated cameras:
// outcomes told to the front end instead of error codes; and the decision that the tick handler
// takes when a wait has lasted 180 ticks, with ticks the test delivers itself.
#include "procedure_rig.h"

#include "http/Base64.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdio>
#include <new>
#include <optional>
#include <set>
#include <thread>

namespace zka::test {
namespace {

using camsim::AfterUpgrade;
using Outcome = UpgradeJob::Outcome;
using Outcomes = std::vector<Outcome>;
constexpr Clock::Duration kLimit = std::chrono::minutes(30);


struct ManualRow {
    const char* name;
    std::function<void(camsim::CameraSpec&)> camera;
    Outcomes outcomes;
    int code; // the manual mode keeps the code it had: the outcome told to the front end reports the end
};

TEST(ManualProcedureTest, EveryEndIsToldToTheFrontEnd)
{
    using camsim::CameraSpec;
    const std::vector<ManualRow> rows{
        {"completed", [](CameraSpec& c) { c.afterUpgrade = AfterUpgrade::Immediate; }, {Outcome::Confirmed}, 9},
        {"old version", [](CameraSpec& c) { c.afterUpgrade = AfterUpgrade::OldVersion; }, {Outcome::VersionUpError}, 6},
        {"inquiries hang: the tick decides", [](CameraSpec& c) { c.afterUpgrade = AfterUpgrade::HangInquiries; },
         {Outcome::VersionUpError}, 6},
        {"dropped during the upload", [](CameraSpec& c) { c.dropDuringUpload = true; }, {Outcome::UploadNotSent}, 3},
        {"dropped after the upload, found", [](CameraSpec& c) { c.dropAfterUpload = true; },
         {Outcome::ConfirmedAfterSearch}, 9},
        {"dropped after the upload, not found",
         [](CameraSpec& c) {
             c.dropAfterUpload = true;
             c.afterUpgrade = AfterUpgrade::NeverBack;
         },
         {Outcome::VersionUpError}, 5},
        {"emergency", [](CameraSpec& c) { c.softVersion = "emergency"; }, {Outcome::Confirmed}, 9},
    };
    std::vector<camsim::CameraSpec> cameras;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        cameras.push_back(testCamera(static_cast<int>(2 + i)));
        rows[i].camera(cameras.back());
    }
    UpgradeRig rig(cameras);
    std::string error;
    ASSERT_TRUE(rig.start(error)) << error;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        auto& job = rig.add(cameras[i].address, {.automatic = false});
        // As the wizard's check of the target does: the job knows the camera's firmware.
        job.checkSystemReply(job.client().query("inq=system", std::chrono::seconds(20)).text);
        job.start();
        ASSERT_TRUE(rig.runUntil([&] { return job.workerDone() || job.stage() > UpgradeStage::Uploading; },
                                 kLimit));
    }
    rig.add("127.0.0.99", {.automatic = false}).start(); // nobody there
    ASSERT_TRUE(rig.runUntil([&] {
        for (std::size_t i = 0; i <= rows.size(); ++i) {
            if (!rig.job(i).workerDone())
                return false;
        }
        return true;
    }, kLimit));

    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].name);
        EXPECT_EQ(rig.outcomes(i), rows[i].outcomes);
        EXPECT_EQ(rig.job(i).errorCode(), rows[i].code);
        EXPECT_EQ(rig.job(i).latestVersion() == "ver2.45", rows[i].code == 9);
        EXPECT_EQ(rig.trace(i).front(), 3); // the manual mode never saves: the wizard does that itself
    }
    EXPECT_EQ(rig.outcomes(rows.size()), (Outcomes{Outcome::UploadNotSent}));
}

// Timers whose ticks the test delivers: the test plays the user-interface thread. Each start is
// recorded with the phase the job was in at that moment, so a phase that the worker leaves
// again at once is not missed.
class DrivenTimers final : public TimerService {
public:
    void setPhaseSource(std::function<UpgradeStage()> phase) { phase_ = std::move(phase); }
    void armTimer(TimerId id, Clock::Duration) override
    {
        {
            std::lock_guard lock(mutex_);
            running_.insert(id);
            startedIn_.insert({id, phase_ ? phase_() : UpgradeStage::Idle});
        }
        started_.notify_all();
    }
    void disarmTimer(TimerId id) override
    {
        std::lock_guard lock(mutex_);
        running_.erase(id);
    }
    bool timerArmed(TimerId id) override { return running(id); }
    bool running(TimerId id) const
    {
        std::lock_guard lock(mutex_);
        return running_.count(id) != 0;
    }
    // Waits (real time) until a timer has been started while the job was in `phase`; its id.
    std::optional<TimerId> waitForStart(UpgradeStage phase) const
    {
        std::unique_lock lock(mutex_);
        std::optional<TimerId> found;
        started_.wait_for(lock, std::chrono::seconds(30), [&] {
            for (const auto& [id, in] : startedIn_) {
                if (in == phase)
                    found = id;
            }
            return found.has_value();
        });
        return found;
    }
    // One tick of that timer, delivered on the calling thread.
    void tick(TimerId id) { deliverTick(id); }

private:
    std::function<UpgradeStage()> phase_;
    mutable std::mutex mutex_;
    mutable std::condition_variable started_;
    std::set<TimerId> running_;
    std::set<std::pair<TimerId, UpgradeStage>> startedIn_;
};

// One job driven by the test's own ticks.
struct DrivenJob {
    explicit DrivenJob(const std::string& address, bool automaticMode, double timeScale = 0.01)
        : clock(timeScale)
        , automatic(automaticMode)
    {
        const auto& resources = packagedResources();
        job = std::make_unique<UpgradeJob>(UpgradeJob::Seams{clock, timers}, address, encodeBase64("admin:admin"),
                                               resources.supportedModels());
        outcomes.listenTo(*job);
        if (automatic) {
            job->setOptions(UpgradeJob::Options::batch(false, true, clock.wallTime()));
        }
        job->setFirmware(resources.packageData()[0], "ver2.45");
        timers.setPhaseSource([this] { return job->stage(); });
    }
    // Waits (real time) until the job started its tick timer in `phase`, the only timer it
    // starts in the phases waited for here.
    bool waitUntilTicking(UpgradeStage phase)
    {
        const auto id = timers.waitForStart(phase);
        if (id)
            tickTimer = *id;
        return id.has_value();
    }
    bool waitUntil(const std::function<bool()>& done) const
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }
    void ticks(int count)
    {
        for (int i = 0; i < count; ++i)
            timers.tick(tickTimer);
    }

    SystemClock clock;
    const bool automatic;
    DrivenTimers timers;
    TimerId tickTimer = 0;
    RecordingOutcomes outcomes;
    std::unique_ptr<UpgradeJob> job;
};

TEST(TickDecisionTest, AnUnendingAnswerIsAVersionUpErrorInTheManualModeAndEndsTheWaitInTheAutomatic)
{
    BackupRoot root;
    auto endless = testCamera(2);
    endless.answerNeverEnds = true;
    auto endlessToo = testCamera(3);
    endlessToo.answerNeverEnds = true;
    camsim::Fleet fleet({endless, endlessToo}, 0.01);
    std::string error;
    ASSERT_TRUE(fleet.start(error)) << error;

    DrivenJob manual("127.0.0.2", false);
    manual.job->start();
    ASSERT_TRUE(manual.waitUntilTicking(UpgradeStage::AnswerWait));
    manual.ticks(180);
    EXPECT_TRUE(manual.outcomes.told().empty());
    manual.ticks(1); // n == 180
    EXPECT_EQ(manual.outcomes.told(), (Outcomes{Outcome::VersionUpError}));
    EXPECT_FALSE(manual.job->tickTimer().running());
    // The abandoned worker stops at once and writes nothing more; later ticks decide nothing.
    ASSERT_TRUE(manual.waitUntil([&] { return manual.job->workerDone(); }));
    manual.ticks(400);
    EXPECT_EQ(manual.outcomes.told().size(), 1u);
    EXPECT_EQ(manual.job->errorCode(), 4);

    DrivenJob automatic("127.0.0.3", true);
    automatic.job->start();
    ASSERT_TRUE(automatic.waitUntilTicking(UpgradeStage::AnswerWait));
    const auto cut = std::chrono::steady_clock::now();
    automatic.ticks(181);
    // The worker goes on to the reboot wait long before its own 180 s (1.8 s here) are over.
    ASSERT_TRUE(automatic.waitUntil([&] { return automatic.job->errorCode() == 6; }));
    EXPECT_LT(std::chrono::steady_clock::now() - cut, std::chrono::milliseconds(1500));
    EXPECT_EQ(automatic.job->stage(), UpgradeStage::RebootWait);
    EXPECT_TRUE(automatic.outcomes.told().empty());
}

TEST(TickDecisionTest, TheRebootWaitEndsAsNotConfirmedAndTheWorkerWritesNothingMore)
{
    BackupRoot root;
    auto hanging = testCamera(2);
    hanging.afterUpgrade = AfterUpgrade::HangInquiries;
    camsim::Fleet fleet({hanging}, 0.01);
    std::string error;
    ASSERT_TRUE(fleet.start(error)) << error;

    DrivenJob automatic("127.0.0.2", true);
    automatic.job->start();
    // The tick timer of the upload's answer first, then the one of the reboot wait.
    ASSERT_TRUE(automatic.waitUntilTicking(UpgradeStage::RebootWait));
    automatic.ticks(181);
    EXPECT_EQ(automatic.job->errorCode(), 11);
    // The hanging inquiry is abandoned at once, not after its 60 s.
    ASSERT_TRUE(automatic.waitUntil([&] { return automatic.job->workerDone(); }));
    EXPECT_EQ(automatic.job->errorCode(), 11);
    EXPECT_TRUE(automatic.job->latestVersion().empty());
    EXPECT_TRUE(automatic.outcomes.told().empty());
}

TEST(TickDecisionTest, WorkerAndTickHandlerDecidingTogetherEndEachUpgradeExactlyOnce)
{
    // Cameras that answer at once, with the 180th tick delivered at a different moment of the first
    // inquiry each time: sometimes the worker's confirmation wins, sometimes the tick handler,
    // never both and never neither.
    BackupRoot root;
    constexpr int kRuns = 8;
    std::vector<camsim::CameraSpec> cameras;
    for (int i = 0; i < kRuns; ++i) {
        cameras.push_back(testCamera(2 + i));
        cameras.back().afterUpgrade = AfterUpgrade::Immediate;
    }
    camsim::Fleet fleet(cameras, 0.005);
    std::string error;
    ASSERT_TRUE(fleet.start(error)) << error;

    int workerWon = 0;
    for (int i = 0; i < kRuns; ++i) {
        DrivenJob run("127.0.0." + std::to_string(2 + i), i % 2 == 0, 0.005);
        run.job->start();
        // This thread plays the user-interface thread.
        ASSERT_TRUE(run.waitUntilTicking(UpgradeStage::RebootWait))
            << "code " << run.job->errorCode() << ", phase " << static_cast<int>(run.job->stage());
        run.ticks(180);
        std::this_thread::sleep_for(std::chrono::microseconds(300 * i));
        run.ticks(1);
        ASSERT_TRUE(run.waitUntil([&] { return run.job->workerDone(); }));

        const int code = run.job->errorCode();
        const auto told = run.outcomes.told();
        workerWon += code == 9 ? 1 : 0;
        if (run.automatic) {
            EXPECT_TRUE(code == 9 || code == 11) << code;
            EXPECT_EQ(code == 9, (told == Outcomes{Outcome::Confirmed}));
        } else if (told == Outcomes{Outcome::Confirmed}) {
            EXPECT_EQ(code, 9);
        } else {
            EXPECT_EQ(told, (Outcomes{Outcome::VersionUpError}));
            EXPECT_EQ(code, 6);
        }
        EXPECT_EQ(code == 9, run.job->latestVersion() == "ver2.45");
    }
    std::printf("the worker decided %d of %d upgrades, the tick handler the others\n", workerWon, kRuns);
}

TEST(WorkerFailureTest, AnExceptionInTheWorkerEndsTheCamerasUpgradeNotTheProcess)
{
    // The system runs out of memory as the worker starts its tick timer, after the package went out.
    class ExhaustedTimers final : public TimerService {
    public:
        void armTimer(TimerId, Clock::Duration) override { throw std::bad_alloc(); }
        void disarmTimer(TimerId) override {}
        bool timerArmed(TimerId) override { return false; }
    };
    BackupRoot root;
    camsim::Fleet fleet({testCamera(2), testCamera(3)}, 0.01);
    std::string error;
    ASSERT_TRUE(fleet.start(error)) << error;
    for (const bool automatic : {true, false}) {
        SCOPED_TRACE(automatic ? "batch row" : "alone");
        const SystemClock clock(0.01);
        ExhaustedTimers timers;
        RecordingOutcomes outcomes;
        const auto& resources = packagedResources();
        UpgradeJob job(UpgradeJob::Seams{clock, timers}, automatic ? "127.0.0.2" : "127.0.0.3",
                           encodeBase64("admin:admin"), resources.supportedModels());
        outcomes.listenTo(job);
        if (automatic) {
            job.setOptions(UpgradeJob::Options::batch(false, true, clock.wallTime()));
        }
        job.setFirmware(resources.packageData()[0], "ver2.45");
        job.start();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!job.workerDone() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::yield();
        ASSERT_TRUE(job.workerDone());
        if (automatic) {
            EXPECT_EQ(job.errorCode(), 14); // "Insufficient memory"
            EXPECT_TRUE(outcomes.told().empty());
        } else {
            EXPECT_EQ(outcomes.told(), (Outcomes{Outcome::VersionUpError}));
        }
    }
}

TEST(DestructionTest, DeletingAJobInAnyStateReturnsQuicklyAndLeavesNothingRunning)
{
    auto slowSave = testCamera(2);
    slowSave.slowAnswerSeconds = 50; // the configuration download waits
    auto endless = testCamera(3);
    endless.answerNeverEnds = true;
    auto hanging = testCamera(4);
    hanging.afterUpgrade = AfterUpgrade::HangInquiries;
    auto emergency = testCamera(5);
    emergency.softVersion = "emergency";
    auto dropped = testCamera(6);
    dropped.dropAfterUpload = true;
    auto refused = testCamera(7);
    refused.restoreRefusals = 10;
    auto restored = testCamera(8);
    auto silent = testCamera(10);
    silent.silentAfterRestore = true;
    auto slowUpload = testCamera(11);
    slowUpload.slowAnswerSeconds = 50; // the end of the upload request waits
    UpgradeRig rig({slowSave, endless, hanging, emergency, dropped, refused, restored, silent, slowUpload});
    std::string error;
    ASSERT_TRUE(rig.start(error)) << error;

    const std::vector<std::pair<std::string, UpgradeStage>> plan{
        {"127.0.0.2", UpgradeStage::Saving},     {"127.0.0.3", UpgradeStage::AnswerWait},
        {"127.0.0.4", UpgradeStage::RebootWait}, {"127.0.0.5", UpgradeStage::EmergencyWait},
        {"127.0.0.6", UpgradeStage::SearchWait}, {"127.0.0.7", UpgradeStage::Restoring},
        {"127.0.0.8", UpgradeStage::Settling},   {"127.0.0.10", UpgradeStage::Reconfiguring},
        {"127.0.0.11", UpgradeStage::Uploading},
    };
    for (const auto& [address, phase] : plan) {
        auto& job = rig.add(address, {.retain = phase == UpgradeStage::Saving || phase == UpgradeStage::Restoring ||
                                                    phase == UpgradeStage::Settling ||
                                                    phase == UpgradeStage::Reconfiguring});
        if (phase == UpgradeStage::EmergencyWait)
            job.checkSystemReply(job.client().query("inq=system", std::chrono::seconds(20)).text);
        job.start();
    }
    // The hanging camera is deleted while an inquiry hangs, well after its reboot pause.
    std::vector<bool> deleted(plan.size(), false);
    std::size_t left = plan.size();
    while (left > 0) {
        std::size_t due = plan.size();
        ASSERT_TRUE(rig.runUntil([&] {
            for (std::size_t i = 0; i < plan.size(); ++i) {
                if (!deleted[i] && rig.job(i).stage() == plan[i].second &&
                    (plan[i].second != UpgradeStage::RebootWait || rig.inquiries(plan[i].first, "inq=system") > 0)) {
                    due = i;
                    return true;
                }
            }
            return false;
        }, kLimit)) << left << " jobs never reached their phase";
        EXPECT_LT(rig.destroy(due), std::chrono::milliseconds(1000)) << plan[due].first;
        deleted[due] = true;
        --left;
    }
    // No timer of a destroyed job runs on: only the rig's own watch is left.
    EXPECT_EQ(rig.loop.runningTimerCount(), 1u);
}

} // namespace
} // namespace zka::test
