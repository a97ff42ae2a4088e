// The automatic mode in the wizard against simulated cameras: the discovered fleet on the target
// page, the 256-camera cap, logins given one by one and as a batch, and "Testing..." probes against
// cameras that answer, refuse the login and do not answer.
#include "UiTestSupport.h"
#include "WizardDriver.h"

#include "camsim/Fleet.h"
#include "procedure_rig.h"
#include "ui/pages/AutomaticTargetPage.h"
#include "ui/pages/AutomaticUnavailablePage.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>

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
    QCOMPARE(list.GetRowLogin(0).second, QStringLiteral("admin"));
    QVERIFY(!driver.next()->isEnabled());
    driver.click(pageButton(driver, "selectAllButton"));
    driver.click(pageButton(driver, "accessSettingButton"));
    QVERIFY(list.HasCompleteCheckedRows());
    QVERIFY(driver.next()->isEnabled());

    // Enter in the list is Next: this version stops at the batch.
    list.setFocus();
    QTest::keyClick(&list, Qt::Key_Return);
    QCOMPARE(driver.wizard().pageIndex(), 8);
    QVERIFY(driver.wizard().findChild<AutomaticUnavailablePage*>()->isVisible());
    QVERIFY(!driver.next()->isEnabled());
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
    QVERIFY(list.AddCamera(list.rowCount(), entry));

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

ZKA_QTEST_MAIN(WizardAutomaticTest)
#include "wizard_automatic_test.moc"
