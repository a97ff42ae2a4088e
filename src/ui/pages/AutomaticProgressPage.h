#pragma once

#include "runtime/TimerService.h"
#include "ui/dialogs/ModalDialogRunner.h"
#include "upgrade/UpgradeTarget.h"
#include "wizard/WizardButtons.h"

#include <QWidget>

#include <functional>
#include <vector>

class QCheckBox;
class QDialog;
class QLabel;

namespace zka {

class BatchScheduler;
class Desktop;
class PackagedResources;
class Prompter;
class TargetCameraList;
class UpgradeProgressList;

// The automatic mode's batch: the cameras checked on the target page, taken over each time the
// operator comes forward from it, what happens to their settings, a confirmation before the batch
// starts, the count of cameras that are through, and the upgrade log once every camera is.
//
// The batch itself belongs to the application; the page fills it, starts and stops it on the
// operator's word and shows it: its list observes the scheduler's rows.
class AutomaticProgressPage final : public QWidget {
    Q_OBJECT

public:
    static constexpr Clock::Duration kCounterPeriod{500};
    static constexpr Clock::Duration kConfirmDelay{100};

    // Runs a modal dialog and returns its result; tests answer dialogs without showing them.
    using DialogRunner = ModalDialogRunner::Runner;

    struct Seams {
        const Clock& clock;
        Prompter& prompter;
        Desktop& desktop;
        // The texts of the page's questions; they outlive the page.
        const PackagedResources& resources;
        // The timers of the page's counter and confirmation.
        TimerService& timers;
        // The batch the page shows; it outlives the page.
        BatchScheduler& batch;
        // The wizard's buttons: Upgrade (Next reads "&Upgrade"), Abort (the batch runs), BatchEnded.
        std::function<void(ButtonState state)> setButtonState;
    };

    explicit AutomaticProgressPage(Seams seams, QWidget* parent = nullptr);
    ~AutomaticProgressPage() override;

    // The target page's list, whose checked rows the batch takes over.
    void setTargetList(const TargetCameraList* list);
    // Cleared by the wizard on each Next from the target page: the page takes the targets over
    // again the next time it is shown.
    void clearFilled() { filled_ = false; }
    bool filled() const { return filled_; }
    // The wizard has shown the page.
    void onShown();
    // The operator pressed "&Upgrade": the options go to the batch, the confirmation follows.
    void startBatch();
    // Whether the page is visible; when it is, the batch is asked to stop (the operator's abort).
    bool isShown();
    // "&Abort" pressed: asks whether to abort, saying how many waiting cameras would not be
    // upgraded (No is the default, so a stray Enter changes nothing). True on Yes.
    bool confirmAbort();
    // The batch has a camera that did not complete: it failed, or an abort left it unstarted.
    bool hasFailedCameras() const;
    // Those cameras, with the logins they had, become the batch; the settings stay as they were and
    // the confirmation follows, as after "&Upgrade".
    void retryFailed();
    // Stops the batch at once and joins every thread of its cameras; nothing of the batch runs
    // afterwards. The wizard calls it before it frees what the cameras use.
    void shutdown();

    UpgradeProgressList& progressList() { return *list_; }
    const BatchScheduler& scheduler() const { return scheduler_; }
    QString counterText() const;
    bool retainSettings() const;
    bool backupSettings() const;
    void setDialogRunner(DialogRunner runner);

private:
    // The batch becomes these cameras, ready to start.
    void fill(std::vector<UpgradeTarget> targets);
    void onConfirmTimer();
    void onCounterTimer();
    void onRetainToggled(bool retain);
    void setOptionsEnabled(bool enabled);
    void showLog();

    Seams seams_;
    BatchScheduler& scheduler_;
    // The proceeded counter's refresh, and the confirmation asked once the click has been handled.
    TimerHandle counterTimer_;
    TimerHandle confirmTimer_;
    const TargetCameraList* targetList_ = nullptr;
    // The batch's cameras in row order, with the logins they were given.
    std::vector<UpgradeTarget> targets_;
    bool filled_ = false;
    int lastDone_ = -1;
    ModalDialogRunner dialogs_;

    UpgradeProgressList* list_ = nullptr;
    QLabel* counter_ = nullptr;
    QCheckBox* retain_ = nullptr;
    QCheckBox* backup_ = nullptr;
};

} // namespace zka
