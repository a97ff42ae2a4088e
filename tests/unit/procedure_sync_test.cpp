// The pieces that keep the upgrade procedure's threads in step: the gate that makes the end of an
// upgrade exactly-once, and the background job whose continuation must never outlive its owner.
#include "upgrade/BackgroundJob.h"
#include "camera/ProcedureGate.h"
#include "runtime/EventLoop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>

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
    EXPECT_TRUE(gate.enter(ProcedurePhase::UploadWait));
    EXPECT_FALSE(gate.abandonIn(ProcedurePhase::RebootWait)); // another phase: no decision
    EXPECT_TRUE(gate.publish([&] { written = 1; }));
    EXPECT_TRUE(gate.abandonIn(ProcedurePhase::UploadWait));
    EXPECT_FALSE(gate.abandonIn(ProcedurePhase::UploadWait)); // once only
    // From now on the worker writes nothing, and cannot claim the finish.
    EXPECT_FALSE(gate.publish([&] { written = 2; }));
    EXPECT_FALSE(gate.enter(ProcedurePhase::RebootWait));
    EXPECT_FALSE(gate.claimFinish([&] { written = 3; }));
    EXPECT_FALSE(gate.decide([&] {
        written = 4;
        return true;
    }));
    EXPECT_EQ(written, 1);
    EXPECT_EQ(gate.phase(), ProcedurePhase::UploadWait);

    ProcedureGate claimed;
    claimed.enter(ProcedurePhase::RebootWait);
    EXPECT_TRUE(claimed.decide([] { return false; })); // an unusable reply: no claim
    EXPECT_FALSE(claimed.finishClaimed());
    EXPECT_TRUE(claimed.decide([] { return true; }));
    EXPECT_FALSE(claimed.abandonIn(ProcedurePhase::RebootWait)); // the worker decided first
    EXPECT_TRUE(claimed.publish([] {}));
    // The owner's abandonment (destruction) overrides a claim.
    claimed.abandon();
    EXPECT_FALSE(claimed.publish([] {}));
}

TEST(ProcedureGateTest, WorkerAndTickHandlerRacingEndTheUpgradeExactlyOnce)
{
    for (int round = 0; round < 200; ++round) {
        ProcedureGate gate;
        gate.enter(ProcedurePhase::RebootWait);
        std::atomic<int> outcomes{0};
        std::thread worker([&] {
            if (gate.claimFinish())
                outcomes.fetch_add(1);
        });
        std::thread ticks([&] {
            if (gate.abandonIn(ProcedurePhase::RebootWait))
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

} // namespace
} // namespace zka
