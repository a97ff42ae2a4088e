// Cameras that discovery does not find, added in the wizard against simulated cameras: two from an
// address file and one from the clipboard beside the five discovered ones, with an address that is
// some other web server and one where nothing answers, handed to the target list, given their
// logins with the others and upgraded with them in one batch.
#include "UiTestSupport.h"
#include "WizardDriver.h"

#include "camsim/Fleet.h"
#include "procedure_rig.h"
#include "ui/dialogs/AddCamerasDialog.h"
#include "ui/pages/AutomaticProgressPage.h"
#include "ui/pages/AutomaticTargetPage.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include <fstream>

using namespace zka;
using namespace zka::test;

namespace {

constexpr double kTimeScale = 0.05;

// Not found by discovery; answers "inq=system" without a login, as cameras in the field do.
camsim::CameraSpec hiddenCamera(int host, int port = 80)
{
    camsim::CameraSpec camera = testCamera(host);
    camera.answersDiscovery = false;
    camera.systemInquiryOpen = true;
    camera.webPort = port;
    return camera;
}

std::vector<camsim::CameraSpec> fleetSpecs()
{
    std::vector<camsim::CameraSpec> cameras;
    for (int host = 2; host <= 6; ++host)
        cameras.push_back(testCamera(host));
    cameras.push_back(hiddenCamera(10));
    cameras.push_back(hiddenCamera(11, 8080));
    cameras.push_back(hiddenCamera(12));
    camsim::CameraSpec printer = testCamera(20);
    printer.notACamera = true;
    cameras.push_back(printer);
    return cameras;
}

QPushButton* button(QWidget& parent, const char* name)
{
    return parent.findChild<QPushButton*>(name);
}

} // namespace

class WizardAddedTest final : public QObject {
    Q_OBJECT

private slots:
    void addedCamerasAreUpgradedWithTheDiscoveredOnes();
};

void WizardAddedTest::addedCamerasAreUpgradedWithTheDiscoveredOnes()
{
    BackupRoot backups;
    camsim::Fleet fleet(fleetSpecs(), kTimeScale);
    std::string error;
    QVERIFY2(fleet.start(error), error.c_str());
    WizardDriver driver(kTimeScale);
    QVERIFY(driver.show() && driver.toAutomaticTargetPage());
    AutomaticTargetPage& page = driver.automaticTargetPage();
    TargetCameraList& list = page.targetList();
    QCOMPARE(list.rowCount(), 5);

    QTemporaryDir dir;
    const QString file = dir.filePath("cameras.csv");
    std::ofstream(file.toStdString()) << "127.0.0.10\r\n127.0.0.11,8080\r\n127.0.0.20\r\n127.0.0.21\r\n";
    driver.desktop.answerNextDialog(file.toStdString());

    // The operator loads the file, pastes an address, waits for the probes and presses OK; the
    // question about the rows that are not valid is answered OK.
    std::vector<QString> words;
    page.setDialogRunner([&](QDialog& dialog) {
        auto& add = static_cast<AddCamerasDialog&>(dialog);
        button(add, "loadButton")->click();
        driver.desktop.setClipboard("127.0.0.12\r\n");
        button(add, "pasteButton")->click();
        QPushButton* ok = button(add, "okButton");
        if (!QTest::qWaitFor([&] { return ok->isEnabled() && !add.addedList().probesPending(); }, 10000))
            return int(QDialog::Rejected);
        for (int row = 0; row < add.addedList().rowCount(); ++row)
            words.push_back(add.addedList().row(row).texts[AddedCameraList::ModelColumn]);
        ok->click();
        return add.result();
    });
    driver.click(button(page, "slideButton"));
    QTRY_VERIFY(page.panelOpen());
    driver.click(button(page, "addCamerasButton"));
    QCOMPARE(words, (std::vector<QString>{"ZKA-QM410", "ZKA-QM410", "Not a camera", "No response", "ZKA-QM410"}));
    QCOMPARE(driver.prompter.messages().back().text, std::string("Not all the listed cameras are valid!"));

    QCOMPARE(list.rowCount(), 8);
    QCOMPARE(page.findChild<QLabel*>("detectedCounter")->text(), QStringLiteral("8/256"));
    QCOMPARE(list.row(5).texts[TargetCameraList::AddressColumn], QStringLiteral("127.0.0.10"));
    QCOMPARE(list.row(6).texts[TargetCameraList::AddressColumn], QStringLiteral("127.0.0.11:8080"));
    QCOMPARE(list.row(7).texts[TargetCameraList::AddressColumn], QStringLiteral("127.0.0.12"));
    QCOMPARE(list.row(6).httpPort, 8080);
    QVERIFY(list.row(7).texts[TargetCameraList::MacColumn].isEmpty());
    QCOMPARE(list.row(7).texts[TargetCameraList::SerialColumn], QString::fromStdString(hiddenCamera(12).serial));

    // Every camera gets its login; the wizard may go on.
    driver.answerLoginDialogsWith("admin", "admin");
    driver.click(button(page, "selectAllButton"));
    driver.click(button(page, "accessSettingButton"));
    QVERIFY(list.hasCompleteCheckedRows());
    QVERIFY(driver.next()->isEnabled());
    // The probes asked each added address once, with the empty login; the other web server too.
    for (const char* address : {"127.0.0.10", "127.0.0.11:8080", "127.0.0.12", "127.0.0.20"}) {
        const auto requests = fleet.requests(address);
        QCOMPARE(requests.size(), 1u);
        QCOMPARE(requests[0].body, std::string("inq=system"));
        QVERIFY(!requests[0].authorized);
    }

    // All eight in one batch (the settings discarded, which is quicker).
    driver.click(driver.next());
    QCOMPARE(driver.wizard().pageIndex(), 8);
    clickButton(driver.automaticProgressPage().findChild<QCheckBox*>("batchRetainSettings"));
    QVERIFY(!driver.automaticProgressPage().retainSettings());
    QCOMPARE(driver.automaticProgressPage().findChild<QLabel*>("proceededCounter")->text(), QStringLiteral("0/8"));
    driver.captureUpgradeLog();
    driver.click(driver.next());
    QVERIFY(driver.waitForUpgradeLog(240000));
    QStringList expected;
    for (int row = 0; row < list.rowCount(); ++row)
        expected << QStringLiteral("ZKA-QM410(%1) Completed successfully.").arg(list.row(row).texts[TargetCameraList::AddressColumn]);
    QVERIFY(driver.upgradeLog);
    QCOMPARE(driver.upgradeLog->split(QLatin1Char('\n'), Qt::SkipEmptyParts), expected);
    for (const char* address : {"127.0.0.10", "127.0.0.11:8080", "127.0.0.12"})
        QCOMPARE(fleet.reportedVersion(address), std::string("2.45"));
    QVERIFY(backups.files().empty());
}

ZKA_QTEST_MAIN(WizardAddedTest)
#include "wizard_added_test.moc"
