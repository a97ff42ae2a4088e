#include "app/ManualFlowView.h"

#include "ui/pages/ManualProgressPage.h"
#include "ui/pages/ManualResultPage.h"

#include <QLabel>

namespace zka {

ManualFlowView::ManualFlowView(ManualProgressPage& progressPage, ManualResultPage& resultPage, QLabel& emergencyImage,
                               WizardHooks hooks)
    : progressPage_(progressPage)
    , resultPage_(resultPage)
    , emergencyImage_(emergencyImage)
    , hooks_(std::move(hooks))
{
}

void ManualFlowView::pageShown(ManualFlowStep step)
{
    hooks_.pageShown(step);
}

void ManualFlowView::busyChanged(bool busy)
{
    hooks_.busyChanged(busy);
}

void ManualFlowView::stageChanged(int stage)
{
    progressPage_.setStage(stage);
    // The new stage is on screen at once, even when a long step follows.
    progressPage_.repaint();
}

void ManualFlowView::statusTextChanged(const std::string& text)
{
    progressPage_.setStatusText(text);
}

void ManualFlowView::targetDescribed(const std::string& address, const std::string& currentVersion,
                                     const std::string& newVersion)
{
    progressPage_.setTargetAddress(address);
    progressPage_.setCurrentVersion(currentVersion);
    progressPage_.setNewVersion(newVersion);
}

void ManualFlowView::setupDataChanged(bool retain, bool backup)
{
    progressPage_.setSetupData(retain, backup);
}

void ManualFlowView::emergencyImageShown(bool shown)
{
    emergencyImage_.setVisible(shown);
}

void ManualFlowView::configurationSaved(const std::string&)
{
    // The pages do not name the file; where backups go is documented for the operator.
}

void ManualFlowView::resultShown(const std::string& address, const std::string& version)
{
    resultPage_.setTargetAddress(address);
    resultPage_.setResultVersion(version);
}

} // namespace zka
