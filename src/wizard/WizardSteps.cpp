#include "wizard/WizardSteps.h"

namespace zka {
namespace {

WizardPage pageOf(ManualFlowStep step)
{
    switch (step) {
    case ManualFlowStep::Target:
        return WizardPage::ManualTarget;
    case ManualFlowStep::Confirm:
        return WizardPage::ManualConfirm;
    case ManualFlowStep::Progress:
        return WizardPage::ManualUpgrade;
    case ManualFlowStep::Result:
        break;
    }
    return WizardPage::ManualResult;
}

} // namespace

WizardSteps::WizardSteps(Frame frame) : frame_(std::move(frame)) {}

void WizardSteps::setHooks(WizardPage page, PageHooks hooks)
{
    hooks_[static_cast<std::size_t>(page)] = std::move(hooks);
}

void WizardSteps::start()
{
    go(WizardPage::Intro);
}

void WizardSteps::next()
{
    if (!buttons_.next.enabled || busy_)
        return;
    if (abortRequested_) {
        // "Abort", once confirmed: the cameras under way finish, no other one starts.
        if (frame_.abortBatch()) {
            buttons_.next.enabled = false;
            publish();
        }
        return;
    }
    if (finished_) {
        frame_.finish();
        return;
    }
    const PageHooks& page = hooks(page_);
    if (page.validate && !page.validate())
        return;
    switch (page_) {
    case WizardPage::Intro:
        go(WizardPage::Agreement);
        return;
    case WizardPage::Agreement:
        go(WizardPage::Mode);
        return;
    case WizardPage::Mode: {
        const bool manual = frame_.manualModeChosen();
        if (!manual) {
            // The target page lets the wizard go on once discovery has ended and the logins are complete.
            buttons_.next.enabled = frame_.discoveryEnded();
            publish();
        }
        confirmQuit_ = true;
        go(manual ? WizardPage::ManualTarget : WizardPage::AutomaticTarget);
        return;
    }
    case WizardPage::AutomaticTarget:
        go(WizardPage::AutomaticReady);
        return;
    default:
        // The manual flow and the batch move on by themselves; the result and the running batch
        // have nothing after them.
        return;
    }
}

void WizardSteps::back()
{
    if (!buttons_.back.enabled || busy_)
        return;
    switch (page_) {
    case WizardPage::Agreement:
        go(WizardPage::Intro);
        return;
    case WizardPage::Mode:
        go(WizardPage::Agreement);
        return;
    case WizardPage::ManualTarget:
        go(WizardPage::Mode);
        return;
    case WizardPage::ManualResult:
        // "Re-try": a new attempt may be left only after the quit question again.
        restoreCaptions();
        confirmQuit_ = true;
        [[fallthrough]];
    case WizardPage::ManualConfirm:
        if (hooks(page_).back)
            hooks(page_).back();
        return;
    case WizardPage::AutomaticTarget:
        buttons_.next.caption = ButtonCaption::Next;
        publish();
        go(WizardPage::Mode);
        return;
    case WizardPage::AutomaticReady:
    case WizardPage::AutomaticRunning:
        restoreCaptions();
        finished_ = false;
        abortRequested_ = false;
        go(WizardPage::AutomaticTarget);
        return;
    default:
        return;
    }
}

void WizardSteps::setButtonState(ButtonState state)
{
    if (finished_)
        return;
    switch (state) {
    case ButtonState::NextOff:
    case ButtonState::NextOn:
        buttons_.next = {ButtonCaption::Next, state == ButtonState::NextOn};
        break;
    case ButtonState::Upgrade:
        buttons_.next = {ButtonCaption::Upgrade, true};
        break;
    case ButtonState::Abort:
        buttons_.next = {ButtonCaption::Abort, true};
        buttons_.back.enabled = false;
        buttons_.cancel.enabled = false;
        buttons_.close = false;
        page_ = WizardPage::AutomaticRunning;
        abortRequested_ = true;
        break;
    case ButtonState::BatchEnded:
        buttons_.next.enabled = false;
        buttons_.cancel = {ButtonCaption::FinishBatch, true};
        buttons_.close = true;
        buttons_.retryEnabled = frame_.batchLeftFailures();
        finished_ = true;
        confirmQuit_ = false;
        break;
    case ButtonState::DeadEnd:
        buttons_.next.enabled = false;
        buttons_.back.enabled = false;
        buttons_.cancel.enabled = true;
        confirmQuit_ = false;
        publish(ButtonFocus::Cancel);
        return;
    }
    publish();
}

void WizardSteps::retryFailed()
{
    if (!buttons_.retryEnabled || busy_)
        return;
    // As on coming forward from the target page: Back, Cancel with its question, and Next as the
    // page sets it for the new batch.
    finished_ = false;
    abortRequested_ = false;
    confirmQuit_ = true;
    page_ = WizardPage::AutomaticReady;
    buttons_.retryEnabled = false;
    buttons_.back.enabled = true;
    buttons_.cancel = {ButtonCaption::Cancel, true};
    publish();
    frame_.retryFailed();
}

void WizardSteps::showManualStep(ManualFlowStep step)
{
    const bool fromUpgrade = page_ >= WizardPage::ManualConfirm && page_ <= WizardPage::ManualResult;
    if (step == ManualFlowStep::Target && fromUpgrade)
        restoreCaptions();
    go(pageOf(step));
}

void WizardSteps::setBusy(bool busy)
{
    if (busy == busy_)
        return;
    busy_ = busy;
    publish();
}

void WizardSteps::agreementChanged(bool agreed)
{
    if (page_ != WizardPage::Agreement)
        return;
    buttons_.next.enabled = agreed;
    publish();
}

WizardButtons WizardSteps::shown() const
{
    if (!busy_)
        return buttons_;
    WizardButtons held = buttons_;
    held.back.enabled = held.next.enabled = held.cancel.enabled = held.close = held.retryEnabled = false;
    return held;
}

void WizardSteps::go(WizardPage page)
{
    page_ = page;
    frame_.showPage(page);
    setPageButtons(page);
    if (const PageHooks& entered = hooks(page); entered.enter)
        entered.enter();
}

void WizardSteps::setPageButtons(WizardPage page)
{
    ButtonFocus focus = ButtonFocus::Keep;
    buttons_.retryShown = page == WizardPage::AutomaticReady || page == WizardPage::AutomaticRunning;
    switch (page) {
    case WizardPage::Intro:
        buttons_.back.enabled = false;
        buttons_.next.enabled = true;
        focus = ButtonFocus::Next;
        break;
    case WizardPage::Agreement:
        buttons_.back.enabled = true;
        buttons_.next.enabled = frame_.agreed();
        break;
    case WizardPage::Mode:
    case WizardPage::ManualTarget:
        buttons_.back.enabled = true;
        buttons_.next.enabled = true;
        if (page == WizardPage::ManualTarget) {
            buttons_.next.caption = ButtonCaption::Next;
            buttons_.cancel.enabled = true;
            buttons_.close = true;
        }
        break;
    case WizardPage::ManualConfirm:
        if (!finished_)
            buttons_.next = {ButtonCaption::Upgrade, true};
        break;
    case WizardPage::ManualUpgrade:
        buttons_.back.enabled = buttons_.next.enabled = buttons_.cancel.enabled = false;
        buttons_.close = false;
        break;
    case WizardPage::ManualResult:
        buttons_.back = {ButtonCaption::Retry, true};
        // Nothing follows the result: a greyed "Next >", not the confirmation's "Upgrade".
        buttons_.next = {ButtonCaption::Next, false};
        buttons_.cancel = {ButtonCaption::FinishResult, true};
        buttons_.close = true;
        confirmQuit_ = false;
        focus = ButtonFocus::Cancel;
        break;
    case WizardPage::AutomaticTarget:
    case WizardPage::AutomaticReady:
        buttons_.back.enabled = true;
        break;
    case WizardPage::AutomaticRunning:
        break;
    }
    publish(focus);
}

void WizardSteps::restoreCaptions()
{
    buttons_.next.caption = ButtonCaption::Next;
    buttons_.back.caption = ButtonCaption::Back;
    buttons_.cancel.caption = ButtonCaption::Cancel;
    publish();
}

void WizardSteps::publish(ButtonFocus focus)
{
    frame_.showButtons(shown(), focus);
}

} // namespace zka
