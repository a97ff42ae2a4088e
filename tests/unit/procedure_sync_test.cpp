// The pieces that keep the upgrade procedure's threads in step: the gate that makes the end of an
// upgrade exactly-once, and the background job whose continuation must never outlive its owner;
// and what an upgrade job tells of its end, driven by a scripted camera.
#include "upgrade/BackgroundJob.h"
#include "camera/ProcedureGate.h"
#include "runtime/EventLoop.h"
#include "upgrade/UpgradeJob.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

namespace zka {
namespace {

using namespace std::chrono_literals;

// Forwards to another dispatcher and counts what went through it.
class CountingDispatcher final : public Dispatcher {
public:
    explicit CountingDispatcher(Dispatcher& target) : target_(target) {}
    void post(std::function<void()> task) override
    {
        target_.post(std::move(task));
        posted_.fetch_add(1);
    }
    int posted() const { return posted_.load(); }

private:
    Dispatcher& target_;
    std::atomic<int> posted_{0};
};

TEST(ProcedureGateTest, TheTickHandlerAbandonsOnlyAWorkerInThatPhaseThatHasNotClaimedTheFinish)
{
    ProcedureGate gate;
    int written = 0;
    EXPECT_TRUE(gate.enter(UpgradeStage::AnswerWait));
    EXPECT_FALSE(gate.abandonIn(UpgradeStage::RebootWait)); // another phase: no decision
    EXPECT_TRUE(gate.publish([&] { written = 1; }));
    EXPECT_TRUE(gate.abandonIn(UpgradeStage::AnswerWait));
    EXPECT_FALSE(gate.abandonIn(UpgradeStage::AnswerWait)); // once only
    // From now on the worker writes nothing, and cannot claim the finish.
    EXPECT_FALSE(gate.publish([&] { written = 2; }));
    EXPECT_FALSE(gate.enter(UpgradeStage::RebootWait));
    EXPECT_FALSE(gate.claimFinish([&] { written = 3; }));
    EXPECT_FALSE(gate.decide([&] {
        written = 4;
        return true;
    }));
    EXPECT_EQ(written, 1);
    EXPECT_EQ(gate.phase(), UpgradeStage::AnswerWait);

    ProcedureGate claimed;
    claimed.enter(UpgradeStage::RebootWait);
    EXPECT_TRUE(claimed.decide([] { return false; })); // an unusable reply: no claim
    EXPECT_FALSE(claimed.finishClaimed());
    EXPECT_TRUE(claimed.decide([] { return true; }));
    EXPECT_FALSE(claimed.abandonIn(UpgradeStage::RebootWait)); // the worker decided first
    EXPECT_TRUE(claimed.publish([] {}));
    // The owner's abandonment (destruction) overrides a claim.
    claimed.abandon();
    EXPECT_FALSE(claimed.publish([] {}));
}

TEST(ProcedureGateTest, WorkerAndTickHandlerRacingEndTheUpgradeExactlyOnce)
{
    for (int round = 0; round < 200; ++round) {
        ProcedureGate gate;
        gate.enter(UpgradeStage::RebootWait);
        std::atomic<int> outcomes{0};
        std::thread worker([&] {
            if (gate.claimFinish())
                outcomes.fetch_add(1);
        });
        std::thread ticks([&] {
            if (gate.abandonIn(UpgradeStage::RebootWait))
                outcomes.fetch_add(1);
        });
        worker.join();
        ticks.join();
        ASSERT_EQ(outcomes.load(), 1) << "round " << round;
    }
}

TEST(BackgroundJobTest, ContinuesOnTheDispatcherOnceAndNeverAfterCancel)
{
    const SystemClock clock(0.01);
    EventLoop loop(clock);
    BackgroundJob job(loop);
    const auto uiThread = std::this_thread::get_id();
    std::thread::id workThread;
    std::thread::id doneThread;
    int done = 0;
    ASSERT_TRUE(job.run([&](std::stop_token) { workThread = std::this_thread::get_id(); },
                        [&] {
                            doneThread = std::this_thread::get_id();
                            ++done;
                        }));
    EXPECT_TRUE(job.busy());
    EXPECT_FALSE(job.run([](std::stop_token) {}, [] {})); // one at a time
    ASSERT_TRUE(loop.runUntil([&] { return done == 1; }, 100s));
    EXPECT_NE(workThread, uiThread);
    EXPECT_EQ(doneThread, uiThread);
    EXPECT_FALSE(job.busy());

    // A continuation may start the next job.
    ASSERT_TRUE(job.run([](std::stop_token) {}, [&] {
        job.run([](std::stop_token) {}, [&] { ++done; });
    }));
    ASSERT_TRUE(loop.runUntil([&] { return done == 2; }, 100s));

    // Cancelled while it waits: the work stops at once and its continuation never runs.
    std::atomic<bool> stopped{false};
    ASSERT_TRUE(job.run(
        [&](std::stop_token stop) {
            clock.sleepFor(std::chrono::hours(1), stop);
            stopped = stop.stop_requested();
        },
        [&] { ++done; }));
    const auto begin = std::chrono::steady_clock::now();
    job.cancel();
    EXPECT_LT(std::chrono::steady_clock::now() - begin, 1s);
    EXPECT_TRUE(stopped.load());
    EXPECT_FALSE(job.busy());
    loop.runUntil([] { return false; }, 5s);
    EXPECT_EQ(done, 2);

    // Destroyed with a continuation already queued: it is dropped.
    {
        CountingDispatcher counting(loop);
        BackgroundJob shortLived(counting);
        shortLived.run([](std::stop_token) {}, [&] { ++done; });
        while (counting.posted() == 0)
            std::this_thread::yield();
    }
    loop.runUntil([] { return false; }, 5s);
    EXPECT_EQ(done, 2);

    // Work that throws (out of memory, say) ends early; the process goes on and the continuation
    // runs all the same.
    bool reported = false;
    ASSERT_TRUE(job.run([](std::stop_token) { throw std::bad_alloc(); }, [&] { reported = true; }));
    ASSERT_TRUE(loop.runUntil([&] { return reported; }, 100s));
    EXPECT_FALSE(job.busy());
}

TEST(EventLoopTest, NoTickReachesTheHandlerOnceAnotherThreadsStopHasReturned)
{
    const SystemClock clock(1.0);
    EventLoop loop(clock);
    std::atomic<bool> stopReturned{false};
    std::atomic<int> ticksAfterStop{0};
    std::atomic<int> ticks{0};
    std::mutex mutex;
    std::condition_variable changed;
    std::jthread stopper;
    TimerHandle timer;
    timer = loop.makeTimer([&] {
        if (stopReturned.load())
            ticksAfterStop.fetch_add(1);
        if (ticks.fetch_add(1) != 0)
            return;
        // While this tick is being handled another thread stops the timer. Its stop must not return
        // while the tick is still under way: wait a while for it to come back.
        stopper = std::jthread([&] {
            timer.stop();
            stopReturned = true;
            changed.notify_all();
            loop.post([] {}); // wakes the loop to see it
        });
        std::unique_lock lock(mutex);
        if (changed.wait_for(lock, 300ms, [&] { return stopReturned.load(); }))
            ticksAfterStop.fetch_add(1); // the handler is still running after stop() returned
    });
    timer.start(1ms);
    ASSERT_TRUE(loop.runUntil([&] { return stopReturned.load(); }, 10s));
    stopper.join();
    loop.runUntil([] { return false; }, 50ms);
    EXPECT_EQ(ticksAfterStop.load(), 0);
    EXPECT_EQ(ticks.load(), 1);
    EXPECT_FALSE(timer.running());

    // A handler stopping its own timer on the loop's thread does not wait for itself; nor does one
    // that drops its own handle.
    TimerHandle self;
    self = loop.startTimer(1ms, [&] {
        ticks.fetch_add(1);
        self.stop();
    });
    ASSERT_TRUE(loop.runUntil([&] { return ticks.load() == 2; }, 10s));
    EXPECT_FALSE(self.running());
    TimerHandle dropped;
    dropped = loop.startTimer(1ms, [&] {
        ticks.fetch_add(1);
        dropped = {};
    });
    ASSERT_TRUE(loop.runUntil([&] { return ticks.load() == 3; }, 10s));
    loop.runUntil([] { return false; }, 20ms);
    EXPECT_EQ(ticks.load(), 3);
    EXPECT_EQ(loop.runningTimerCount(), 0u);
}

// A camera that answers every operation at once from its script, without a network.
class ScriptedCamera final : public CameraOperations {
public:
    ScriptedCamera(bool packageGoesOut, std::string systemReply)
        : packageGoesOut_(packageGoesOut)
        , systemReply_(std::move(systemReply))
    {
    }
    const std::string& addressText() const override { return address_; }
    const std::string& credential() const override { return credential_; }
    QueryResult query(const std::string&, Clock::Duration timeout, std::stop_token) override
    {
        std::lock_guard lock(mutex_);
        timeouts_.push_back(timeout);
        return {QueryOutcome::Replied, systemReply_};
    }
    void abandonQueries() override {}
    UploadResult upload(std::span<const std::uint8_t>, bool, std::function<void()>, std::stop_token) override
    {
        if (!packageGoesOut_)
            return {UploadOutcome::NotSent, "no answer"};
        return {UploadOutcome::Sent, {}};
    }
    bool awaitAnswer(std::stop_token) override { return true; }
    AnswerOutcome readAnswer(UploadAnswerParser&, const ProgressTargets&, std::stop_token) override
    {
        return AnswerOutcome::Ended;
    }
    void closeUpload() override {}
    RestoreResult restore(std::span<const std::uint8_t>, bool, const std::function<void()>&,
                          const std::function<void()>&, std::stop_token) override
    {
        return RestoreResult::Accepted;
    }
    std::vector<Clock::Duration> timeouts() const
    {
        std::lock_guard lock(mutex_);
        return timeouts_;
    }

private:
    const bool packageGoesOut_;
    const std::string systemReply_;
    const std::string address_ = "127.0.0.2";
    const std::string credential_ = "YWRtaW46YWRtaW4=";
    mutable std::mutex mutex_;
    std::vector<Clock::Duration> timeouts_;
};

// Timers that never tick: no wait is decided by the tick limit.
class IdleTimers final : public TimerService {
protected:
    void armTimer(TimerId, Clock::Duration) override {}
    void disarmTimer(TimerId) override {}
    bool timerArmed(TimerId) override { return false; }
};

TEST(UpgradeJobTest, TellsTheManualModeHowItEndedAndEndsABatchRowWithItsCode)
{
    using Outcome = UpgradeJob::Outcome;
    using Stage = UpgradeJob::Stage;
    const std::vector<Stage> uploaded{Stage::Uploading, Stage::AnswerWait, Stage::RebootWait, Stage::Ended};
    const std::vector<Stage> notSent{Stage::Uploading, Stage::Ended};
    struct Case {
        const char* name;
        bool batch;
        bool packageGoesOut;
        std::string version; // the one the camera reports after the upload
        std::vector<Outcome> told;
        int code;
        std::vector<Stage> stages;
        std::optional<Stage> failedStage; // only a failure code has one
    };
    const std::vector<Case> cases{
        {"confirmed", false, true, "2.45", {Outcome::Confirmed}, 9, uploaded, {}},
        {"confirmed in the batch", true, true, "2.45", {Outcome::Confirmed}, 9, uploaded, {}},
        {"old version", false, true, "2.30", {Outcome::VersionUpError}, 6, uploaded, {}},
        {"old version in the batch", true, true, "2.30", {}, 11, uploaded, Stage::RebootWait},
        {"not sent", false, false, "2.45", {Outcome::UploadNotSent}, 3, notSent, {}},
        {"not sent in the batch", true, false, "2.45", {}, 10, notSent, Stage::Uploading},
    };
    const SupportedModels models{"ZKA-QM410"};
    const std::vector<std::uint8_t> package(1460, 0x5a);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SystemClock clock(0.001); // the minute's pause before the first inquiry lasts 60 ms
        IdleTimers timers;
        auto camera = std::make_unique<ScriptedCamera>(c.packageGoesOut, "ModelName=ZKA-QM410&SoftVersion=" + c.version);
        const ScriptedCamera& script = *camera;
        UpgradeJob job(UpgradeJob::Seams{clock, timers}, std::move(camera), models);
        if (c.batch)
            job.setOptions(UpgradeJob::Options::batch(false, true, clock.wallTime()));
        std::mutex mutex;
        std::vector<Outcome> told;
        std::vector<Stage> stages;
        UpgradeJob::Events events;
        events.outcome = [&](Outcome outcome) {
            std::lock_guard lock(mutex);
            told.push_back(outcome);
        };
        events.stageChanged = [&](Stage stage) {
            std::lock_guard lock(mutex);
            stages.push_back(stage);
        };
        job.setEvents(std::move(events));
        job.setFirmware(package, "ver2.45");
        job.start();
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (!job.workerDone() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(1ms);
        ASSERT_TRUE(job.workerDone());
        EXPECT_EQ(told, c.told);
        EXPECT_EQ(job.errorCode(), c.code);
        EXPECT_EQ(stages, c.stages);
        EXPECT_EQ(job.stage(), Stage::Ended);
        EXPECT_EQ(job.failedStage(), c.failedStage);
        // Only a confirmed camera's progress is full; a failed one keeps what it reached.
        EXPECT_EQ(job.progress() == 10000, c.code == 9);
        // The inquiries after the upload wait 60 s each alone, 20 s in the batch.
        for (const Clock::Duration timeout : script.timeouts())
            EXPECT_EQ(timeout, c.batch ? Clock::Duration(20000) : Clock::Duration(60000));
        EXPECT_EQ(script.timeouts().empty(), !c.packageGoesOut);
    }
}

} // namespace
} // namespace zka
