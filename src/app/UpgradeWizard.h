#pragma once

#include "discovery/DiscoveryTable.h"
#include "resources/FirmwareDescription.h"
#include "resources/PackagedResources.h"
#include "ui/seams/QtDispatcher.h"
#include "ui/seams/QtTimerService.h"

#include <QDialog>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>
#include <string>

class QLabel;
class QPushButton;
class QStackedWidget;

namespace zka {

class AgreementPage;
class AutomaticPages;
class Clock;
class Desktop;
class DiscoverySession;
class IntroPage;
class KeyReportButton;
class ManualFlow;
class ManualFlowView;
class ManualProgressPage;
class ManualResultPage;
class ManualTargetPage;
class ModePage;
class Prompter;
class QtDesktop;
class QtPrompter;

// The main window: the wizard with its pages, Back, Next and Cancel. It owns what lives for the
// whole run (the packaged resources, the discovery table and its session, the manual flow) and
// decides which page follows which. The manual upgrade itself runs in ManualFlow; the wizard shows
// what the flow reports and never waits on the network.
//
// Steps (pageIndex): 0 introduction, 1 agreement, 2 mode, 3 manual target, 4 confirmation, 5 manual
// upgrade running, 6 result, 7 the automatic mode's choice of cameras, 8 its batch, ready to start,
// 9 the batch running, which can be aborted but not left.
class UpgradeWizard final : public QDialog {
    Q_OBJECT

public:
    static constexpr int kStepCount = 10;

    struct Seams {
        const Clock& clock;
        // Every message box of the run. Null: Qt message boxes owned by the wizard.
        Prompter* prompter = nullptr;
        // The discovery listener's "Network NG" box. Null: Qt message boxes of their own, abandoned
        // before the wizard waits for the listener to stop.
        Prompter* discoveryPrompter = nullptr;
        // Ends the process after a fatal failure of the discovery socket. Null: the application's
        // event loop ends with that status.
        std::function<void(int status)> exitProcess = {};
        // Where the discovery enquiries go.
        std::string discoveryAddress = "255.255.255.255";
        // The browser, file dialogs and clipboard. Null: the desktop's own, through Qt.
        Desktop* desktop = nullptr;
    };

    explicit UpgradeWizard(Seams seams, QWidget* parent = nullptr);
    ~UpgradeWizard() override;
    UpgradeWizard(const UpgradeWizard&) = delete;
    UpgradeWizard& operator=(const UpgradeWizard&) = delete;

    // False when the packaged model list or firmware package could not be loaded (the loader has
    // said why): nothing can be upgraded then.
    bool resourcesUsable() const;

    // ---- What the pages use ----
    // The buttons for the automatic pages and the manual dead end:
    // 0 Next "&Next >" disabled, 1 Next "&Next >" enabled, 2 Next "&Upgrade" enabled,
    // 3 Next "&Abort" enabled with Back, Cancel and Close off (step 9), 4 the batch has ended: Next
    // off, Cancel "&Finish", no quit question, 5 dead end: Next and Back off, Cancel on, no question.
    // Does nothing once the batch has ended.
    void setButtonState(int kind);
    FirmwareDescription describeFirmware() const;
    const DiscoveryTable& discoveryTable() const { return table_; }
    bool relaxedAddressMode() const { return relaxedAddressMode_; }
    const PackagedResources& resources() const { return resources_; }

    // ---- State, for tests and the view ----
    int pageIndex() const { return pageIndex_; }
    bool confirmQuit() const { return confirmQuit_; }
    bool closeEnabled() const { return closeEnabled_; }
    const ManualFlow& manualFlow() const { return *flow_; }
    const DiscoverySession& discovery() const { return *discovery_; }

    // ---- Navigation, as the buttons and keys call it ----
    void onNext();
    void onBack();
    void onCancel();
    // Enter: Back when it has the focus, Cancel when it has, else Next.
    void onEnter();
    // The Next button reported a release of K: on the first page only, the relaxed address mode.
    void enterRelaxedAddressMode();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // Escape and the window's close button: Cancel, except while the upgrade runs.
    void reject() override;

private:
    // What the manual flow reports about the page and its check of the camera.
    void onPageShown(int page);
    void onBusyChanged(bool busy);

    void buildPages();
    void buildFrame();
    void startDiscovery(const Seams& seams);
    void stopDiscovery();
    void switchPage();
    void submitTarget();
    void followUpgrade();
    void restoreCaptions();
    void setCaption(QPushButton* button, std::uint16_t text);
    // The window's close button and the system menu's Close item.
    void setCloseEnabled(bool enabled);
    void showMessage(const std::string& text, const std::string& caption);

    const Clock& clock_;
    std::unique_ptr<QtPrompter> ownPrompter_;
    std::unique_ptr<QtPrompter> ownDiscoveryPrompter_;
    std::unique_ptr<QtDesktop> ownDesktop_;
    Prompter& prompter_;
    Prompter& discoveryPrompter_;
    Desktop& desktop_;
    QtDispatcher dispatcher_;
    QtTimerService timers_;
    PackagedResources resources_;
    const ResourceText& texts_;
    DiscoveryTable table_;

    // Pages and controls: children of the wizard, owned by it through Qt.
    QStackedWidget* stack_ = nullptr;
    IntroPage* introPage_ = nullptr;
    AgreementPage* agreementPage_ = nullptr;
    ModePage* modePage_ = nullptr;
    ManualTargetPage* targetPage_ = nullptr;
    ManualProgressPage* progressPage_ = nullptr;
    ManualResultPage* resultPage_ = nullptr;
    std::array<QWidget*, kStepCount> pageOfStep_{};
    QLabel* emergencyImage_ = nullptr;
    QPushButton* backButton_ = nullptr;
    KeyReportButton* nextButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;

    int pageIndex_ = 0;
    bool confirmQuit_ = false;
    bool abortRequested_ = false;
    bool finished_ = false;
    bool relaxedAddressMode_ = false;
    bool closeEnabled_ = true;
    // A check of the target runs: the buttons are held off and their states kept here.
    bool busy_ = false;
    std::array<bool, 4> enabledBeforeBusy_{};
    // Moves the progress bar from the flow's value and follows its status while it runs.
    QTimer progressRedraw_;

    std::unique_ptr<AutomaticPages> automatic_;
    std::unique_ptr<ManualFlowView> flowView_;
    std::unique_ptr<ManualFlow> flow_;
    std::unique_ptr<DiscoverySession> discovery_;
};

} // namespace zka
