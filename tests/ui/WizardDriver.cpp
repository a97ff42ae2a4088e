#include "WizardDriver.h"

#include "UiTestSupport.h"
#include "discovery/DiscoverySession.h"
#include "upgrade/ManualFlow.h"
#include "ui/dialogs/SingleLoginDialog.h"
#include "ui/dialogs/UpgradeLogDialog.h"
#include "ui/pages/AutomaticProgressPage.h"
#include "ui/pages/AutomaticTargetPage.h"
#include "ui/pages/ManualProgressPage.h"
#include "ui/widgets/Ipv4AddressEdit.h"
#include "ui/widgets/SolidProgressBar.h"

#include <QCheckBox>
#include <QDeadlineTimer>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTextEdit>

namespace zka::test {

TargetEntry TargetEntry::at(const QString& address)
{
    TargetEntry entry;
    entry.address = address;
    return entry;
}

TargetEntry& TargetEntry::login(const QString& adminName, const QString& adminPassword)
{
    name = adminName;
    password = adminPassword;
    return *this;
}

TargetEntry& TargetEntry::settings(bool retainSettings, bool backupSettings)
{
    retain = retainSettings;
    backup = backupSettings;
    return *this;
}

WizardDriver::WizardDriver(double timeScale)
    : clock_(timeScale)
{
    UpgradeWizard::Seams seams{clock_, &prompter, &prompter};
    seams.exitProcess = [this](int status) { exitStatus = status; };
    seams.desktop = &desktop;
    wizard_ = std::make_unique<UpgradeWizard>(std::move(seams));
}

WizardDriver::~WizardDriver() = default;

QPushButton* WizardDriver::back() const
{
    return wizard_->findChild<QPushButton*>(QStringLiteral("backButton"));
}

QPushButton* WizardDriver::next() const
{
    return wizard_->findChild<QPushButton*>(QStringLiteral("nextButton"));
}

QPushButton* WizardDriver::cancel() const
{
    return wizard_->findChild<QPushButton*>(QStringLiteral("cancelButton"));
}

bool WizardDriver::show()
{
    return showActive(*wizard_);
}

void WizardDriver::click(QPushButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

bool WizardDriver::chooseMode(const char* modeButton)
{
    click(next());
    if (wizard_->pageIndex() != 1)
        return false;
    clickButton(wizard_->findChild<QRadioButton*>(QStringLiteral("agree")));
    click(next());
    if (wizard_->pageIndex() != 2)
        return false;
    clickButton(wizard_->findChild<QRadioButton*>(QString::fromLatin1(modeButton)));
    click(next());
    return true;
}

bool WizardDriver::toTargetPage()
{
    return chooseMode("manualMode") && wizard_->pageIndex() == 3;
}

bool WizardDriver::toAutomaticTargetPage()
{
    QDeadlineTimer deadline(30000);
    while (!wizard_->discovery().finished() && !deadline.hasExpired())
        QTest::qWait(5);
    return chooseMode("automaticMode") && wizard_->pageIndex() == 7 && !automaticTargetPage().discoveryWait();
}

AutomaticTargetPage& WizardDriver::automaticTargetPage() const
{
    return *wizard_->findChild<AutomaticTargetPage*>();
}

void WizardDriver::answerLoginDialogsWith(const QString& name, const QString& password)
{
    automaticTargetPage().setDialogRunner([name, password](QDialog& dialog) {
        dialog.findChild<QLineEdit*>(QStringLiteral("adminName"))->setText(name);
        dialog.findChild<QLineEdit*>(QStringLiteral("adminPassword"))->setText(password);
        dialog.accept();
        return int(QDialog::Accepted);
    });
}

void WizardDriver::answerLoginDialogsOneByOne(std::vector<std::pair<QString, QString>> logins)
{
    automaticTargetPage().setDialogRunner([logins](QDialog& dialog) {
        auto* single = qobject_cast<SingleLoginDialog*>(&dialog);
        for (std::size_t i = 0; i < logins.size(); ++i) {
            dialog.findChild<QLineEdit*>(QStringLiteral("adminName"))->setText(logins[i].first);
            dialog.findChild<QLineEdit*>(QStringLiteral("adminPassword"))->setText(logins[i].second);
            if (!single || i + 1 == logins.size())
                break;
            single->onNext();
        }
        dialog.accept();
        return int(QDialog::Accepted);
    });
}

AutomaticProgressPage& WizardDriver::automaticProgressPage() const
{
    return *wizard_->findChild<AutomaticProgressPage*>();
}

void WizardDriver::captureUpgradeLog()
{
    automaticProgressPage().setDialogRunner([this](QDialog& dialog) {
        upgradeLog = static_cast<UpgradeLogDialog&>(dialog).logText();
        dialog.reject();
        return int(QDialog::Rejected);
    });
}

bool WizardDriver::waitForUpgradeLog(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!upgradeLog) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(5);
    }
    return true;
}

void WizardDriver::fillTarget(const TargetEntry& entry)
{
    auto* address = wizard_->findChild<Ipv4AddressEdit*>(QStringLiteral("address"));
    for (int i = 0; i < 4; ++i)
        address->field(i)->clear();
    address->focusField(0);
    typeIntoFocus(entry.address);

    auto* standard = wizard_->findChild<QRadioButton*>(QStringLiteral("standardPort"));
    auto* custom = wizard_->findChild<QRadioButton*>(QStringLiteral("customPort"));
    auto* port = wizard_->findChild<QLineEdit*>(QStringLiteral("portEdit"));
    if (entry.customPort) {
        clickButton(custom);
        port->selectAll();
        QTest::keyClicks(port, QString::number(*entry.customPort));
    } else {
        clickButton(standard);
    }

    for (const auto& [name, text] : {std::pair{QStringLiteral("adminName"), entry.name},
                                     std::pair{QStringLiteral("adminPassword"), entry.password}}) {
        auto* field = wizard_->findChild<QLineEdit*>(name);
        field->selectAll();
        field->del();
        QTest::keyClicks(field, text);
    }

    auto* retain = wizard_->findChild<QCheckBox*>(QStringLiteral("retainSettings"));
    auto* backup = wizard_->findChild<QCheckBox*>(QStringLiteral("backupSettings"));
    if (retain->isChecked() != entry.retain)
        clickButton(retain);
    if (backup->isChecked() != entry.backup)
        clickButton(backup);
}

bool WizardDriver::waitForPage(int page, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (wizard_->pageIndex() != page || wizard_->manualFlow().busy()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(5);
    }
    return true;
}

bool WizardDriver::waitUntilIdle(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (wizard_->manualFlow().busy()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(5);
    }
    // The continuation of the check (its messages, the next page) runs right after.
    QTest::qWait(10);
    return true;
}

QString WizardDriver::stageText() const
{
    return wizard_->findChild<QLineEdit*>(QStringLiteral("stageLine"))->text();
}

QString WizardDriver::resultText() const
{
    return wizard_->findChild<QTextEdit*>(QStringLiteral("resultText"))->toPlainText();
}

int WizardDriver::progressBarValue() const
{
    return wizard_->findChild<ManualProgressPage*>()->findChild<SolidProgressBar*>()->value();
}

bool WizardDriver::emergencyImageVisible() const
{
    return wizard_->findChild<QLabel*>(QStringLiteral("emergencyImage"))->isVisible();
}

} // namespace zka::test
