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
    std::vector<TimerId> ticks;
    int stoppedAt = -1;
    QtTimerService* service = nullptr;
    QtTimerService timers(clock, [&](TimerId id) {
        ticks.push_back(id);
        if (id != 1 || stoppedAt >= 0)
            return;
        // While this tick is handled the fast timer falls due and is held back; then a worker stops
        // it. Its stop reaches the QTimer only after this handler, the held-back tick comes first.
        runEventsFor(30);
        std::thread([&] { service->stop(2); }).join();
        stoppedAt = int(ticks.size());
    });
    service = &timers;
    timers.start(2, 2ms);
    timers.start(1, 20ms);
    QTRY_VERIFY_WITH_TIMEOUT(stoppedAt >= 0, 3000);
    runEventsFor(50);
    timers.stop(1);
    QVERIFY(!timers.isRunning(2));
    const std::vector<TimerId> after(ticks.begin() + stoppedAt, ticks.end());
    QVERIFY2(std::find(after.begin(), after.end(), TimerId(2)) == after.end(), "a tick came after the stop");

    // A worker's stop while the tick is already queued on the user-interface thread: the user-interface
    // thread is held up (not running events) while the timer falls due and the worker stops it.
    ticks.clear();
    timers.start(3, 1ms);
    QTRY_VERIFY_WITH_TIMEOUT(!ticks.empty(), 3000);
    std::this_thread::sleep_for(20ms);
    std::thread([&] { timers.stop(3); }).join();
    const auto before = ticks.size();
    runEventsFor(30);
    QCOMPARE(ticks.size(), before);
}

void TimerStopTest::aWorkerRestartStartsAFreshTimer()
{
    const SystemClock clock(1.0);
    std::vector<TimerId> ticks;
    QtTimerService timers(clock, [&](TimerId id) { ticks.push_back(id); });
    // Stopped and started again from workers: the timer runs (the later call counts) ...
    timers.start(4, 1000ms);
    std::thread([&] {
        timers.stop(4);
        timers.start(4, 2ms);
    }).join();
    QTRY_VERIFY_WITH_TIMEOUT(ticks.size() >= 2, 3000);
    QCOMPARE(timers.realIntervalMs(4), 2);
    // ... and started then stopped from a worker, it never ticks again.
    std::thread([&] {
        timers.start(4, 1ms);
        timers.stop(4);
    }).join();
    const auto before = ticks.size();
    runEventsFor(30);
    QCOMPARE(ticks.size(), before);
    QVERIFY(!timers.isRunning(4));
}

ZKA_QTEST_MAIN(TimerStopTest)
#include "ui_timer_stop_test.moc"
