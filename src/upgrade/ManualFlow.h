#pragma once

#include "upgrade/BackgroundJob.h"
#include "camera/CameraContext.h"
#include "upgrade/ManualFlowObserver.h"
#include "upgrade/NavigationRelay.h"

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
// line drives it directly. It owns the upgrade's CameraContext and the saved configuration, and runs
// every blocking step on a worker so that the user-interface thread never waits.
//
// All members are called on the user-interface thread. Timer ticks of the flow's own timer and of
// its context's timers are handed to onTimer(); the context's navigation reaches
// onUpgradeNavigate() through the dispatcher.
class ManualFlow final {
public:
    static constexpr TimerId kReconfigureTimer = 0x8016;

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

    void onTimer(TimerId id);
    void onUpgradeNavigate(int wParam, int lParam);
    // Shows the context's status when it changed (while the upgrade runs, until the context's navigation came).
    // The context's ticks call it; a view may call it from its redraw timer too, since no tick
    // comes while the camera restarts.
    void followStatus();

    Step step() const { return step_; }
    bool busy() const { return job_.busy(); }
    // The progress bar, 0 to 10000: written by the upgrade's threads, read by the view on its timer.
    const std::atomic<int>& progress() const { return progress_; }
    const std::string& addressText() const { return addressText_; }
    const std::string& cameraVersionText() const { return cameraVersionText_; }
    const std::string& cameraSerial() const { return cameraSerial_; }
    std::size_t packageIndex() const { return packageIndex_; }
    std::string newVersion() const;
    // The last result page came after a restore that failed: the saved file was kept.
    bool restoreFailed() const { return restoreFailed_; }
    // Where the last saved configuration went; empty when none was saved.
    const std::string& savedConfigPath() const { return savedConfigPath_; }
    const CameraContext* context() const { return context_.get(); }

private:
    struct CheckOutcome;
    void checkTarget(std::function<void(bool accepted)> then);
    void runCheck(CheckOutcome& outcome, std::stop_token stop);
    void startUpgrade();
    void startManualUpgrade();
    // Shows the context's code as the stage when it changed; false when nothing was shown.
    bool takeContextStage();
    void showStage(int stage);
    void switchPage(Step step);
    void showTarget();
    void showProgressPage();
    void showResult();
    void startRestore(Step after);
    void reconfigureInquiry();
    void finishReconfigure(bool answered);
    void dropSavedConfig();
    CameraHost host(HostEvents& events) const;

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
    // The context's navigation has arrived: from then on the flow restores and waits itself and
    // the context's ticks no longer move the page.
    bool takenOver_ = false;
    Step stepAfterRestore_ = Step::Result;
    bool restoreFailed_ = false;
    std::string savedConfigPath_;
    Clock::TimePoint reconfigureStart_{};
    std::atomic<int> progress_{0};

    struct BackupDeleter {
        void operator()(ConfigBackup* backup) const;
    };
    std::unique_ptr<ConfigBackup, BackupDeleter> savedConfig_;
    // The context of the last accepted check, which the next upgrade uses, and the upgrade's.
    std::unique_ptr<NavigationRelay> checkedRelay_;
    std::unique_ptr<CameraContext> checkedContext_;
    std::unique_ptr<NavigationRelay> relay_;
    std::unique_ptr<CameraContext> context_;
    // Declared last: stopped and joined before the context and the saved configuration it uses.
    BackgroundJob job_;
};

} // namespace zka
