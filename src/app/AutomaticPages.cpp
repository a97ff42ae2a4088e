#include "app/AutomaticPages.h"

#include "upgrade/BatchScheduler.h"

namespace zka {

AutomaticPages::AutomaticPages(Seams seams)
    : seams_(std::move(seams))
    // Ticks of the scheduler and of its cameras.
    , batchTimers_(seams_.list.clock)
    , batch_(std::make_unique<BatchScheduler>(
          BatchScheduler::Seams{seams_.list.clock, batchTimers_, seams_.list.prompter}, seams_.resources,
          seams_.firmware))
{
    targetPage_ = new AutomaticTargetPage(AutomaticTargetPage::Seams{seams_.list, seams_.setButtonState});
    progressPage_ = new AutomaticProgressPage(AutomaticProgressPage::Seams{
        seams_.list.clock, seams_.list.prompter, seams_.list.desktop, seams_.resources, batchTimers_, *batch_,
        seams_.setButtonState});
    progressPage_->setTargetList(&targetPage_->targetList());
}

AutomaticPages::~AutomaticPages()
{
    shutdown();
    // The page borrows the batch and its timers: it goes first, wherever the wizard's stack is.
    delete progressPage_.data();
}

void AutomaticPages::showTargetPage(bool relaxedAddresses)
{
    if (!targetPage_)
        return;
    targetPage_->setDiscoveryTable(&seams_.table);
    targetPage_->setRelaxedAddresses(relaxedAddresses);
    targetPage_->onShown();
}

void AutomaticPages::leaveTargetPage()
{
    if (progressPage_)
        progressPage_->clearFilled();
}

void AutomaticPages::showProgressPage()
{
    if (progressPage_)
        progressPage_->onShown();
}

void AutomaticPages::startBatch()
{
    if (progressPage_)
        progressPage_->startBatch();
}

bool AutomaticPages::abortBatch()
{
    return progressPage_ && progressPage_->confirmAbort() && progressPage_->isShown();
}

bool AutomaticPages::batchLeftFailures() const
{
    return progressPage_ && progressPage_->hasFailedCameras();
}

void AutomaticPages::retryFailed()
{
    if (progressPage_)
        progressPage_->retryFailed();
}

void AutomaticPages::shutdown()
{
    if (targetPage_)
        targetPage_->shutdown();
    if (progressPage_)
        progressPage_->shutdown();
}

} // namespace zka
