#pragma once

#include "upgrade/BackgroundJob.h"
#include "upgrade/UpgradeJob.h"
#include "resources/ResourceText.h"
#include "runtime/Prompter.h"
#include "upgrade/ManualFlowObserver.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace zka {

class ConfigBackup;
class PackagedResources;

// The manual upgrade of one camera, without a toolkit: the check of the target, the confirmation,
// the save of the configuration, the upgrade, the restore, the wait while the camera applies its
// configuration, and the result. The wizard's manual pages are a thin view over it and the command
// line drives it directly. It owns the upgrade's UpgradeJob and the saved configuration, and runs
// every blocking step on a worker so that the user-interface thread never waits.
//
// All members are called on the user-interface thread, which also runs the ticks of the flow's and
// its job's timers; the job's outcome reaches the flow through the dispatcher.
class ManualFlow final {
public:
    using Step = ManualFlowStep;

    struct Seams {
        const Clock& clock;
        TimerService& timers;
        Dispatcher& dispatcher;
        Prompter& prompter;
        const ResourceText& texts;
    };

    ManualFlow(Seams seams, const PackagedResources& resources, ManualFlowObserver& observer);
    ~ManualFlow();
    ManualFlow(const ManualFlow&) = delete;
    ManualFlow& operator=(const ManualFlow&) = delete;

    // Next on the target step: checks the camera and, when it is accepted, shows the confirmation.
    // False when not on the target step or while a check runs.
    bool submitTarget(std::string addressText, const std::string& credentialPlain, bool retain, bool backup);
    // Next on the confirmation: asks for confirmation, checks the camera again and starts the upgrade.
    bool confirmUpgrade();
    // Back: from the confirmation, or "Re-try" from the result, to the target step.
    bool back();

    // Shows the job's status when it changed (while the upgrade runs, until the job's outcome came). The
    // job's ticks call it; a view may call it from its redraw timer too, since no tick
    // comes while the camera restarts.
    void followStatus();

    Step step() const { return step_; }
    bool busy() const { return worker_.busy(); }
    // The progress bar, 0 to 10000: the upgrade's job's, read by the view on its timer; 0 from the
    // confirmation until the job starts.
    int progress() const { return progressShown_ && upgradeJob_ ? upgradeJob_->progress() : 0; }
    const std::string& addressText() const { return addressText_; }
    const std::string& cameraVersionText() const { return cameraVersionText_; }
    const std::string& cameraSerial() const { return cameraSerial_; }
    std::size_t packageIndex() const { return packageIndex_; }
    std::string newVersion() const;
    // The last result page came after a restore that failed: the saved file was kept.
    bool restoreFailed() const { return restoreFailed_; }
    // Where the last saved configuration went; empty when none was saved.
    const std::string& savedConfigPath() const { return savedConfigPath_; }
    // The running upgrade's job; null before the first upgrade.
    const UpgradeJob* job() const { return upgradeJob_.get(); }
    // The wait while the camera applies its restored configuration is under way.
    bool reconfiguring() const { return upgradeJob_ && upgradeJob_->reconfigureTimer().running(); }

private:
    struct CheckOutcome;
    void checkTarget(std::function<void(bool accepted)> then);
    void runCheck(CheckOutcome& outcome, std::stop_token stop);
    void startUpgrade();
    void startManualUpgrade();
    // Shows the job's code as the stage when it changed; false when nothing was shown.
    bool takeJobStage();
    void showStage(int stage);
    void switchPage(Step step);
    void showTarget();
    void showProgressPage();
    void showResult();
    // After each tick of the upgrade's tick timer (true) or search timer (false).
    void onJobTick(bool tickTimer);
    void startRestore(Step after);
    // The wait while the camera applies its configuration; the result follows it.
    void awaitReconfigured();
    void dropSavedConfig();
    // A job for the flow's camera, whose outcome reaches onJobOutcome while `token` lives.
    std::unique_ptr<UpgradeJob> makeJob(const std::shared_ptr<const bool>& token);
    // The end of the upgrade: the message the operator reads, then the page it leads to.
    void onJobOutcome(UpgradeJob::Outcome outcome);

    const Clock& clock_;
    TimerService& timers_;
    Dispatcher& dispatcher_;
    Prompter& prompter_;
    const ResourceText& texts_;
    const PackagedResources& resources_;
    ManualFlowObserver& observer_;

    Step step_ = Step::Target;
    std::string addressText_;
    std::string credential_;
    bool retain_ = false;
    bool backup_ = false;
    std::string cameraSerial_;
    std::string cameraVersionText_;
    std::size_t packageIndex_ = 0;
    int shownStage_ = 0;
    bool emergencyShown_ = false;
    // The job's outcome has arrived: from then on the flow restores and waits itself and the
    // job's ticks no longer move the page.
    bool takenOver_ = false;
    Step stepAfterRestore_ = Step::Result;
    bool restoreFailed_ = false;
    std::string savedConfigPath_;
    // The bar shows the upgrade's job (from its start until the next confirmation).
    bool progressShown_ = false;

    struct BackupDeleter {
        void operator()(ConfigBackup* backup) const;
    };
    std::unique_ptr<ConfigBackup, BackupDeleter> savedConfig_;
    // The job of the last accepted check, which the next upgrade uses, and the upgrade's; each
    // with the token whose end drops an outcome it told that has not arrived yet.
    std::shared_ptr<const bool> checkedToken_;
    std::unique_ptr<UpgradeJob> checkedJob_;
    std::shared_ptr<const bool> upgradeToken_;
    std::unique_ptr<UpgradeJob> upgradeJob_;
    // Declared last: stopped and joined before the upgrade's job and the saved configuration it uses.
    BackgroundJob worker_;
};

} // namespace zka
