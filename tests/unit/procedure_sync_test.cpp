// The pieces that keep the upgrade procedure's threads in step: the gate that makes the end of an
// upgrade exactly-once, and the background job whose continuation must never outlive its owner.
#include "upgrade/BackgroundJob.h"
#include "camera/ProcedureGate.h"
#include "runtime/EventLoop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace zka {
namespace {

using namespace std::chrono_literals;

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
        BackgroundJob shortLived(loop);
        std::atomic<bool> worked{false};
        shortLived.run([&](std::stop_token) { worked = true; }, [&] { ++done; });
        while (!worked.load())
            std::this_thread::yield();
        std::this_thread::sleep_for(10ms);
    }
    loop.runUntil([] { return false; }, 5s);
    EXPECT_EQ(done, 2);
}

} // namespace
} // namespace zka
