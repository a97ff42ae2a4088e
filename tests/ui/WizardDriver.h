#pragma once

// Drives the wizard as an operator does: clicks on its buttons and pages, keys typed into the
// focused field. Messages go to a scripted prompter; the process end after a fatal discovery
// failure is recorded instead of taken.

#include "app/UpgradeWizard.h"
#include "runtime/Clock.h"
#include "support/RecordingDesktop.h"
#include "support/ScriptedPrompter.h"

#include <QPushButton>
#include <QString>

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zka {
class AutomaticProgressPage;
class AutomaticTargetPage;
}

namespace zka::test {

// What the operator enters on the target page: by default the simulator's login admin/admin, the
// standard port, and the settings discarded.
struct TargetEntry {
    QString address;
    std::optional<unsigned> customPort;
    QString name = QStringLiteral("admin");
    QString password = QStringLiteral("admin");
    bool retain = false;
    bool backup = false;

    static TargetEntry at(const QString& address);
    TargetEntry& login(const QString& adminName, const QString& adminPassword);
    TargetEntry& settings(bool retainSettings, bool backupSettings);
};

class WizardDriver final {
public:
    explicit WizardDriver(double timeScale = 0.01);
    ~WizardDriver();
    WizardDriver(const WizardDriver&) = delete;
    WizardDriver& operator=(const WizardDriver&) = delete;

    UpgradeWizard& wizard() { return *wizard_; }
    QPushButton* back() const;
    QPushButton* next() const;
    QPushButton* cancel() const;

    // Shows the wizard active on screen; false when it could not be activated.
    bool show();
    void click(QPushButton* button);
    // Intro → agreement ("Agree") → mode ("Manual mode") → manual target page; false when a step
    // did not lead where it should.
    bool toTargetPage();
    // Intro → agreement → mode ("Automatic mode") → the automatic target page, once discovery has
    // ended; false when a step did not lead where it should.
    bool toAutomaticTargetPage();
    AutomaticTargetPage& automaticTargetPage() const;
    // The automatic target page's login dialogs are answered with this login and OK.
    void answerLoginDialogsWith(const QString& name, const QString& password);
    // The single-login dialog is given these logins for one row after another, moving on with its
    // NEXT and closing with OK after the last; the batch-login dialog takes the first.
    void answerLoginDialogsOneByOne(std::vector<std::pair<QString, QString>> logins);
    AutomaticProgressPage& automaticProgressPage() const;
    // The upgrade log at the end of a batch is read into upgradeLog and closed, as with Escape.
    void captureUpgradeLog();
    // Runs events until the upgrade log has been shown; false after the (real) time-out.
    bool waitForUpgradeLog(int timeoutMs);
    // Replaces the entries of the target page, typing them into their fields.
    void fillTarget(const TargetEntry& entry);
    // Runs events until the wizard shows this step; false after the (real) time-out.
    bool waitForPage(int page, int timeoutMs = 30000);
    // Runs events until no check of the camera runs any more.
    bool waitUntilIdle(int timeoutMs = 30000);

    QString stageText() const;
    QString resultText() const;
    int progressBarValue() const;
    bool emergencyImageVisible() const;

    ScriptedPrompter prompter;
    RecordingDesktop desktop;
    std::atomic<int> exitStatus{-1};
    // The text of the upgrade log, once captureUpgradeLog() saw it shown.
    std::optional<QString> upgradeLog;

private:
    // Intro → agreement ("Agree") → mode page, where it clicks the mode's button and Next.
    bool chooseMode(const char* modeButton);

    SystemClock clock_;
    std::unique_ptr<UpgradeWizard> wizard_;
};

} // namespace zka::test
