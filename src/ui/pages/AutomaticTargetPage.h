#pragma once

#include "ui/dialogs/ModalDialogRunner.h"
#include "ui/lists/TargetCameraList.h"
#include "wizard/WizardButtons.h"

#include <QTimer>
#include <QWidget>

#include <functional>

class QDialog;
class QLabel;
class QPushButton;

namespace zka {

class DiscoveryTable;

// The automatic mode's choice of cameras: every camera that discovery found (up to 256), with a
// check box and a login each. The page fills its list from the discovery table while discovery
// runs and once it has ended, refuses to go on while two cameras share an address (unless the
// relaxed address mode is on), and lets the wizard go on only while every checked camera has a
// login. "&Select all", "&Access setting..." (the login dialogs) and, slid out with "&<<",
// "Add &other cameras..." (cameras by address, from a file or the clipboard) and "&Testing..." (a
// probe of the selected cameras) work on the list.
class AutomaticTargetPage final : public QWidget {
    Q_OBJECT

public:
    static constexpr int kMaxRows = 256;
    static constexpr Clock::Duration kDiscoveryWaitPeriod{500};
    static constexpr int kSlideSteps = 10;
    static constexpr int kSlideStepMs = 10;

    // Runs a modal dialog and returns its result; tests answer dialogs without showing them.
    using DialogRunner = ModalDialogRunner::Runner;

    struct Seams {
        TargetCameraList::Seams list;
        // The wizard's buttons: 0 Next off, 1 Next on, 5 only Cancel.
        std::function<void(ButtonState state)> setButtonState;
    };

    explicit AutomaticTargetPage(Seams seams, QWidget* parent = nullptr);
    ~AutomaticTargetPage() override;

    // Set by the wizard each time it shows the page.
    void setDiscoveryTable(const DiscoveryTable* table);
    void setRelaxedAddresses(bool relaxed);
    // The wizard has shown the page: fill it, then wait for discovery or check the addresses.
    void onShown();
    // Adds the discovered cameras not listed yet and updates the counter.
    void fillFromDiscovery();

    TargetCameraList& targetList() { return *list_; }
    const TargetCameraList& targetList() const { return *list_; }
    bool discoveryWait() const { return discoveryWait_; }
    bool probing() const { return probing_; }
    bool duplicatesFound() const { return duplicatesFound_; }
    bool panelOpen() const { return panelOpen_; }
    QString counterText() const;
    void setDialogRunner(DialogRunner runner);

    // ---- The page's buttons ----
    void onSelectAll();
    void onAccessSetting();
    // "Add &other cameras...": the cameras handed over join the end of the list.
    void onAddCameras();
    void onTesting();
    void onSlide();

    // Ends the probes at once (the wizard calls it before it frees what they use).
    void shutdown();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void onDiscoveryWaitTick();
    bool duplicateCheck();
    void blockForDuplicates();
    void refreshNext();
    void onSelectionReported(bool anySelected);
    void onProbingFinished();
    void setWaiting(bool waiting);
    void updateCursor();
    void slideStep();

    Seams seams_;
    const DiscoveryTable* table_ = nullptr;
    bool relaxedAddresses_ = false;
    bool discoveryWait_ = false;
    bool probing_ = false;
    bool duplicatesFound_ = false;
    bool panelOpen_ = false;
    // Discovery slots taken over so far (the list may also hold cameras added by hand).
    int slotsTaken_ = 0;
    ModalDialogRunner dialogs_;

    TargetCameraList* list_ = nullptr;
    QLabel* counter_ = nullptr;
    QPushButton* selectAll_ = nullptr;
    QPushButton* accessSetting_ = nullptr;
    QPushButton* addCameras_ = nullptr;
    QPushButton* testing_ = nullptr;
    QPushButton* slide_ = nullptr;
    QWidget* slidePanel_ = nullptr;
    QTimer discoveryWaitTimer_;
    QTimer slideTimer_;
    int slideStep_ = 0;
};

} // namespace zka
