#pragma once

#include "upgrade/ManualFlowObserver.h"

#include <functional>
#include <string>

class QLabel;

namespace zka {

class ManualProgressPage;
class ManualResultPage;

// The manual flow as the wizard shows it: what the flow reports goes to the progress and result
// pages and to the emergency badge; the page changes and the busy state go to the wizard, which owns
// navigation and the buttons.
class ManualFlowView final : public ManualFlowObserver {
public:
    struct WizardHooks {
        std::function<void(ManualFlowStep step)> pageShown;
        std::function<void(bool busy)> busyChanged;
    };

    // The pages and the badge belong to the wizard and must outlive the view.
    ManualFlowView(ManualProgressPage& progressPage, ManualResultPage& resultPage, QLabel& emergencyImage,
                   WizardHooks hooks);
    ManualFlowView(const ManualFlowView&) = delete;
    ManualFlowView& operator=(const ManualFlowView&) = delete;

    void pageShown(ManualFlowStep step) override;
    void busyChanged(bool busy) override;
    void stageChanged(int stage) override;
    void statusTextChanged(const std::string& text) override;
    void targetDescribed(const std::string& address, const std::string& currentVersion,
                         const std::string& newVersion) override;
    void setupDataChanged(bool retain, bool backup) override;
    void emergencyImageShown(bool shown) override;
    void configurationSaved(const std::string& localPath) override;
    void resultShown(const std::string& address, const std::string& version) override;

private:
    ManualProgressPage& progressPage_;
    ManualResultPage& resultPage_;
    QLabel& emergencyImage_;
    WizardHooks hooks_;
};

} // namespace zka
