#pragma once

// The page drives its batch with timers of its own: the Qt timer service of the wizard's seams.
#include "resources/FirmwareDescription.h"
#include "runtime/TimerService.h"
#include "ui/dialogs/ModalDialogRunner.h"
#include "ui/seams/QtTimerService.h"

#include <QWidget>

#include <functional>
#include <memory>

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
// The page owns the batch scheduler and the timer service the scheduler and its cameras run on.
// Its list shows the scheduler's rows.
class AutomaticProgressPage final : public QWidget {
    Q_OBJECT

public:
    static constexpr TimerId kCounterTimer = 0x8014;
    static constexpr TimerId kConfirmTimer = 0x8015;
    static constexpr Clock::Duration kCounterPeriod{500};
    static constexpr Clock::Duration kConfirmDelay{100};

    // Runs a modal dialog and returns its result; tests answer dialogs without showing them.
    using DialogRunner = ModalDialogRunner::Runner;

    struct Seams {
        const Clock& clock;
        Prompter& prompter;
        Desktop& desktop;
        // The model list, the package names, the texts and the packages; they outlive the page.
        const PackagedResources& resources;
        FirmwareDescription firmware;
        // The wizard's buttons: 2 Next reads "&Upgrade", 3 "&Abort" (the batch runs), 4 it has ended.
        std::function<void(int state)> setButtonState;
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
    // Stops the batch at once and joins every thread of its cameras; nothing of the batch runs
    // afterwards. The wizard calls it before it frees what the cameras use.
    void shutdown();

    UpgradeProgressList& progressList() { return *list_; }
    const BatchScheduler& scheduler() const { return *scheduler_; }
    QString counterText() const;
    bool retainSettings() const;
    bool backupSettings() const;
    void setDialogRunner(DialogRunner runner);

private:
    void onTimer(TimerId id);
    void onConfirmTimer();
    void onCounterTimer();
    void onRetainToggled(bool retain);
    void setOptionsEnabled(bool enabled);
    void showLog();

    Seams seams_;
    // Declared before the scheduler, which stops its timer as it goes.
    QtTimerService timers_;
    std::unique_ptr<BatchScheduler> scheduler_;
    const TargetCameraList* targetList_ = nullptr;
    bool filled_ = false;
    int lastDone_ = -1;
    ModalDialogRunner dialogs_;

    UpgradeProgressList* list_ = nullptr;
    QLabel* counter_ = nullptr;
    QCheckBox* retain_ = nullptr;
    QCheckBox* backup_ = nullptr;
};

} // namespace zka
