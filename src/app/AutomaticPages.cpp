#include "app/AutomaticPages.h"

#include "ui/pages/AutomaticTargetPage.h"
#include "ui/pages/AutomaticUnavailablePage.h"

namespace zka {

AutomaticPages::AutomaticPages(Seams seams)
    : seams_(std::move(seams))
{
    targetPage_ = new AutomaticTargetPage(AutomaticTargetPage::Seams{seams_.list, seams_.setButtonState});
    unavailablePage_ = new AutomaticUnavailablePage;
}

AutomaticPages::~AutomaticPages()
{
    shutdown();
}

QWidget* AutomaticPages::progressPage() const
{
    return unavailablePage_;
}

void AutomaticPages::showTargetPage(bool relaxedAddresses)
{
    if (!targetPage_)
        return;
    targetPage_->setDiscoveryTable(&seams_.table);
    targetPage_->setRelaxedAddresses(relaxedAddresses);
    targetPage_->onShown();
}

void AutomaticPages::shutdown()
{
    if (targetPage_)
        targetPage_->shutdown();
}

} // namespace zka
