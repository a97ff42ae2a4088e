// A timer stopped from a worker thread is stopped at once: the upgrade's worker stops its tick timer
// and relies on no further tick reaching the handler, although the QTimer itself can only be
// stopped later, on the user-interface thread.
#include "UiTestSupport.h"

#include "runtime/Clock.h"
#include "ui/seams/QtTimerService.h"

#include <QEventLoop>
#include <QTimer>

#include <thread>
#include <vector>

using namespace zka;
using namespace std::chrono_literals;

class TimerStopTest final : public QObject {
    Q_OBJECT

private slots:
    void noTickAfterAWorkerStopsTheTimer();
    void aWorkerRestartStartsAFreshTimer();
};

// Runs the user-interface thread's events for a while, as a modal box would.
static void runEventsFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

void TimerStopTest::noTickAfterAWorkerStopsTheTimer()
{
    const SystemClock clock(1.0);
    std::vector<int> ticks;
    int stoppedAt = -1;
    QtTimerService timers(clock);
    const TimerHandle fast = timers.makeTimer([&] { ticks.push_back(2); });
    TimerHandle slow;
    slow = timers.makeTimer([&] {
        ticks.push_back(1);
        if (stoppedAt >= 0)
            return;
        // While this tick is handled the fast timer falls due and is held back; then a worker stops
        // it. Its stop reaches the QTimer only after this handler, the held-back tick comes first.
        runEventsFor(30);
        std::thread([&] { fast.stop(); }).join();
        stoppedAt = int(ticks.size());
    });
    fast.start(2ms);
    slow.start(20ms);
    QTRY_VERIFY_WITH_TIMEOUT(stoppedAt >= 0, 3000);
    runEventsFor(50);
    slow.stop();
    QVERIFY(!fast.running());
    const std::vector<int> after(ticks.begin() + stoppedAt, ticks.end());
    QVERIFY2(std::find(after.begin(), after.end(), 2) == after.end(), "a tick came after the stop");

    // A worker's stop while the tick is already queued on the user-interface thread: the user-interface
    // thread is held up (not running events) while the timer falls due and the worker stops it.
    ticks.clear();
    const TimerHandle third = timers.startTimer(1ms, [&] { ticks.push_back(3); });
    QTRY_VERIFY_WITH_TIMEOUT(!ticks.empty(), 3000);
    std::this_thread::sleep_for(20ms);
    std::thread([&] { third.stop(); }).join();
    const auto before = ticks.size();
    runEventsFor(30);
    QCOMPARE(ticks.size(), before);
}

void TimerStopTest::aWorkerRestartStartsAFreshTimer()
{
    const SystemClock clock(1.0);
    int ticks = 0;
    QtTimerService timers(clock);
    const TimerHandle timer = timers.makeTimer([&] { ++ticks; });
    // Stopped and started again from workers: the timer runs (the later call counts) ...
    timer.start(1000ms);
    std::thread([&] {
        timer.stop();
        timer.start(2ms);
    }).join();
    QTRY_VERIFY_WITH_TIMEOUT(ticks >= 2, 3000);
    QCOMPARE(timers.realIntervalMs(timer), 2);
    // ... and started then stopped from a worker, it never ticks again.
    std::thread([&] {
        timer.start(1ms);
        timer.stop();
    }).join();
    const auto before = ticks;
    runEventsFor(30);
    QCOMPARE(ticks, before);
    QVERIFY(!timer.running());
}

ZKA_QTEST_MAIN(TimerStopTest)
#include "ui_timer_stop_test.moc"
