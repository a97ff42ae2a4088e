#pragma once

#include "discovery/DiscoveryTable.h"
#include "resources/FirmwareDescription.h"
#include "resources/PackagedResources.h"
#include "ui/seams/QtDispatcher.h"
#include "ui/seams/QtTimerService.h"
#include "wizard/WizardSteps.h"

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

// The main window: the frame around the wizard's pages, with Back, Next and Cancel. It owns what
// lives for the whole run (the packaged resources, the discovery table and its session, the manual
// flow), shows the pages and buttons that WizardSteps decides and gives each page its enter and
// validate hooks. The manual upgrade itself runs in ManualFlow; the wizard shows what the flow
// reports and never waits on the network.
class UpgradeWizard final : public QDialog {
    Q_OBJECT

public:
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
    FirmwareDescription describeFirmware() const;
    const DiscoveryTable& discoveryTable() const { return table_; }
    bool relaxedAddressMode() const { return relaxedAddressMode_; }
    const PackagedResources& resources() const { return resources_; }

    // ---- State, for tests and the view ----
    // The page's position in WizardPage's order.
    int pageIndex() const { return static_cast<int>(steps_.page()); }
    bool confirmQuit() const { return steps_.confirmQuit(); }
    bool closeEnabled() const { return closeEnabled_; }
    const ManualFlow& manualFlow() const { return *flow_; }
    const DiscoverySession& discovery() const { return *discovery_; }

    // ---- Navigation, as the buttons and keys call it ----
    void onNext();
    void onBack();
    void onCancel();
    // Enter: Back, Cancel or "Retry failed" when it has the focus, else Next.
    void onEnter();
    // The Next button reported a release of K: on the first page only, the relaxed address mode.
    void enterRelaxedAddressMode();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // Escape and the window's close button: Cancel, except while the upgrade runs.
    void reject() override;

private:
    // A check of the camera runs: the wait cursor, and the buttons held off.
    void onBusyChanged(bool busy);

    void buildPages();
    void buildFrame();
    void startDiscovery(const Seams& seams);
    void stopDiscovery();
    WizardSteps::Frame frameForSteps();
    void setPageHooks();
    void showPage(WizardPage page);
    void showButtons(const WizardButtons& buttons, ButtonFocus focus);
    // Next on the manual target page: the flow checks the camera, or the input is refused.
    bool submitTarget();
    void followUpgrade();
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
    WizardSteps steps_;

    // Pages and controls: children of the wizard, owned by it through Qt.
    QStackedWidget* stack_ = nullptr;
    IntroPage* introPage_ = nullptr;
    AgreementPage* agreementPage_ = nullptr;
    ModePage* modePage_ = nullptr;
    ManualTargetPage* targetPage_ = nullptr;
    ManualProgressPage* progressPage_ = nullptr;
    ManualResultPage* resultPage_ = nullptr;
    std::array<QWidget*, kWizardPageCount> pageOfStep_{};
    QLabel* emergencyImage_ = nullptr;
    QPushButton* backButton_ = nullptr;
    KeyReportButton* nextButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QPushButton* retryButton_ = nullptr;

    bool relaxedAddressMode_ = false;
    bool closeEnabled_ = true;
    // Moves the progress bar from the flow's value and follows its status while it runs.
    QTimer progressRedraw_;

    std::unique_ptr<AutomaticPages> automatic_;
    std::unique_ptr<ManualFlowView> flowView_;
    std::unique_ptr<ManualFlow> flow_;
    std::unique_ptr<DiscoverySession> discovery_;
};

} // namespace zka
