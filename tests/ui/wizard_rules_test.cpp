// The wizard's own rules, clicked and typed as an operator does: when Cancel asks before quitting,
// what Enter does by the focus, the K key on the first page, the agreement's hold on Next, the
// automatic mode's page and the relaxed address mode's duplicate check.
#include "UiTestSupport.h"
#include "WizardDriver.h"

#include "upgrade/ManualFlow.h"
#include "camsim/Fleet.h"
#include "discovery/DiscoverySession.h"
#include "procedure_rig.h"
#include "ui/pages/AutomaticTargetPage.h"
#include "ui/widgets/Ipv4AddressEdit.h"

#include <QLineEdit>
#include <QRadioButton>

using namespace zka;
using namespace zka::test;

namespace {

const Message kQuitQuestion{"Quit the firmware upgrade?", "Information", MessageIcon::Question, MessageButtons::YesNo};
const Message kRelaxedMode{"I become 'Morvaine' mode.\nThis mode would be released from using IP address strictly.",
                           "Velm ZKA-QM410 firmware upgrade tool", MessageIcon::None, MessageButtons::Ok};

} // namespace

class WizardRulesTest final : public QObject {
    Q_OBJECT

private slots:
    void startsOnTheIntroductionWithItsCaption();
    void cancelAsksOnlyOnceTheModePageWasLeft();
    void enterFollowsTheFocus();
    void kOnNextEntersTheRelaxedModeOnTheFirstPageOnly();
    void theAgreementHoldsNextBack();
    void theAutomaticModeListsTheDiscoveredCameras();
    void relaxedModeRefusesAnAddressThatTwoCamerasShare();
};

void WizardRulesTest::startsOnTheIntroductionWithItsCaption()
{
    WizardDriver driver;
    QVERIFY(driver.show());
    UpgradeWizard& wizard = driver.wizard();
    QCOMPARE(wizard.windowTitle(), QStringLiteral("Velm ZKA-QM410 ver3.15/2.45 Firmware Upgrade"));
    QVERIFY(!wizard.windowIcon().isNull());
    QCOMPARE(wizard.pageIndex(), 0);
    QCOMPARE(driver.back()->text(), QStringLiteral("< &Back"));
    QCOMPARE(driver.next()->text(), QStringLiteral("&Next >"));
    QCOMPARE(driver.cancel()->text(), QStringLiteral("Cancel"));
    QVERIFY(!driver.back()->isEnabled());
    QVERIFY(driver.next()->isEnabled());
    QVERIFY(driver.next()->isDefault());
    QVERIFY(!driver.emergencyImageVisible());
    QVERIFY(wizard.resourcesUsable());
    // Discovery started with the window: two enquiries 5 s apart, then it ends by itself.
    QTRY_VERIFY_WITH_TIMEOUT(wizard.discovery().finished(), 5000);
    QCOMPARE(wizard.discovery().sendCount(), 1);
    QCOMPARE(driver.exitStatus.load(), -1);
    QCOMPARE(driver.prompter.count(), 0u);
}

void WizardRulesTest::cancelAsksOnlyOnceTheModePageWasLeft()
{
    {
        // Before the mode page was left with Next, Cancel quits at once, and stops discovery (at
        // full time scale it would still run for ten seconds).
        WizardDriver driver(1.0);
        QVERIFY(driver.show());
        driver.click(driver.next());
        QVERIFY(!driver.wizard().discovery().finished());
        driver.click(driver.cancel());
        QCOMPARE(driver.prompter.count(), 0u);
        QVERIFY(!driver.wizard().isVisible());
        QCOMPARE(driver.wizard().result(), int(QDialog::Rejected));
        QVERIFY(driver.wizard().discovery().finished());
    }
    WizardDriver driver;
    QVERIFY(driver.show());
    QVERIFY(driver.toTargetPage());
    QVERIFY(driver.wizard().confirmQuit());
    // Going back to the first pages keeps the question.
    driver.click(driver.back());
    driver.click(driver.back());
    QCOMPARE(driver.wizard().pageIndex(), 1);

    driver.prompter.answerNext(MessageAnswer::No);
    driver.click(driver.cancel());
    QCOMPARE(driver.prompter.messages(), (std::vector<Message>{kQuitQuestion}));
    QVERIFY(driver.wizard().isVisible());
    QCOMPARE(driver.wizard().pageIndex(), 1);

    // Escape and the window's close button ask the same question.
    driver.prompter.answerNext(MessageAnswer::No);
    QTest::keyClick(&driver.wizard(), Qt::Key_Escape);
    QCOMPARE(driver.prompter.count(), 2u);
    QVERIFY(driver.wizard().isVisible());
    driver.prompter.answerNext(MessageAnswer::Yes);
    QVERIFY(driver.wizard().close());
    QCOMPARE(driver.prompter.count(), 3u);
    QVERIFY(!driver.wizard().isVisible());
    QVERIFY(driver.wizard().discovery().finished());
}

void WizardRulesTest::enterFollowsTheFocus()
{
    WizardDriver driver;
    QVERIFY(driver.show());
    UpgradeWizard& wizard = driver.wizard();
    // Enter on the introduction's text does nothing; on Next it goes on.
    auto* precautions = wizard.findChild<QWidget*>(QStringLiteral("precautions"));
    precautions->setFocus();
    QTest::keyClick(precautions, Qt::Key_Return);
    QCOMPARE(wizard.pageIndex(), 0);
    driver.next()->setFocus();
    QTest::keyClick(driver.next(), Qt::Key_Return);
    QCOMPARE(wizard.pageIndex(), 1);
    clickButton(wizard.findChild<QRadioButton*>(QStringLiteral("agree")));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(wizard.pageIndex(), 2);

    // Enter while Back has the focus goes back.
    driver.back()->setFocus();
    QTest::keyClick(driver.back(), Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(wizard.pageIndex(), 1);
    driver.click(driver.next());
    clickButton(wizard.findChild<QRadioButton*>(QStringLiteral("manualMode")));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(wizard.pageIndex(), 3);

    // Enter in a field of the target page is Next: the page refuses the empty login.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(driver.prompter.messages(),
             (std::vector<Message>{{"Input the correct name and password.", "Information", MessageIcon::Warning}}));
    QVERIFY(wizard.findChild<QLineEdit*>(QStringLiteral("adminName"))->hasFocus());
    QCOMPARE(wizard.pageIndex(), 3);

    // Enter while Cancel has the focus cancels: the question comes, and No keeps the wizard.
    driver.prompter.clear();
    driver.prompter.answerNext(MessageAnswer::No);
    driver.cancel()->setFocus();
    QTest::keyClick(driver.cancel(), Qt::Key_Return);
    QCOMPARE(driver.prompter.messages(), (std::vector<Message>{kQuitQuestion}));
    QVERIFY(wizard.isVisible());
    QCOMPARE(wizard.pageIndex(), 3);
}

void WizardRulesTest::kOnNextEntersTheRelaxedModeOnTheFirstPageOnly()
{
    WizardDriver driver;
    QVERIFY(driver.show());
    driver.next()->setFocus();
    QTest::keyClick(driver.next(), Qt::Key_J);
    QTest::keyClick(driver.next(), Qt::Key_K);
    QTRY_COMPARE(driver.prompter.count(), 1u);
    QCOMPARE(driver.prompter.messages().front(), kRelaxedMode);
    QVERIFY(driver.wizard().relaxedAddressMode());
    // Each release on the first page shows it again.
    QTest::keyClick(driver.next(), Qt::Key_K);
    QTRY_COMPARE(driver.prompter.count(), 2u);
    QCOMPARE(driver.wizard().pageIndex(), 0);

    // On any other page the key does nothing.
    driver.click(driver.next());
    clickButton(driver.wizard().findChild<QRadioButton*>(QStringLiteral("agree")));
    driver.next()->setFocus();
    QTest::keyClick(driver.next(), Qt::Key_K);
    QTest::qWait(50);
    QCOMPARE(driver.prompter.count(), 2u);
    QCOMPARE(driver.wizard().pageIndex(), 1);
}

void WizardRulesTest::theAgreementHoldsNextBack()
{
    WizardDriver driver;
    QVERIFY(driver.show());
    UpgradeWizard& wizard = driver.wizard();
    auto* agree = wizard.findChild<QRadioButton*>(QStringLiteral("agree"));
    auto* notAgree = wizard.findChild<QRadioButton*>(QStringLiteral("notAgree"));
    driver.click(driver.next());
    QVERIFY(notAgree->isChecked());
    QVERIFY(!driver.next()->isEnabled());
    QVERIFY(driver.back()->isEnabled());
    driver.click(driver.next()); // does nothing
    QCOMPARE(wizard.pageIndex(), 1);

    clickButton(agree);
    QVERIFY(driver.next()->isEnabled());
    clickButton(notAgree);
    QVERIFY(!driver.next()->isEnabled());
    clickButton(agree);
    driver.click(driver.next());
    QCOMPARE(wizard.pageIndex(), 2);

    // Back keeps the choice, its Next state and puts the focus on it.
    driver.click(driver.back());
    QCOMPARE(wizard.pageIndex(), 1);
    QVERIFY(agree->isChecked());
    QVERIFY(driver.next()->isEnabled());
    QVERIFY(agree->hasFocus());
    driver.click(driver.back());
    QCOMPARE(wizard.pageIndex(), 0);
    QVERIFY(!driver.back()->isEnabled());
}

void WizardRulesTest::theAutomaticModeListsTheDiscoveredCameras()
{
    WizardDriver driver;
    QVERIFY(driver.show());
    UpgradeWizard& wizard = driver.wizard();
    driver.click(driver.next());
    clickButton(wizard.findChild<QRadioButton*>(QStringLiteral("agree")));
    driver.click(driver.next());
    QVERIFY(wizard.findChild<QRadioButton*>(QStringLiteral("automaticMode"))->isChecked());
    driver.click(driver.next());
    QCOMPARE(wizard.pageIndex(), 7);
    auto* page = wizard.findChild<AutomaticTargetPage*>();
    QVERIFY(page->isVisible());
    // No camera answered: nothing to check, nothing to go on with.
    QTRY_VERIFY(!page->discoveryWait());
    QCOMPARE(page->targetList().rowCount(), 0);
    QCOMPARE(page->counterText(), QStringLiteral("0/256"));
    QVERIFY(!driver.next()->isEnabled());
    QVERIFY(driver.back()->isEnabled());
    QVERIFY(wizard.confirmQuit());

    driver.click(driver.back());
    QCOMPARE(wizard.pageIndex(), 2);
    QVERIFY(driver.next()->isEnabled());
    QCOMPARE(driver.next()->text(), QStringLiteral("&Next >"));
    QCOMPARE(driver.prompter.count(), 0u);
}

void WizardRulesTest::relaxedModeRefusesAnAddressThatTwoCamerasShare()
{
    // Two cameras that report the same address, and one elsewhere.
    auto first = testCamera(2);
    first.reportedAddress = "127.0.0.9";
    auto second = testCamera(3);
    second.reportedAddress = "127.0.0.9";
    camsim::Fleet fleet({first, second, testCamera(4)}, 0.01);
    std::string error;
    QVERIFY2(fleet.start(error), error.c_str());

    for (const bool relaxed : {false, true}) {
        WizardDriver driver;
        QVERIFY(driver.show());
        UpgradeWizard& wizard = driver.wizard();
        if (relaxed) {
            driver.next()->setFocus();
            QTest::keyClick(driver.next(), Qt::Key_K);
            QTRY_VERIFY(wizard.relaxedAddressMode());
        }
        QTRY_VERIFY_WITH_TIMEOUT(wizard.discovery().finished(), 5000);
        QCOMPARE(wizard.discoveryTable().count(), 3);
        QVERIFY(driver.toTargetPage());
        driver.prompter.clear();

        // An address of one camera passes the duplicate check and goes on to the page's own checks.
        driver.fillTarget(TargetEntry::at(QStringLiteral("127.0.0.4")).login(QString(), QStringLiteral("admin")));
        driver.click(driver.next());
        QCOMPARE(driver.prompter.messages(),
                 (std::vector<Message>{{"Input the correct name and password.", "Information", MessageIcon::Warning}}));

        driver.prompter.clear();
        driver.fillTarget(TargetEntry::at(QStringLiteral("127.0.0.9")).login(QString(), QStringLiteral("admin")));
        driver.click(driver.next());
        if (!relaxed) {
            // Without the relaxed mode the address is not checked against the table.
            QCOMPARE(driver.prompter.count(), 1u);
            QCOMPARE(driver.prompter.messages().front().text, std::string("Input the correct name and password."));
            continue;
        }
        QCOMPARE(driver.prompter.messages(),
                 (std::vector<Message>{{"There is more than one camera with the same IP address.\r\n"
                                        "Cannot proceed with the upgrade.",
                                        "Error", MessageIcon::Error}}));
        // A dead end: only Cancel, and it quits without asking.
        QVERIFY(!driver.next()->isEnabled());
        QVERIFY(!driver.back()->isEnabled());
        QVERIFY(driver.cancel()->isEnabled());
        QVERIFY(!wizard.confirmQuit());
        driver.click(driver.cancel());
        QCOMPARE(driver.prompter.count(), 1u);
        QVERIFY(!wizard.isVisible());
    }
    for (const auto& camera : fleet.cameras())
        QVERIFY(fleet.requests(camera.address).empty());
}

ZKA_QTEST_MAIN(WizardRulesTest)
#include "wizard_rules_test.moc"
