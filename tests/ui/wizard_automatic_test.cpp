// The automatic mode in the wizard against simulated cameras: the discovered fleet on the target
// page, the 256-camera cap, logins given one by one and as a batch, "Testing..." probes against
// cameras that answer, refuse the login and do not answer, and batches upgraded to the end and
// aborted, with the word each row ends with and the upgrade log, and the failed cameras retried.
#include "UiTestSupport.h"
#include "WizardDriver.h"

#include "camsim/Fleet.h"
#include "procedure_rig.h"
#include "ui/lists/UpgradeProgressList.h"
#include "ui/pages/AutomaticProgressPage.h"
#include "ui/pages/AutomaticTargetPage.h"
#include "upgrade/BatchScheduler.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

using namespace zka;
using namespace zka::test;

namespace {

const QColor kAnswered(0xCC, 0xC8, 0xFF);
const QColor kNoAnswer(0xFF, 0xA3, 0xA3);

// The row of the camera with this address text, or -1.
int rowOf(const TargetCameraList& list, const QString& address)
{
    for (int row = 0; row < list.rowCount(); ++row) {
        if (list.row(row).texts[TargetCameraList::AddressColumn] == address)
            return row;
    }
    return -1;
}

QPushButton* pageButton(WizardDriver& driver, const char* name)
{
    return driver.automaticTargetPage().findChild<QPushButton*>(name);
}

// The batch's row of the camera with this address text ("a.b.c.d" or "a.b.c.d:port"), or -1.
int batchRowOf(const BatchScheduler& batch, const std::string& address)
{
    for (std::size_t row = 0; row < batch.rowCount(); ++row) {
        if (batch.row(row).address == address)
            return int(row);
    }
    return -1;
}

// The upgrade log as the dialog showed it, one line each.
QStringList logLines(const WizardDriver& driver)
{
    return driver.upgradeLog ? driver.upgradeLog->split(QLatin1Char('\n'), Qt::SkipEmptyParts) : QStringList();
}

std::size_t uploadsTo(const camsim::Fleet& fleet, const std::string& address)
{
    std::size_t uploads = 0;
    for (const auto& request : fleet.requests(address))
        uploads += request.path == "/command/versionup.cgi" ? 1 : 0;
    return uploads;
}

QString counterOf(WizardDriver& driver)
{
    return driver.automaticProgressPage().findChild<QLabel*>("proceededCounter")->text();
}

// A fleet and a wizard shown on its automatic target page, both at a time scale that still leaves
// discovery (10 s nominal) time to hear every camera on a busy machine. The wizard starts
// discovery as it is made, so it is made once every camera listens.
struct AutomaticRun {
    explicit AutomaticRun(std::vector<camsim::CameraSpec> cameras, double timeScale = 0.05)
        : fleet(std::move(cameras), timeScale)
    {
        std::string error;
        if (!fleet.start(error))
            return;
        wizard = std::make_unique<WizardDriver>(timeScale);
        ready = wizard->show() && wizard->toAutomaticTargetPage();
    }
    WizardDriver& driver() { return *wizard; }
    TargetCameraList& list() { return wizard->automaticTargetPage().targetList(); }

    camsim::Fleet fleet;
    std::unique_ptr<WizardDriver> wizard;
    bool ready = false;
};

} // namespace

class WizardAutomaticTest final : public QObject {
    Q_OBJECT

private slots:
    void theDiscoveredFleetFillsTheTargetPage();
    void threeHundredCamerasFill256Rows();
    void testingProbesTheSelectedCameras();
    void aBatchEndsEachCameraWithItsOwnWordAndLogLine();
    void anAbortFinishesTheRunningCameraAndStartsNoOther();
    void theWizardGoingMidBatchEndsEveryCamera();
    void retryFailedUpgradesOnlyTheCamerasThatDidNotComplete();
};

void WizardAutomaticTest::theDiscoveredFleetFillsTheTargetPage()
{
    auto dhcp = testCamera(3);
    dhcp.dhcp = true;
    auto customPort = testCamera(4);
    customPort.webPort = 8080;
    AutomaticRun run({testCamera(2), dhcp, customPort, testCamera(5), testCamera(6)});
    QVERIFY(run.ready);
    WizardDriver& driver = run.driver();
    AutomaticTargetPage& page = driver.automaticTargetPage();
    TargetCameraList& list = page.targetList();
    QCOMPARE(list.rowCount(), 5);
    QCOMPARE(page.findChild<QLabel*>("detectedCounter")->text(), QStringLiteral("5/256"));
    QVERIFY(rowOf(list, "DHCP") >= 0);
    QCOMPARE(list.rowAddress(rowOf(list, "DHCP")), (TargetRow::Octets{127, 0, 0, 3}));
    QVERIFY(rowOf(list, "127.0.0.4:8080") >= 0);
    QCOMPARE(list.row(rowOf(list, "127.0.0.2")).texts[TargetCameraList::MacColumn], QStringLiteral("08:00:46:00:00:12"));
    QVERIFY(!driver.next()->isEnabled());
    QVERIFY(driver.back()->isEnabled());

    // One login given alone, then the rest as a batch.
    driver.answerLoginDialogsWith("admin", "admin");
    list.selectRows({0}, 0);
    driver.click(pageButton(driver, "accessSettingButton"));
    QCOMPARE(list.getRowLogin(0).second, QStringLiteral("admin"));
    QVERIFY(!driver.next()->isEnabled());
    driver.click(pageButton(driver, "selectAllButton"));
    driver.click(pageButton(driver, "accessSettingButton"));
    QVERIFY(list.hasCompleteCheckedRows());
    QVERIFY(driver.next()->isEnabled());

    // Enter in the list is Next: the batch is ready to start.
    list.setFocus();
    QTest::keyClick(&list, Qt::Key_Return);
    QCOMPARE(driver.wizard().pageIndex(), 8);
    QVERIFY(driver.automaticProgressPage().isVisible());
    QCOMPARE(driver.automaticProgressPage().progressList().rowCount(), 5);
    QCOMPARE(driver.next()->text(), QStringLiteral("&Upgrade"));
    QVERIFY(driver.next()->isEnabled());
    // Back keeps the list and its logins.
    driver.click(driver.back());
    QCOMPARE(driver.wizard().pageIndex(), 7);
    QCOMPARE(list.rowCount(), 5);
    QVERIFY(driver.next()->isEnabled());
    QCOMPARE(driver.prompter.count(), 0u);
    // Nothing was asked of the cameras.
    for (const auto& camera : run.fleet.cameras())
        QVERIFY(run.fleet.requests(camera.address).empty());
}

void WizardAutomaticTest::threeHundredCamerasFill256Rows()
{
    // Two seconds of discovery: a sanitizer build on a busy machine reads 300 replies slowly.
    AutomaticRun run(camsim::defaultFleet(300), 0.2);
    QVERIFY(run.ready);
    QCOMPARE(run.list().rowCount(), 256);
    QCOMPARE(run.driver().automaticTargetPage().findChild<QLabel*>("detectedCounter")->text(), QStringLiteral("256/256"));
}

void WizardAutomaticTest::testingProbesTheSelectedCameras()
{
    auto refuses = testCamera(3);
    refuses.adminPassword = "secret";
    auto silent = testCamera(4);
    silent.slowAnswerSeconds = 60; // far beyond the probe's 21 s
    auto byHand = testCamera(6);
    byHand.answersDiscovery = false;
    AutomaticRun run({testCamera(2), refuses, silent, testCamera(5), byHand});
    QVERIFY(run.ready);
    WizardDriver& driver = run.driver();
    AutomaticTargetPage& page = driver.automaticTargetPage();
    TargetCameraList& list = page.targetList();
    QCOMPARE(list.rowCount(), 4);
    // A camera entered by address has no MAC until a probe brings it.
    TargetCameraList::CameraEntry entry = cameraEntry(6);
    entry.mac.clear();
    entry.serial = QString::fromStdString(byHand.serial);
    QVERIFY(list.addCamera(list.rowCount(), entry));

    driver.answerLoginDialogsWith("admin", "admin");
    driver.click(pageButton(driver, "selectAllButton"));
    driver.click(pageButton(driver, "accessSettingButton"));
    driver.click(pageButton(driver, "slideButton"));
    QTRY_VERIFY(page.panelOpen());
    driver.click(pageButton(driver, "testingButton"));
    QVERIFY(page.probing());
    QCOMPARE(page.cursor().shape(), Qt::BusyCursor);
    // The rows are sorted the other way round while the probes run: each result stays with its camera.
    const int left = list.header()->sectionViewportPosition(TargetCameraList::AddressColumn);
    QTest::mouseClick(list.header()->viewport(), Qt::LeftButton, {}, QPoint(left + 10, 5));
    QTest::mouseClick(list.header()->viewport(), Qt::LeftButton, {}, QPoint(left + 10, 5));
    QCOMPARE(list.row(0).texts[TargetCameraList::AddressColumn], QStringLiteral("127.0.0.6"));

    QTRY_VERIFY_WITH_TIMEOUT(!page.probing(), 10000);
    QCOMPARE(page.cursor().shape(), Qt::ArrowCursor);
    list.clearSelection();
    const auto expectRow = [&](const char* address, int state, const QColor& strip, const char* word) {
        const int row = rowOf(list, address);
        QVERIFY2(row >= 0, address);
        QCOMPARE(list.row(row).probeState, state);
        QCOMPARE(stripColour(list, row), strip);
        QCOMPARE(list.model()->index(row, 0).data(Qt::AccessibleDescriptionRole).toString(), QString::fromLatin1(word));
    };
    expectRow("127.0.0.2", 2, kAnswered, "Answered");
    expectRow("127.0.0.3", 1, kNoAnswer, "No answer");
    expectRow("127.0.0.4", 1, kNoAnswer, "No answer");
    expectRow("127.0.0.5", 2, kAnswered, "Answered");
    expectRow("127.0.0.6", 2, kAnswered, "Answered");
    // The probe's MAC went to the camera entered by address; the others keep the discovered one.
    QCOMPARE(list.row(rowOf(list, "127.0.0.6")).texts[TargetCameraList::MacColumn], QStringLiteral("08-00-46-00-00-16"));
    QCOMPARE(list.row(rowOf(list, "127.0.0.5")).texts[TargetCameraList::MacColumn], QStringLiteral("08:00:46:00:00:15"));

    // Each camera was asked "inq=network" once, with the login given.
    for (const char* address : {"127.0.0.2", "127.0.0.3", "127.0.0.5", "127.0.0.6"}) {
        const auto requests = run.fleet.requests(address);
        QCOMPARE(requests.size(), 1u);
        QCOMPARE(requests[0].body, std::string("inq=network"));
        QCOMPARE(requests[0].authorized, std::string(address) != "127.0.0.3");
    }
    QCOMPARE(driver.prompter.count(), 0u);

    // Probes still under way when the wizard goes (the silent camera's) end with it.
    list.selectRows({rowOf(list, "127.0.0.4")}, -1);
    driver.click(pageButton(driver, "testingButton"));
    QTRY_COMPARE(run.fleet.requests("127.0.0.4").size(), 2u);
    QVERIFY(page.probing());
}

void WizardAutomaticTest::aBatchEndsEachCameraWithItsOwnWordAndLogLine()
{
    auto dhcp = testCamera(2);
    dhcp.dhcp = true;
    auto customPort = testCamera(3);
    customPort.webPort = 8080;
    auto wrongPassword = testCamera(4);
    wrongPassword.adminPassword = "secret";
    auto refusesRestore = testCamera(5);
    refusesRestore.restoreRefusals = 4;
    auto neverBack = testCamera(6);
    neverBack.afterUpgrade = camsim::AfterUpgrade::NeverBack;
    BackupRoot backups;
    AutomaticRun run({dhcp, customPort, wrongPassword, refusesRestore, neverBack});
    QVERIFY(run.ready);
    WizardDriver& driver = run.driver();
    TargetCameraList& list = run.list();
    QCOMPARE(list.rowCount(), 5);

    // Three logins one by one from the first row, the last two together.
    driver.answerLoginDialogsOneByOne({{"admin", "admin"}, {"admin", "admin"}, {"admin", "admin"}});
    list.selectRows({0}, 0);
    driver.click(pageButton(driver, "accessSettingButton"));
    QVERIFY(!driver.next()->isEnabled());
    driver.answerLoginDialogsWith("admin", "admin");
    list.selectRows({3, 4}, 3);
    driver.click(pageButton(driver, "accessSettingButton"));
    QVERIFY(driver.next()->isEnabled());

    driver.click(driver.next());
    QCOMPARE(driver.wizard().pageIndex(), 8);
    AutomaticProgressPage& page = driver.automaticProgressPage();
    QVERIFY(page.retainSettings());
    QVERIFY(!page.backupSettings());
    QCOMPARE(counterOf(driver), QStringLiteral("0/5"));
    driver.captureUpgradeLog();
    driver.click(driver.next());
    QTRY_COMPARE(driver.wizard().pageIndex(), 9);
    QCOMPARE(driver.next()->text(), QStringLiteral("&Abort"));
    QVERIFY(!driver.back()->isEnabled());
    QVERIFY(!driver.cancel()->isEnabled());
    // While the batch runs the window stays: neither its close button nor Escape ends it.
    QVERIFY(!driver.wizard().closeEnabled());
    QVERIFY(!driver.wizard().close());
    QTest::keyClick(&driver.wizard(), Qt::Key_Escape);
    QVERIFY(driver.wizard().isVisible());
    QCOMPARE(driver.wizard().pageIndex(), 9);

    QVERIFY(driver.waitForUpgradeLog(240000));
    QCOMPARE(counterOf(driver), QStringLiteral("5/5"));
    QCOMPARE(driver.cancel()->text(), QStringLiteral("&Finish"));
    QVERIFY(driver.cancel()->isEnabled());
    QVERIFY(!driver.next()->isEnabled());
    QVERIFY(driver.wizard().closeEnabled());

    const BatchScheduler& batch = page.scheduler();
    const struct {
        std::string address;
        const char* word;
        const char* logLine;
        bool fileKept;
        const char* detail; // the cause, on an indented line of its own
    } expected[] = {
        {"127.0.0.2", "Completed", "ZKA-QM410(DHCP:127.0.0.2) Completed successfully.", false, ""},
        {"127.0.0.3:8080", "Completed", "ZKA-QM410(127.0.0.3:8080) Completed successfully.", false, ""},
        {"127.0.0.4", "Error3", "ZKA-QM410(127.0.0.4) Login error.", false, "login refused"},
        {"127.0.0.5", "Error7", "ZKA-QM410(127.0.0.5) Cannot load config.", true,
         "the camera did not take its configuration back"},
        {"127.0.0.6", "Error2", "ZKA-QM410(127.0.0.6) Upgrade sequence error.", true,
         "the camera did not confirm the new version"},
    };
    QStringList inRowOrder(5);
    for (const auto& camera : expected) {
        const int row = batchRowOf(batch, camera.address);
        QVERIFY2(row >= 0, camera.address.c_str());
        const ProgressRow& shown = batch.row(std::size_t(row));
        QCOMPARE(page.progressList().model()->index(row, UpgradeProgressList::StatusColumn).data().toString(),
                 QString::fromLatin1(camera.word));
        QCOMPARE(shown.version, std::string(shown.finalStatus == 9 ? "2.45" : "2.30"));
        QCOMPARE(!shown.savedConfiguration.empty(), camera.fileKept);
        inRowOrder[row] = QString::fromLatin1(camera.logLine);
        if (*camera.detail != '\0')
            inRowOrder[row] += QStringLiteral("\n    ") + QString::fromLatin1(camera.detail);
    }
    // The files kept for the two cameras that did not take their settings back: the log names their folder.
    inRowOrder << QStringLiteral("Saved configurations: %1")
                      .arg(QString::fromStdString(std::filesystem::path(batch.row(std::size_t(batchRowOf(batch, "127.0.0.5")))
                                                                          .savedConfiguration)
                                                      .parent_path()));
    QCOMPARE(logLines(driver), inRowOrder.join(QLatin1Char('\n')).split(QLatin1Char('\n')));
    // Retain without Backup: a file stays only where the camera never took its settings back.
    QCOMPARE(backups.files().size(), 2u);
    // The one question of the run was the confirmation.
    QCOMPARE(driver.prompter.count(), 1u);
}

void WizardAutomaticTest::anAbortFinishesTheRunningCameraAndStartsNoOther()
{
    BackupRoot backups;
    AutomaticRun run({testCamera(2), testCamera(3), testCamera(4)});
    QVERIFY(run.ready);
    WizardDriver& driver = run.driver();
    UpgradeWizard& wizard = driver.wizard();
    const auto alt = [&wizard](Qt::Key key) { QTest::keyClick(&wizard, key, Qt::AltModifier); };

    // From the keyboard: Select all, Access setting, Enter for Next.
    driver.answerLoginDialogsWith("admin", "admin");
    alt(Qt::Key_S);
    alt(Qt::Key_A);
    QTRY_VERIFY(driver.next()->isEnabled());
    QTest::keyClick(&wizard, Qt::Key_Return);
    QCOMPARE(wizard.pageIndex(), 8);
    AutomaticProgressPage& page = driver.automaticProgressPage();
    const BatchScheduler& batch = page.scheduler();
    alt(Qt::Key_S);
    QTRY_VERIFY(page.backupSettings());

    // The first confirmation is cancelled: still "&Upgrade", the settings open to change.
    driver.prompter.answerNext(MessageAnswer::Cancel);
    alt(Qt::Key_U);
    QTRY_COMPARE(driver.prompter.count(), 1u);
    QTRY_VERIFY(page.findChild<QCheckBox*>("batchRetainSettings")->isEnabled());
    QCOMPARE(driver.next()->text(), QStringLiteral("&Upgrade"));
    QCOMPARE(wizard.pageIndex(), 8);
    QVERIFY(!batch.running());

    // Abort as soon as the first camera saves its configuration or uploads, with Enter as a stray
    // key would: the question's default is No and nothing stops. Then "&Abort" once more, and Yes.
    driver.captureUpgradeLog();
    driver.prompter.answerNext(MessageAnswer::Ok);
    driver.prompter.answerNext(MessageAnswer::No);
    driver.prompter.answerNext(MessageAnswer::Yes);
    QTimer watch;
    watch.setInterval(0);
    bool aborted = false;
    bool keptRunning = false;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const int code = batch.rowCount() > 0 ? batch.row(0).statusCode : 0;
        if (!aborted && (code == 2 || code == 3)) {
            aborted = true;
            QTest::keyClick(&wizard, Qt::Key_Return);
            keptRunning = driver.next()->isEnabled() && !batch.stopRequested() && batch.running();
            driver.click(driver.next());
        }
    });
    watch.start();
    alt(Qt::Key_U);
    QTRY_VERIFY_WITH_TIMEOUT(aborted, 30000);
    QVERIFY(keptRunning);
    QVERIFY(!driver.next()->isEnabled());
    QTest::keyClick(&wizard, Qt::Key_Escape);
    QVERIFY(wizard.isVisible());
    QVERIFY(driver.waitForUpgradeLog(120000));
    watch.stop();
    const auto messages = driver.prompter.messages();
    // The cancelled confirmation, the accepted one, then the abort's question twice.
    QCOMPARE(messages.size(), 4u);
    for (std::size_t i = 2; i < 4; ++i) {
        QCOMPARE(messages[i].text, std::string("Abort the firmware upgrade?\r\nThe cameras being upgraded finish; "
                                               "2 waiting camera(s) will not be upgraded."));
        QCOMPARE(messages[i].icon, MessageIcon::Question);
        QCOMPARE(messages[i].buttons, MessageButtons::YesNo);
        QVERIFY(messages[i].defaultAnswer == MessageAnswer::No);
    }

    const ProgressRow& first = batch.row(0);
    QCOMPARE(batch.rowText().statusWord(first), std::string("Completed"));
    QStringList expectedLog{QStringLiteral("ZKA-QM410(%1) Completed successfully.")
                                .arg(QString::fromStdString(first.address))};
    for (std::size_t row = 1; row < 3; ++row) {
        QCOMPARE(batch.rowText().statusWord(batch.row(row)), std::string("Standby"));
        QCOMPARE(batch.row(row).progress.load(), 0);
        QCOMPARE(uploadsTo(run.fleet, batch.row(row).address), 0u);
        expectedLog << QStringLiteral("ZKA-QM410(%1) Not upgraded (the batch was aborted).")
                           .arg(QString::fromStdString(batch.row(row).address));
    }
    // Backup on: the log closes with the folder of the saved configuration.
    expectedLog << QStringLiteral("Saved configurations: %1")
                       .arg(QString::fromStdString(std::filesystem::path(first.savedConfiguration).parent_path()));
    QCOMPARE(logLines(driver), expectedLog);
    // Only the camera that ran counts as proceeded.
    QCOMPARE(counterOf(driver), QStringLiteral("1/3"));
    // Backup on: the first camera's saved configuration stays.
    QVERIFY(!first.savedConfiguration.empty());
    QCOMPARE(backups.files().size(), 1u);

    // "&Finish" ends the wizard without a question.
    alt(Qt::Key_F);
    QTRY_VERIFY(!wizard.isVisible());
    QCOMPARE(driver.prompter.count(), 4u);
}

void WizardAutomaticTest::theWizardGoingMidBatchEndsEveryCamera()
{
    // The camera's answer lasts long enough to be in the middle of it when the wizard goes.
    auto slow = testCamera(2);
    slow.stepSeconds = 50;
    auto second = testCamera(3);
    second.stepSeconds = 50;
    AutomaticRun run({slow, second});
    QVERIFY(run.ready);
    WizardDriver& driver = run.driver();
    driver.answerLoginDialogsWith("admin", "admin");
    driver.click(pageButton(driver, "selectAllButton"));
    driver.click(pageButton(driver, "accessSettingButton"));
    driver.click(driver.next());
    QCOMPARE(driver.wizard().pageIndex(), 8);
    clickButton(driver.automaticProgressPage().findChild<QCheckBox*>("batchRetainSettings"));
    const BatchScheduler& batch = driver.automaticProgressPage().scheduler();
    driver.click(driver.next());
    QTRY_VERIFY_WITH_TIMEOUT(batch.row(0).statusCode == 4 && batch.row(1).statusCode == 4, 30000);

    // As the program ends (a signal, the session closing): every camera's threads are stopped and
    // joined before what they use goes.
    QElapsedTimer ending;
    ending.start();
    run.wizard.reset();
    QVERIFY2(ending.elapsed() < 5000, QByteArray::number(ending.elapsed()).constData());
}

void WizardAutomaticTest::retryFailedUpgradesOnlyTheCamerasThatDidNotComplete()
{
    // The first camera completes. The second, with a login of its own, refuses its settings four
    // times: it fails the first batch and completes the second. The third refuses the login given.
    auto ownLogin = testCamera(3);
    ownLogin.adminPassword = "own";
    ownLogin.restoreRefusals = 4;
    auto refused = testCamera(4);
    refused.adminPassword = "secret";
    BackupRoot backups;
    AutomaticRun run({testCamera(2), ownLogin, refused});
    QVERIFY(run.ready);
    WizardDriver& driver = run.driver();
    UpgradeWizard& wizard = driver.wizard();
    TargetCameraList& list = run.list();
    driver.answerLoginDialogsWith("admin", "admin");
    driver.click(pageButton(driver, "selectAllButton"));
    driver.click(pageButton(driver, "accessSettingButton"));
    list.setRowLogin(rowOf(list, "127.0.0.3"), "admin", "own");
    auto* retry = wizard.findChild<QPushButton*>("retryFailedButton");
    QVERIFY(retry);
    driver.click(driver.next());
    QCOMPARE(wizard.pageIndex(), 8);
    QVERIFY(retry->isVisible());
    QVERIFY(!retry->isEnabled());
    // Retain and Backup: the retried camera keeps its file as well.
    AutomaticProgressPage& page = driver.automaticProgressPage();
    clickButton(page.findChild<QCheckBox*>("batchBackupSettings"));
    driver.captureUpgradeLog();
    driver.click(driver.next());
    QTRY_COMPARE(wizard.pageIndex(), 9);
    QVERIFY(!retry->isEnabled());
    QVERIFY(driver.waitForUpgradeLog(240000));
    QVERIFY(retry->isEnabled());

    // Alt+R: the two cameras that did not complete, at the confirmation, as a batch starts.
    driver.upgradeLog.reset();
    QTest::keyClick(&wizard, Qt::Key_R, Qt::AltModifier);
    QTRY_COMPARE(driver.prompter.count(), 2u);
    QCOMPARE(driver.prompter.messages()[1].text, std::string("Proceed to the firmware upgrade?"));
    QTRY_COMPARE(wizard.pageIndex(), 9);
    QVERIFY(!retry->isEnabled());
    QCOMPARE(driver.cancel()->text(), QStringLiteral("Cancel"));
    const BatchScheduler& batch = page.scheduler();
    QCOMPARE(batch.rowCount(), 2u);
    QVERIFY(driver.waitForUpgradeLog(240000));
    // The retried camera took its own login and kept its file: the log names the folder.
    QCOMPARE(logLines(driver), (QStringList{"ZKA-QM410(127.0.0.3) Completed successfully.",
                                            "ZKA-QM410(127.0.0.4) Login error.", "    login refused",
                                            QStringLiteral("Saved configurations: %1")
                                                .arg(QString::fromStdString(
                                                    std::filesystem::path(batch.row(0).savedConfiguration)
                                                        .parent_path()))}));
    QCOMPARE(uploadsTo(run.fleet, "127.0.0.2"), 1u);
    QCOMPARE(uploadsTo(run.fleet, "127.0.0.3"), 2u);
    // The camera that still refuses its login can be retried once more.
    QVERIFY(retry->isEnabled());
}

ZKA_QTEST_MAIN(WizardAutomaticTest)
#include "wizard_automatic_test.moc"
