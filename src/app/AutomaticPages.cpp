#include "app/AutomaticPages.h"

namespace zka {

AutomaticPages::AutomaticPages(Seams seams)
    : seams_(std::move(seams))
{
    targetPage_ = new AutomaticTargetPage(AutomaticTargetPage::Seams{seams_.list, seams_.setButtonState});
    progressPage_ = new AutomaticProgressPage(AutomaticProgressPage::Seams{
        seams_.list.clock, seams_.list.prompter, seams_.list.desktop, seams_.resources, seams_.firmware,
        seams_.setButtonState});
    progressPage_->setTargetList(&targetPage_->targetList());
}

AutomaticPages::~AutomaticPages()
{
    shutdown();
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

void AutomaticPages::shutdown()
{
    if (targetPage_)
        targetPage_->shutdown();
    if (progressPage_)
        progressPage_->shutdown();
}

} // namespace zka
