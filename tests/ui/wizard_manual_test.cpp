// The manual mode clicked through the whole wizard against simulated cameras in this process: what
// the operator sees on each page and in each message, what the buttons allow while the upgrade runs,
// what the camera received, and what is left in the backup folder.
#include "UiTestSupport.h"
#include "WizardDriver.h"

#include "upgrade/ManualFlow.h"
#include "camsim/Fleet.h"
#include "procedure_rig.h"
#include "ui/pages/ManualProgressPage.h"
#include "ui/widgets/Ipv4AddressEdit.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QWindow>

#include <filesystem>
#include <fstream>
#include <set>

using namespace zka;
using namespace zka::test;

namespace {

const Message kConfirm{"Proceed to the firmware upgrade?", "Information", MessageIcon::Question,
                       MessageButtons::OkCancel};
const Message kNotSuitable{"This firmware is not suitable for the target camera.", "Information",
                           MessageIcon::Question};
const Message kWrongModel{"This program works for the ZKA-QM410. Please select the correct camera.", "Information",
                          MessageIcon::Warning};
const Message kVersionUpError{"Version up error.", "Information", MessageIcon::Error};
const Message kRestoreFault{"Fault to upload configuration!", "Information", MessageIcon::Error};

// What the operator saw while the upgrade ran (step 5), sampled as the window repainted.
struct RunningView {
    QStringList stages;
    int highestBar = 0;
    bool buttonsOff = true;
    bool closeOff = true;
    bool triedToClose = false;
    bool closeRefused = false;
    bool emergencyShown = false;
};

std::string fileText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

int countRequests(const camsim::Fleet& fleet, const std::string& address, const std::string& path,
                  const std::string& body = {})
{
    int count = 0;
    for (const auto& request : fleet.requests(address))
        count += request.path == path && (body.empty() || request.body == body) ? 1 : 0;
    return count;
}

} // namespace

class WizardManualTest final : public QObject {
    Q_OBJECT

private slots:
    void upgradesWithAndWithoutTheSettingsAndRetriesWithTheEntriesKept();
    void refusedTargetsStayOnTheTargetPage();
    void upgradesThatGoWrongEndWhereTheyShould();

private:
    // From the target page: Next, the confirmation page, Next (OK), then the upgrade until it left
    // step 5. False when a page did not come.
    static bool runUpgrade(WizardDriver& driver, RunningView& seen);
};

bool WizardManualTest::runUpgrade(WizardDriver& driver, RunningView& seen)
{
    UpgradeWizard& wizard = driver.wizard();
    driver.click(driver.next());
    if (!driver.waitForPage(4))
        return false;
    driver.click(driver.next());
    QDeadlineTimer deadline(60000);
    while (wizard.pageIndex() == 5 || (wizard.pageIndex() == 4 && wizard.manualFlow().busy())) {
        if (deadline.hasExpired())
            return false;
        if (wizard.pageIndex() == 5) {
            const QString stage = driver.stageText();
            if (seen.stages.empty() || seen.stages.back() != stage)
                seen.stages.push_back(stage);
            seen.highestBar = std::max(seen.highestBar, driver.progressBarValue());
            seen.buttonsOff = seen.buttonsOff && !driver.back()->isEnabled() && !driver.next()->isEnabled() &&
                              !driver.cancel()->isEnabled();
            seen.closeOff = seen.closeOff && !wizard.closeEnabled() &&
                            !wizard.windowFlags().testFlag(Qt::WindowCloseButtonHint) &&
                            !wizard.windowHandle()->flags().testFlag(Qt::WindowCloseButtonHint);
            seen.emergencyShown = seen.emergencyShown || driver.emergencyImageVisible();
            if (!seen.triedToClose) {
                // Neither the close button nor Escape ends the wizard now.
                seen.triedToClose = true;
                QTest::keyClick(&wizard, Qt::Key_Escape);
                seen.closeRefused = !wizard.close() && wizard.isVisible();
            }
        }
        QTest::qWait(2);
    }
    return true;
}

void WizardManualTest::upgradesWithAndWithoutTheSettingsAndRetriesWithTheEntriesKept()
{
    BackupRoot backupRoot;
    auto plain = testCamera(2);
    plain.docType = "NTSC";
    auto retained = testCamera(3);
    auto kept = testCamera(4);
    kept.softVersion = "3.10";
    kept.panTilt = true;
    camsim::Fleet fleet({plain, retained, kept}, 0.01);
    std::string error;
    QVERIFY2(fleet.start(error), error.c_str());

    WizardDriver driver;
    QVERIFY(driver.show());
    UpgradeWizard& wizard = driver.wizard();
    QVERIFY(driver.toTargetPage());

    // Without Retain: nothing saved, the upgrade starts at once with "Uploading".
    driver.fillTarget(TargetEntry::at(QStringLiteral("127.0.0.2")));
    driver.click(driver.next());
    QVERIFY(driver.waitForPage(4));
    auto* progress = wizard.findChild<ManualProgressPage*>();
    const auto field = [&](const char* name) { return progress->findChild<QLineEdit*>(name)->text(); };
    QCOMPARE(field("targetAddress"), QStringLiteral("127.0.0.2"));
    QCOMPARE(field("currentVersion"), QStringLiteral("ver2.30"));
    QCOMPARE(field("newVersion"), QStringLiteral("ver2.45"));
    QCOMPARE(field("setupData"), QStringLiteral("Discard the current settings."));
    QCOMPARE(field("statusLine"), QString());
    QCOMPARE(driver.next()->text(), QStringLiteral("&Upgrade"));
    QVERIFY(driver.back()->isEnabled());
    QVERIFY(driver.cancel()->isEnabled());

    RunningView seen;
    driver.click(driver.back());
    QCOMPARE(wizard.pageIndex(), 3);
    QCOMPARE(driver.next()->text(), QStringLiteral("&Next >"));
    QVERIFY(runUpgrade(driver, seen));
    QCOMPARE(wizard.pageIndex(), 6);
    QCOMPARE(driver.prompter.messages(), (std::vector<Message>{kConfirm}));
    QCOMPARE(field("statusLine"), QStringLiteral("Version up is in progress. Do not turn off the power."));
    QVERIFY(seen.stages.size() >= 3);
    QCOMPARE(seen.stages.front(), QStringLiteral("Uploading"));
    QVERIFY(seen.stages.contains(QStringLiteral("Overwriting")));
    QVERIFY(seen.stages.contains(QStringLiteral("Rebooting")));
    QVERIFY(!seen.stages.contains(QStringLiteral("Saving config file")));
    QVERIFY2(seen.highestBar > 2000, qPrintable(QString::number(seen.highestBar)));
    QVERIFY(seen.buttonsOff);
    QVERIFY(seen.closeOff);
    QVERIFY(seen.closeRefused);
    QVERIFY(!seen.emergencyShown);

    // The result page: the version the camera now runs, "Re-try" and "Finish".
    QVERIFY(driver.resultText().endsWith(QStringLiteral("Target camera version is \"2.45\".")));
    QCOMPARE(driver.back()->text(), QStringLiteral("&Re-try"));
    QCOMPARE(driver.cancel()->text(), QStringLiteral("&Finish"));
    QCOMPARE(driver.next()->text(), QStringLiteral("&Next >"));
    QVERIFY(driver.back()->isEnabled());
    QVERIFY(!driver.next()->isEnabled());
    QVERIFY(driver.cancel()->isEnabled());
    QVERIFY(wizard.closeEnabled());
    QVERIFY(!wizard.confirmQuit());
    QCOMPARE(fleet.reportedVersion("127.0.0.2"), std::string("2.45"));
    const auto uploads = fleet.requests("127.0.0.2");
    const auto upload = std::find_if(uploads.begin(), uploads.end(),
                                     [](const auto& r) { return r.path == "/command/versionup.cgi"; });
    QVERIFY(upload != uploads.end());
    QCOMPARE(upload->uploadVerdict, std::string("ok"));
    QCOMPARE(countRequests(fleet, "127.0.0.2", "/command/versionup.cgi"), 1);
    QVERIFY(backupRoot.files().empty());

    // "Re-try": back on the target page with the captions and the entries as they were.
    driver.click(driver.back());
    QCOMPARE(wizard.pageIndex(), 3);
    QCOMPARE(driver.back()->text(), QStringLiteral("< &Back"));
    QCOMPARE(driver.next()->text(), QStringLiteral("&Next >"));
    QCOMPARE(driver.cancel()->text(), QStringLiteral("Cancel"));
    QVERIFY(driver.next()->isEnabled());
    QVERIFY(wizard.confirmQuit());
    QCOMPARE(wizard.findChild<Ipv4AddressEdit*>(QStringLiteral("address"))->text(), QStringLiteral("127.0.0.2"));
    QCOMPARE(wizard.findChild<QLineEdit*>(QStringLiteral("adminName"))->text(), QStringLiteral("admin"));

    // Retain: saved first, restored after the upgrade, and the saved file deleted.
    driver.prompter.clear();
    driver.fillTarget(TargetEntry::at(QStringLiteral("127.0.0.3")).settings(true, false));
    seen = RunningView{};
    QVERIFY(runUpgrade(driver, seen));
    QCOMPARE(wizard.pageIndex(), 6);
    QCOMPARE(driver.prompter.messages(), (std::vector<Message>{kConfirm}));
    QCOMPARE(seen.stages.front(), QStringLiteral("Saving config file"));
    QVERIFY(seen.stages.contains(QStringLiteral("Loading config file")));
    QCOMPARE(seen.stages.back(), QStringLiteral("Reconfiguring"));
    const auto restores = fleet.requests("127.0.0.3");
    const auto restore = std::find_if(restores.begin(), restores.end(),
                                      [](const auto& r) { return r.path == "/command/all-configuration.cgi"; });
    QVERIFY(restore != restores.end());
    QCOMPARE(restore->payload, fleet.cameras()[1].configuration);
    QVERIFY(backupRoot.files().empty());

    // Retain and Backup, on a 3.x camera with pan-tilt: the saved file stays, named after the camera.
    driver.click(driver.back());
    driver.prompter.clear();
    driver.fillTarget(TargetEntry::at(QStringLiteral("127.0.0.4")).settings(true, true));
    seen = RunningView{};
    QVERIFY(runUpgrade(driver, seen));
    QCOMPARE(wizard.pageIndex(), 6);
    QCOMPARE(driver.prompter.messages(), (std::vector<Message>{kConfirm}));
    QCOMPARE(field("setupData"), QStringLiteral("Retain and backup the current settings."));
    QCOMPARE(field("newVersion"), QStringLiteral("ver3.15"));
    QVERIFY(driver.resultText().endsWith(QStringLiteral("\"3.15\".")));
    const auto files = backupRoot.files();
    QCOMPARE(files.size(), std::size_t(1));
    QCOMPARE(files[0].filename().string(), std::string("zka-qm410.S000004.cfg"));
    QCOMPARE(files[0].parent_path().parent_path().filename().string(), std::string("Configurations"));
    QCOMPARE(fileText(files[0]), fleet.cameras()[2].configuration);
    QCOMPARE(countRequests(fleet, "127.0.0.4", "/command/all-configuration-preset.cgi"), 1);

    // "Finish" closes without a question.
    driver.prompter.clear();
    driver.click(driver.cancel());
    QCOMPARE(driver.prompter.count(), 0u);
    QVERIFY(!wizard.isVisible());
}

void WizardManualTest::refusedTargetsStayOnTheTargetPage()
{
    BackupRoot backupRoot;
    auto camera = testCamera(2);
    camera.userName = "operator";
    camera.userPassword = "secret";
    auto foreign = testCamera(3);
    foreign.model = "XYZ-100";
    auto slow = testCamera(4);
    slow.slowAnswerSeconds = 10; // within the inquiries' 20 s
    camsim::Fleet fleet({camera, foreign, slow}, 0.01);
    std::string error;
    QVERIFY2(fleet.start(error), error.c_str());

    WizardDriver driver;
    QVERIFY(driver.show());
    UpgradeWizard& wizard = driver.wizard();
    QVERIFY(driver.toTargetPage());

    const auto refusal = [&](const QString& address, const QString& name, const QString& password) {
        driver.prompter.clear();
        driver.fillTarget(TargetEntry::at(address).login(name, password));
        driver.click(driver.next());
        const bool idle = driver.waitUntilIdle();
        const bool stayed = wizard.pageIndex() == 3 && driver.next()->isEnabled() && driver.back()->isEnabled() &&
                            driver.cancel()->isEnabled() && !QApplication::overrideCursor();
        return idle && stayed ? driver.prompter.messages() : std::vector<Message>{};
    };
    // A refused login already fails the system inquiry: it reads as the login's fault, and only so.
    QCOMPARE(refusal(QStringLiteral("127.0.0.2"), QStringLiteral("admin"), QStringLiteral("wrong")),
             (std::vector<Message>{{"Please enter correct user name and password for the administrator.",
                                    "Information", MessageIcon::Warning}}));
    QCOMPARE(refusal(QStringLiteral("127.0.0.2"), QStringLiteral("operator"), QStringLiteral("secret")),
             (std::vector<Message>{
                 {"Level 4 users other than Administrator cannot run the program.", "Information", MessageIcon::Warning}}));
    QCOMPARE(refusal(QStringLiteral("127.0.0.3"), QStringLiteral("admin"), QStringLiteral("admin")),
             (std::vector<Message>{kWrongModel, kNotSuitable}));

    // While a slow camera is checked the window shows the wait cursor and every button is held:
    // a second Next does nothing.
    driver.prompter.clear();
    driver.fillTarget(TargetEntry::at(QStringLiteral("127.0.0.4")));
    driver.click(driver.next());
    QVERIFY(wizard.manualFlow().busy());
    QVERIFY(QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor);
    QVERIFY(!driver.next()->isEnabled() && !driver.back()->isEnabled() && !driver.cancel()->isEnabled());
    driver.click(driver.next());
    QTest::keyClick(&wizard, Qt::Key_Escape);
    QVERIFY(wizard.isVisible());
    QVERIFY(driver.waitForPage(4));
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(countRequests(fleet, "127.0.0.4", "/command/inquiry.cgi", "inq=system"), 1);
    QCOMPARE(driver.prompter.count(), 0u);

    // The confirmation refused: still the confirmation page, nothing sent; Back leads to the target.
    driver.prompter.answerNext(MessageAnswer::Cancel);
    driver.click(driver.next());
    QCOMPARE(driver.prompter.messages(), (std::vector<Message>{kConfirm}));
    QCOMPARE(wizard.pageIndex(), 4);
    QVERIFY(!wizard.manualFlow().busy());
    driver.click(driver.back());
    QCOMPARE(wizard.pageIndex(), 3);
    QCOMPARE(driver.next()->text(), QStringLiteral("&Next >"));
    for (const auto& spec : fleet.cameras())
        QCOMPARE(countRequests(fleet, spec.address, "/command/versionup.cgi"), 0);
    QVERIFY(backupRoot.files().empty());
}

void WizardManualTest::upgradesThatGoWrongEndWhereTheyShould()
{
    BackupRoot backupRoot;
    auto dropped = testCamera(2);
    dropped.dropAfterUpload = true;
    auto old = testCamera(3);
    old.afterUpgrade = camsim::AfterUpgrade::OldVersion;
    auto refused = testCamera(4);
    refused.restoreRefusals = 4;
    auto emergency = testCamera(5);
    emergency.softVersion = "emergency";
    camsim::Fleet fleet({dropped, old, refused, emergency}, 0.01);
    std::string error;
    QVERIFY2(fleet.start(error), error.c_str());

    WizardDriver driver;
    QVERIFY(driver.show());
    UpgradeWizard& wizard = driver.wizard();
    QVERIFY(driver.toTargetPage());

    // The camera drops off after taking the package: "Missing target", then the search finds it.
    driver.fillTarget(TargetEntry::at(QStringLiteral("127.0.0.2")));
    RunningView seen;
    QVERIFY(runUpgrade(driver, seen));
    QCOMPARE(wizard.pageIndex(), 6);
    QVERIFY(seen.stages.contains(QStringLiteral("Missing target.(Network error) Searching now.")));
    QCOMPARE(driver.prompter.messages(), (std::vector<Message>{kConfirm}));
    QCOMPARE(fleet.reportedVersion("127.0.0.2"), std::string("2.45"));

    // A camera that comes back with its old version: the message, then the target page as before.
    driver.click(driver.back());
    driver.prompter.clear();
    driver.fillTarget(TargetEntry::at(QStringLiteral("127.0.0.3")));
    seen = RunningView{};
    QVERIFY(runUpgrade(driver, seen));
    QCOMPARE(wizard.pageIndex(), 3);
    QCOMPARE(driver.prompter.messages(), (std::vector<Message>{kConfirm, kVersionUpError}));
    QCOMPARE(driver.next()->text(), QStringLiteral("&Next >"));
    QVERIFY(driver.next()->isEnabled() && driver.back()->isEnabled() && driver.cancel()->isEnabled());
    QVERIFY(wizard.closeEnabled());
    QVERIFY(wizard.windowFlags().testFlag(Qt::WindowCloseButtonHint));

    // A restore that the camera refuses four times: the message comes before the result page, and
    // the saved file stays.
    driver.prompter.clear();
    driver.fillTarget(TargetEntry::at(QStringLiteral("127.0.0.4")).settings(true, false));
    seen = RunningView{};
    QVERIFY(runUpgrade(driver, seen));
    QCOMPARE(wizard.pageIndex(), 6);
    QCOMPARE(driver.prompter.messages(), (std::vector<Message>{kConfirm, kRestoreFault}));
    QCOMPARE(countRequests(fleet, "127.0.0.4", "/command/all-configuration.cgi"), 4);
    QCOMPARE(backupRoot.files().size(), std::size_t(1));
    QCOMPARE(fileText(backupRoot.files()[0]), fleet.cameras()[2].configuration);

    // A camera on emergency firmware: the badge at the lower left while it is upgraded.
    driver.click(driver.back());
    driver.prompter.clear();
    driver.fillTarget(TargetEntry::at(QStringLiteral("127.0.0.5")));
    seen = RunningView{};
    QVERIFY(runUpgrade(driver, seen));
    QCOMPARE(wizard.pageIndex(), 6);
    QVERIFY(seen.emergencyShown);
    QCOMPARE(countRequests(fleet, "127.0.0.5", "/command/inquiry.cgi", "inq=user"), 0);
}

ZKA_QTEST_MAIN(WizardManualTest)
#include "wizard_manual_test.moc"
