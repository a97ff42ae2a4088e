#pragma once

#include "upgrade/ManualFlowObserver.h"
#include "wizard/WizardButtons.h"

#include <array>
#include <cstddef>
#include <functional>

namespace zka {

// The wizard's pages in their order: the common start, the manual mode's four steps and the
// automatic mode's choice of cameras, its batch ready to start, and the batch running (which can be
// aborted but not left).
enum class WizardPage {
    Intro,
    Agreement,
    Mode,
    ManualTarget,
    ManualConfirm,
    ManualUpgrade,
    ManualResult,
    AutomaticTarget,
    AutomaticReady,
    AutomaticRunning,
};
inline constexpr std::size_t kWizardPageCount = 10;

// The wizard's rules without a toolkit: which page follows which on Next and Back, the buttons of
// each page and of each state a page asks for, and the quit question. The frame shows what it is
// told and registers each page's hooks; the rules decide when they run.
class WizardSteps final {
public:
    struct PageHooks {
        // The page is shown, after its buttons are set.
        std::function<void()> enter = {};
        // Next on the page: true when the wizard goes on to the page that follows. A page whose own
        // work moves the wizard later (a check of the camera, the batch) starts it and answers false.
        std::function<bool()> validate = {};
        // Back on a page whose owner decides where Back leads (the manual flow); empty: the rules.
        std::function<void()> back = {};
    };

    struct Frame {
        // Show this page (no buttons yet).
        std::function<void(WizardPage)> showPage;
        // Show the buttons; focus moves to the one named.
        std::function<void(const WizardButtons&, ButtonFocus)> showButtons;
        std::function<bool()> agreed;
        std::function<bool()> manualModeChosen;
        // The automatic target page may go on only once discovery has ended.
        std::function<bool()> discoveryEnded;
        // "Abort" pressed: true when the operator confirmed and the batch was asked to stop.
        std::function<bool()> abortBatch;
        // Next after the batch ended.
        std::function<void()> finish;
        // The batch that just ended left cameras that did not complete.
        std::function<bool()> batchLeftFailures;
        // "Retry failed": a new batch of those cameras, which asks for its confirmation.
        std::function<void()> retryFailed;
    };

    explicit WizardSteps(Frame frame);
    WizardSteps(const WizardSteps&) = delete;
    WizardSteps& operator=(const WizardSteps&) = delete;

    void setHooks(WizardPage page, PageHooks hooks);
    // Shows the first page.
    void start();

    void next();
    void back();
    void setButtonState(ButtonState state);
    // "Retry failed" pressed after a batch: the wizard is back before a batch, on the batch's page.
    void retryFailed();
    // The manual flow moved to this step.
    void showManualStep(ManualFlowStep step);
    // A check of the camera runs: every button and Close are held off, then given back as they were.
    void setBusy(bool busy);
    void agreementChanged(bool agreed);

    WizardPage page() const { return page_; }
    bool busy() const { return busy_; }
    bool confirmQuit() const { return confirmQuit_; }
    // The buttons as shown, busy included.
    WizardButtons shown() const;
    bool cancelAllowed() const { return !busy_ && buttons_.cancel.enabled; }

private:
    void go(WizardPage page);
    void setPageButtons(WizardPage page);
    void restoreCaptions();
    void publish(ButtonFocus focus = ButtonFocus::Keep);
    const PageHooks& hooks(WizardPage page) const { return hooks_[static_cast<std::size_t>(page)]; }

    Frame frame_;
    std::array<PageHooks, kWizardPageCount> hooks_{};
    WizardPage page_ = WizardPage::Intro;
    WizardButtons buttons_;
    bool busy_ = false;
    bool confirmQuit_ = false;
    bool abortRequested_ = false;
    bool finished_ = false;
};

} // namespace zka
