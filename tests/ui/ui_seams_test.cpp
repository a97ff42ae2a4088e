// The Qt implementations of the core's seams: timers, posted work, navigation, message boxes, and
// the Next button's key report.
#include "UiTestSupport.h"

#include "app/KeyReportButton.h"
#include "runtime/Clock.h"
#include "ui/seams/QtDispatcher.h"
#include "ui/seams/QtPrompter.h"
#include "ui/seams/QtTimerService.h"

#include <QAbstractButton>
#include <QEventLoop>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTimer>

#include <atomic>
#include <thread>
#include <utility>
#include <vector>

using namespace zka;
using namespace std::chrono_literals;

class SeamsTest final : public QObject {
    Q_OBJECT

private slots:
    void timerTicksOnUiThreadWhenStartedElsewhere();
    void timerPeriodsAreScaled();
    void timerCallsTakeEffectInCallOrder();
    void timerTicksNeverOverlap();
    void dispatcherRunsQueuedInOrder();
    void prompterBuildsTheBox();
    void prompterFromWorkerWaitsForTheUiThread();
    void prompterAbandonedReleasesWorkers();
    void nextButtonReportsKReleaseOnly();
};

void SeamsTest::timerTicksOnUiThreadWhenStartedElsewhere()
{
    const SystemClock clock(0.01);
    const auto uiThread = std::this_thread::get_id();
    int ticks = 0;
    bool offThread = false;
    QtTimerService timers(clock);
    const TimerHandle timer = timers.makeTimer([&] {
        offThread = offThread || std::this_thread::get_id() != uiThread;
        ++ticks;
    });

    std::thread([&] { timer.start(1000ms); }).join(); // 10 ms real
    QTRY_VERIFY_WITH_TIMEOUT(ticks >= 3, 3000);
    QVERIFY(!offThread);

    std::thread([&] { timer.stop(); }).join();
    QTRY_VERIFY(!timer.running());
    const int stoppedAt = ticks;
    QTest::qWait(60);
    QCOMPARE(ticks, stoppedAt);
}

void SeamsTest::timerPeriodsAreScaled()
{
    const SystemClock clock(0.01);
    QtTimerService timers(clock);
    const TimerHandle slow = timers.startTimer(5000ms, [] {});
    // Below a millisecond once scaled: runs at the shortest period.
    const TimerHandle fast = timers.startTimer(33ms, [] {});
    QCOMPARE(timers.realIntervalMs(slow), 50);
    QCOMPARE(timers.realIntervalMs(fast), 1);
    slow.start(1000ms); // restarting takes the new period
    QCOMPARE(timers.realIntervalMs(slow), 10);
    slow.stop();
    QCOMPARE(timers.realIntervalMs(slow), 0);
    QVERIFY(fast.running());
}

void SeamsTest::timerCallsTakeEffectInCallOrder()
{
    const SystemClock clock(1.0);
    QtTimerService timers(clock);
    // A worker's start reaches the timers before a later stop on the user-interface thread.
    const TimerHandle first = timers.makeTimer([] {});
    std::thread([&] { first.start(1000ms); }).join();
    first.stop();
    QVERIFY(!first.running());
    QCoreApplication::processEvents();
    QVERIFY(!first.running());

    const TimerHandle second = timers.makeTimer([] {});
    second.stop();
    std::thread([&] { second.start(1000ms); }).join();
    QVERIFY(second.running());

    // A dropped handle stops its timer for good, also when it was the last word from a worker.
    int ticks = 0;
    TimerHandle dropped = timers.startTimer(1ms, [&] { ++ticks; });
    QTRY_VERIFY_WITH_TIMEOUT(ticks >= 1, 3000);
    std::thread([&] { dropped = {}; }).join();
    const int droppedAt = ticks;
    QTest::qWait(30);
    QCOMPARE(ticks, droppedAt);
}

void SeamsTest::timerTicksNeverOverlap()
{
    const SystemClock clock(1.0);
    int depth = 0;
    int deepest = 0;
    int slowTicks = 0;
    int fastTicks = 0;
    int fastDuringSlow = 0;
    QtTimerService timers(clock);
    TimerHandle slow;
    slow = timers.makeTimer([&] {
        ++depth;
        deepest = std::max(deepest, depth);
        ++slowTicks;
        slow.stop();
        // A modal box would run an event loop here, in which the fast timer falls due.
        const int fastBefore = fastTicks;
        QEventLoop modal;
        QTimer::singleShot(40, &modal, &QEventLoop::quit);
        modal.exec();
        fastDuringSlow += fastTicks - fastBefore;
        --depth;
    });
    const TimerHandle fast = timers.makeTimer([&] {
        ++depth;
        deepest = std::max(deepest, depth);
        ++fastTicks;
        --depth;
    });
    slow.start(5ms);
    fast.start(2ms);
    QTRY_VERIFY_WITH_TIMEOUT(slowTicks == 1 && fastTicks >= 3, 3000);
    QCOMPARE(deepest, 1);
    QCOMPARE(fastDuringSlow, 0);
    fast.stop();
}

void SeamsTest::dispatcherRunsQueuedInOrder()
{
    const auto uiThread = std::this_thread::get_id();
    QtDispatcher dispatcher;
    std::vector<int> ran;
    bool offThread = false;
    dispatcher.post([&] { ran.push_back(1); });
    QVERIFY(ran.empty()); // queued even on the user-interface thread
    bool workerOnUiThread = true;
    std::thread([&] {
        workerOnUiThread = dispatcher.onUiThread();
        for (int i = 2; i <= 4; ++i)
            dispatcher.post([&, i] {
                offThread = offThread || std::this_thread::get_id() != uiThread;
                ran.push_back(i);
            });
    }).join();
    QVERIFY(dispatcher.onUiThread());
    QVERIFY(!workerOnUiThread);
    QTRY_COMPARE(ran.size(), 4u);
    QCOMPARE(ran, (std::vector<int>{1, 2, 3, 4}));
    QVERIFY(!offThread);
}

void SeamsTest::prompterBuildsTheBox()
{
    const auto box = QtPrompter::buildBox(
        Message{"Cannot save camera's configuration!\r\n<b>10.0.0.7</b>", "Information", MessageIcon::Error,
                MessageButtons::Ok},
        nullptr);
    QCOMPARE(box->windowTitle(), QStringLiteral("Information"));
    QCOMPARE(box->text(), QStringLiteral("Cannot save camera's configuration!\n<b>10.0.0.7</b>"));
    QCOMPARE(box->textFormat(), Qt::PlainText);
    QCOMPARE(box->icon(), QMessageBox::Critical);
    QCOMPARE(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));

    const auto question = QtPrompter::buildBox(
        Message{"Quit the firmware upgrade?", "Information", MessageIcon::Question, MessageButtons::YesNo}, nullptr);
    QCOMPARE(question->icon(), QMessageBox::Question);
    QCOMPARE(question->standardButtons(), QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(question->defaultButton(), question->button(QMessageBox::Yes));
    QCOMPARE(question->escapeButton(), static_cast<QAbstractButton*>(question->button(QMessageBox::No)));
    // A question whose Yes cannot be undone makes No the button that Enter presses.
    Message careful{"Abort?", "Information", MessageIcon::Question, MessageButtons::YesNo};
    careful.defaultAnswer = MessageAnswer::No;
    const auto carefulBox = QtPrompter::buildBox(careful, nullptr);
    QCOMPARE(carefulBox->defaultButton(), carefulBox->button(QMessageBox::No));

    const auto warning = QtPrompter::buildBox(
        Message{"Input the correct name and password.", "Information", MessageIcon::Warning, MessageButtons::OkCancel},
        nullptr);
    QCOMPARE(warning->icon(), QMessageBox::Warning);
    QCOMPARE(warning->escapeButton(), static_cast<QAbstractButton*>(warning->button(QMessageBox::Cancel)));

    QCOMPARE(QtPrompter::answerFor(QMessageBox::No, MessageButtons::YesNo), MessageAnswer::No);
    QCOMPARE(QtPrompter::answerFor(QMessageBox::Ok, MessageButtons::OkCancel), MessageAnswer::Ok);
    QCOMPARE(QtPrompter::answerFor(QMessageBox::NoButton, MessageButtons::OkCancel), MessageAnswer::Cancel);
    QCOMPARE(QtPrompter::answerFor(QMessageBox::NoButton, MessageButtons::YesNo), MessageAnswer::No);
}

void SeamsTest::prompterFromWorkerWaitsForTheUiThread()
{
    QWidget owner;
    QtPrompter prompter(&owner);
    const auto uiThread = std::this_thread::get_id();
    std::vector<QString> shownTexts;
    bool offThread = false;
    QWidget* parent = nullptr;
    prompter.setBoxRunner([&](QMessageBox& box) {
        offThread = offThread || std::this_thread::get_id() != uiThread;
        shownTexts.push_back(box.text());
        parent = box.parentWidget();
        return box.standardButtons().testFlag(QMessageBox::Yes) ? int(QMessageBox::No) : int(QMessageBox::Cancel);
    });

    std::atomic<bool> done{false};
    MessageAnswer first = MessageAnswer::Ok;
    MessageAnswer second = MessageAnswer::Yes;
    std::thread worker([&] {
        first = prompter.show(Message{"Proceed to the firmware upgrade?", "Information", MessageIcon::Question,
                                      MessageButtons::OkCancel});
        second = prompter.show(Message{"Quit the firmware upgrade?", "Information", MessageIcon::Question,
                                       MessageButtons::YesNo});
        done = true;
    });
    // The worker's questions are answered only as the user-interface thread runs its events.
    QTRY_VERIFY_WITH_TIMEOUT(done.load(), 5000);
    worker.join();
    QCOMPARE(first, MessageAnswer::Cancel);
    QCOMPARE(second, MessageAnswer::No);
    QCOMPARE(shownTexts, (std::vector<QString>{"Proceed to the firmware upgrade?", "Quit the firmware upgrade?"}));
    QVERIFY(!offThread);
    QCOMPARE(parent, &owner);

    // On the user-interface thread the box runs at once.
    prompter.setBoxRunner([](QMessageBox&) { return int(QMessageBox::Ok); });
    QCOMPARE(prompter.show(Message{"x", "y", MessageIcon::None, MessageButtons::OkCancel}), MessageAnswer::Ok);
}

void SeamsTest::prompterAbandonedReleasesWorkers()
{
    QtPrompter prompter(nullptr);
    int shown = 0;
    prompter.setBoxRunner([&](QMessageBox&) {
        ++shown;
        return int(QMessageBox::Ok);
    });
    MessageAnswer answer = MessageAnswer::Ok;
    std::thread worker([&] {
        answer = prompter.show(Message{"?", "Information", MessageIcon::Question, MessageButtons::OkCancel});
    });
    // The user-interface thread does not run its events (as while it shuts down) and gives up instead,
    // while the worker waits for its answer.
    while (prompter.waitingWorkers() == 0)
        std::this_thread::yield();
    prompter.abandonPending();
    worker.join();
    QCOMPARE(answer, MessageAnswer::Cancel);
    QCoreApplication::processEvents();
    QCOMPARE(shown, 0);
    // Later workers get the negative answer at once.
    std::thread([&] { answer = prompter.show(Message{"?", "", MessageIcon::None, MessageButtons::YesNo}); }).join();
    QCOMPARE(answer, MessageAnswer::No);
}

void SeamsTest::nextButtonReportsKReleaseOnly()
{
    KeyReportButton button(QStringLiteral("&Next >"));
    QVERIFY(test::showActive(button));
    button.setFocus();
    QSignalSpy reported(&button, &KeyReportButton::kKeyReleased);
    QSignalSpy clicked(&button, &QPushButton::clicked);

    QTest::keyPress(&button, Qt::Key_K);
    QCOMPARE(reported.count(), 0);
    QTest::keyRelease(&button, Qt::Key_K);
    QCOMPARE(reported.count(), 1);
    QTest::keyClick(&button, Qt::Key_K, Qt::ShiftModifier);
    QCOMPARE(reported.count(), 2);
    QTest::keyClick(&button, Qt::Key_J);
    QCOMPARE(reported.count(), 2);

    // A held key repeats; only its real release counts.
    QKeyEvent repeat(QEvent::KeyRelease, Qt::Key_K, Qt::NoModifier, QStringLiteral("k"), true);
    QApplication::sendEvent(&button, &repeat);
    QCOMPARE(reported.count(), 2);

    // Every release still gets the button's own handling: Space clicks it.
    QTest::keyClick(&button, Qt::Key_Space);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(reported.count(), 2);
}

ZKA_QTEST_MAIN(SeamsTest)
#include "ui_seams_test.moc"
