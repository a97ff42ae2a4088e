// The manual mode's pages: the target page's rules and the progress and result pages' displays.
#include "UiTestSupport.h"

#include "ui/pages/ManualProgressPage.h"
#include "ui/pages/ManualResultPage.h"
#include "ui/pages/ManualTargetPage.h"
#include "ui/widgets/Ipv4AddressEdit.h"
#include "ui/widgets/SolidProgressBar.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>

#include <thread>

using namespace zka;
using zka::test::PackagedTexts;

namespace {

// A target page on screen with handles on its controls.
struct TargetPage {
    TargetPage() { page.show(); }

    PackagedTexts packaged;
    test::ScriptedPrompter messages;
    ManualTargetPage page{packaged.texts, messages};
    Ipv4AddressEdit* address = page.findChild<Ipv4AddressEdit*>("address");
    QRadioButton* standardPort = page.findChild<QRadioButton*>("standardPort");
    QRadioButton* customPort = page.findChild<QRadioButton*>("customPort");
    QLineEdit* port = page.findChild<QLineEdit*>("portEdit");
    QLineEdit* name = page.findChild<QLineEdit*>("adminName");
    QLineEdit* password = page.findChild<QLineEdit*>("adminPassword");
    QCheckBox* retain = page.findChild<QCheckBox*>("retainSettings");
    QCheckBox* backup = page.findChild<QCheckBox*>("backupSettings");

    void fillLogin()
    {
        name->setText(QStringLiteral("admin"));
        password->setText(QStringLiteral("secret"));
    }
    // The one message shown since the last call, or an empty text when there was none or more.
    std::string takeMessage()
    {
        const auto shown = messages.messages();
        messages.clear();
        return shown.size() == 1 ? shown.front().text : std::string();
    }
};

} // namespace

class ManualPagesTest final : public QObject {
    Q_OBJECT

private slots:
    void targetStartsWithPresets();
    void validationOrderMessagesAndFocus();
    void customPortBounds_data();
    void customPortBounds();
    void portFieldMustHoldANumberEvenWith80();
    void targetAddressForms();
    void credentialsJoinNameAndPassword();
    void backupOnlyWhileRetaining();
    void duplicateAddressCheck();
    void progressStages();
    void progressSetupData();
    void progressBarFollowsWorkerValue();
    void resultPageShowsVersion();
};

void ManualPagesTest::targetStartsWithPresets()
{
    TargetPage t;
    QCOMPARE(t.address->text(), QStringLiteral("192.168.0.100"));
    QVERIFY(t.standardPort->isChecked());
    QVERIFY(!t.port->isEnabled());
    QCOMPARE(t.port->text(), QStringLiteral("1024"));
    QVERIFY(t.name->text().isEmpty() && t.password->text().isEmpty());
    QCOMPARE(t.name->maxLength(), 16);
    QCOMPARE(t.password->maxLength(), 16);
    QCOMPARE(t.password->echoMode(), QLineEdit::Password);
    QVERIFY(t.retain->isChecked() && t.page.retainSettings());
    QVERIFY(!t.backup->isChecked() && t.backup->isEnabled() && !t.page.backupSettings());

    test::clickButton(t.customPort);
    QVERIFY(t.port->isEnabled());
    test::clickButton(t.standardPort);
    QVERIFY(!t.port->isEnabled());
}

void ManualPagesTest::validationOrderMessagesAndFocus()
{
    TargetPage t;
    QVERIFY(test::showActive(t.page));

    // An empty address together with an empty name reports the address only.
    t.address->clear();
    QVERIFY(!t.page.validateInput());
    const auto shown = t.messages.messages();
    QCOMPARE(shown.size(), 1u);
    QCOMPARE(shown[0], (Message{"Input the correct IP address of the target camera.", "Information",
                                MessageIcon::Warning, MessageButtons::Ok}));
    QVERIFY(t.address->field(0)->hasFocus());
    t.messages.clear();

    // The address also comes before the port: with a custom port out of range, still the address.
    test::clickButton(t.customPort);
    t.port->setText(QStringLiteral("80"));
    QVERIFY(!t.page.validateInput());
    QCOMPARE(t.takeMessage(), std::string("Input the correct IP address of the target camera."));
    QVERIFY(t.address->field(0)->hasFocus());
    test::clickButton(t.standardPort);

    // A partly filled address passes; its empty fields count as 0.
    t.address->field(0)->setText(QStringLiteral("10"));
    QVERIFY(!t.page.validateInput());
    QCOMPARE(t.takeMessage(), std::string("Input the correct name and password."));
    QVERIFY(t.name->hasFocus());

    t.name->setText(QStringLiteral("admin"));
    QVERIFY(!t.page.validateInput());
    QCOMPARE(t.takeMessage(), std::string("Input the correct name and password."));
    QVERIFY(t.password->hasFocus());

    t.password->setText(QStringLiteral("x"));
    QVERIFY(t.page.validateInput());
    QCOMPARE(t.messages.count(), 0u);
    QCOMPARE(t.page.targetAddress(), std::string("10.0.0.0"));
}

void ManualPagesTest::customPortBounds_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("1023") << "1023" << false;
    QTest::newRow("1024") << "1024" << true;
    QTest::newRow("65535") << "65535" << true;
    QTest::newRow("65536") << "65536" << false;
    QTest::newRow("0") << "0" << false;
}

void ManualPagesTest::customPortBounds()
{
    QFETCH(QString, port);
    QFETCH(bool, accepted);
    TargetPage t;
    QVERIFY(test::showActive(t.page));
    t.fillLogin();
    t.name->clear(); // the port is tested before the name
    test::clickButton(t.customPort);
    t.port->setText(port);
    QCOMPARE(t.page.validateInput(), false);
    if (accepted) {
        QCOMPARE(t.takeMessage(), std::string("Input the correct name and password."));
    } else {
        QCOMPARE(t.takeMessage(), std::string("Input the correct port No. of the target camera."));
        QVERIFY(t.port->hasFocus());
    }
}

void ManualPagesTest::portFieldMustHoldANumberEvenWith80()
{
    TargetPage t;
    QVERIFY(test::showActive(t.page));
    t.fillLogin();

    // With "80" chosen the port's value is not tested...
    t.port->setText(QStringLiteral("5"));
    QVERIFY(t.page.validateInput());
    QCOMPARE(t.page.targetAddress(), std::string("192.168.0.100"));

    // ...but a field that holds no number at all is refused before anything else.
    t.port->clear();
    t.address->clear();
    QVERIFY(!t.page.validateInput());
    const auto shown = t.messages.messages();
    QCOMPARE(shown.size(), 1u);
    QCOMPARE(shown[0].text, std::string("Please enter the port number as a whole number."));
    QCOMPARE(shown[0].caption, std::string("Information"));
    QCOMPARE(shown[0].icon, MessageIcon::Warning);
    t.messages.clear();

    test::clickButton(t.customPort);
    t.port->setText(QStringLiteral("99999999999")); // beyond 32 bits
    QVERIFY(!t.page.validateInput());
    QCOMPARE(t.takeMessage(), std::string("Please enter the port number as a whole number."));
    QVERIFY(t.port->hasFocus());

    // The field takes digits only.
    t.port->clear();
    QTest::keyClicks(t.port, QStringLiteral("8a0-8.0"));
    QCOMPARE(t.port->text(), QStringLiteral("8080"));
}

void ManualPagesTest::targetAddressForms()
{
    TargetPage t;
    t.address->setText(QStringLiteral("10.0.0.7"));
    QCOMPARE(t.page.targetAddress(), std::string("10.0.0.7"));
    test::clickButton(t.customPort);
    t.port->setText(QStringLiteral("8080"));
    QCOMPARE(t.page.targetAddress(), std::string("10.0.0.7:8080"));

    t.address->clear();
    t.address->field(0)->setText(QStringLiteral("10"));
    t.address->field(3)->setText(QStringLiteral("7"));
    QCOMPARE(t.page.targetAddress(), std::string("10.0.0.7:8080"));
}

void ManualPagesTest::credentialsJoinNameAndPassword()
{
    TargetPage t;
    t.name->setText(QStringLiteral("admin"));
    QCOMPARE(t.page.credentials(), std::string("admin:"));
    t.password->setText(QStringLiteral("p:w\u00e9"));
    QCOMPARE(t.page.credentials(), std::string("admin:p:w\xc3\xa9"));
}

void ManualPagesTest::backupOnlyWhileRetaining()
{
    TargetPage t;
    test::clickButton(t.backup);
    QVERIFY(t.page.backupSettings());

    test::clickButton(t.retain);
    QVERIFY(!t.page.retainSettings());
    QVERIFY(!t.page.backupSettings());
    QVERIFY(!t.backup->isEnabled());

    test::clickButton(t.retain);
    QVERIFY(t.page.retainSettings());
    QVERIFY(t.backup->isEnabled());
    QVERIFY(!t.page.backupSettings());
}

void ManualPagesTest::duplicateAddressCheck()
{
    TargetPage t;
    QVERIFY(t.page.checkDuplicateAddress()); // no table yet

    using Octets = ManualTargetPage::Octets;
    std::vector<Octets> discovered{{192, 168, 0, 100}, {192, 168, 0, 101}};
    t.page.setDiscoveryTable([&] { return discovered; });
    QVERIFY(t.page.checkDuplicateAddress());
    QCOMPARE(t.messages.count(), 0u);

    discovered.push_back({192, 168, 0, 100});
    QVERIFY(!t.page.checkDuplicateAddress());
    const auto shown = t.messages.messages();
    QCOMPARE(shown.size(), 1u);
    QCOMPARE(shown[0], (Message{"There is more than one camera with the same IP address.\r\nCannot proceed with the upgrade.",
                                "Error", MessageIcon::Error, MessageButtons::Ok}));
    t.messages.clear();

    // The same cameras under another entered address do not count.
    t.address->setText(QStringLiteral("192.168.0.101"));
    QVERIFY(t.page.checkDuplicateAddress());
    QCOMPARE(t.messages.count(), 0u);
}

void ManualPagesTest::progressStages()
{
    PackagedTexts packaged;
    ManualProgressPage page(packaged.texts);
    auto* stage = page.findChild<QLineEdit*>("stageLine");
    const char* const words[] = {"Prepare", "Saving config file", "Uploading", "Overwriting",
                                 "Missing target.(Network error) Searching now.", "Rebooting",
                                 "Loading config file", "Reconfiguring", "Completed"};
    for (int number = 1; number <= 9; ++number) {
        page.setStage(number);
        QCOMPARE(stage->text(), QString::fromLatin1(words[number - 1]));
    }
    page.setStage(12);
    QCOMPARE(stage->text(), QStringLiteral("Completed"));
    page.setStage(-1);
    QCOMPARE(stage->text(), QStringLiteral("Completed"));
    page.setStage(0);
    QVERIFY(stage->text().isEmpty());

    page.setTargetAddress("10.0.0.7:8080");
    page.setCurrentVersion("ver2.30");
    page.setNewVersion("ver2.45");
    page.setStatusText("Version up is in progress. Do not turn off the power.");
    QCOMPARE(page.findChild<QLineEdit*>("targetAddress")->text(), QStringLiteral("10.0.0.7:8080"));
    QCOMPARE(page.findChild<QLineEdit*>("currentVersion")->text(), QStringLiteral("ver2.30"));
    QCOMPARE(page.findChild<QLineEdit*>("newVersion")->text(), QStringLiteral("ver2.45"));
    QCOMPARE(page.findChild<QLineEdit*>("statusLine")->text(),
             QStringLiteral("Version up is in progress. Do not turn off the power."));
    QCOMPARE(packaged.prompter.count(), 0u);
}

void ManualPagesTest::progressSetupData()
{
    PackagedTexts packaged;
    ManualProgressPage page(packaged.texts);
    auto* setup = page.findChild<QLineEdit*>("setupData");
    page.setSetupData(false, true);
    QCOMPARE(setup->text(), QStringLiteral("Discard the current settings."));
    page.setSetupData(true, false);
    QCOMPARE(setup->text(), QStringLiteral("Retain the current settings."));
    page.setSetupData(true, true);
    QCOMPARE(setup->text(), QStringLiteral("Retain and backup the current settings."));
    page.setSetupData(false, false);
    QCOMPARE(setup->text(), QStringLiteral("Discard the current settings."));
}

void ManualPagesTest::progressBarFollowsWorkerValue()
{
    PackagedTexts packaged;
    ManualProgressPage page(packaged.texts);
    auto* bar = page.findChild<SolidProgressBar*>("progressBar");
    QCOMPARE(bar->minimum(), 0);
    QCOMPARE(bar->maximum(), 10000);
    page.show();

    std::thread worker([&page] {
        for (int value = 0; value <= 6000; value += 1500)
            page.progressValue().store(value);
    });
    worker.join();
    QTRY_COMPARE_WITH_TIMEOUT(bar->value(), 6000, 2000);

    page.progressValue() += 8000; // beyond the end: the bar stops full
    QTRY_COMPARE_WITH_TIMEOUT(bar->value(), 10000, 2000);

    page.resetProgress();
    QCOMPARE(bar->value(), 0);
    QCOMPARE(page.progressValue().load(), 0);
}

void ManualPagesTest::resultPageShowsVersion()
{
    PackagedTexts packaged;
    ManualResultPage page(packaged.texts);
    QCOMPARE(page.resultText(), QStringLiteral("Firmware program was successfully updated to the camera.\n\n\n"));
    QCOMPARE(page.findChild<SolidProgressBar*>("progressBar")->value(), 10000);

    page.setTargetAddress("192.168.0.100");
    page.setResultVersion("ver2.45");
    QCOMPARE(page.resultText(), QStringLiteral("Firmware program was successfully updated to the camera.\n\n\n"
                                               "Target camera version is \"2.45\"."));
    QCOMPARE(page.findChild<QLineEdit*>("targetAddress")->text(), QStringLiteral("192.168.0.100"));
    QCOMPARE(packaged.prompter.count(), 0u);
}

ZKA_QTEST_MAIN(ManualPagesTest)
#include "ui_manual_pages_test.moc"
