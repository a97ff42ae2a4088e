#pragma once

#include "resources/FirmwareDescription.h"
#include "ui/lists/TargetCameraList.h"
#include "ui/seams/QtTimerService.h"
#include "ui/pages/AutomaticProgressPage.h"
#include "ui/pages/AutomaticTargetPage.h"

#include <QPointer>

#include <functional>
#include <memory>

class QWidget;

namespace zka {

class BatchScheduler;
class DiscoveryTable;
class PackagedResources;

// The automatic mode as the wizard drives it: the batch of cameras, and the pages that fill and show
// it. It creates them, gives the pages what they need each time the wizard shows them, and ends
// their work before the wizard frees what that work uses. The wizard adds the pages to its stack
// and keeps navigation; the progress page goes with this object, before the batch it shows.
//
// The batch runs on timers of its own, apart from the wizard's: its cameras' timers can never meet
// those of the manual mode's camera.
class AutomaticPages final {
public:
    struct Seams {
        // What the target list's probes and dialogs use.
        TargetCameraList::Seams list;
        const DiscoveryTable& table;
        // What the batch uses: the resources (model list, package names, texts) and the packages.
        const PackagedResources& resources;
        FirmwareDescription firmware;
        // The wizard's button states for the automatic pages.
        std::function<void(ButtonState state)> setButtonState;
    };

    // Everything in the seams must outlive this object.
    explicit AutomaticPages(Seams seams);
    ~AutomaticPages();
    AutomaticPages(const AutomaticPages&) = delete;
    AutomaticPages& operator=(const AutomaticPages&) = delete;

    AutomaticTargetPage* targetPage() const { return targetPage_; }
    AutomaticProgressPage* progressPage() const { return progressPage_; }

    // The wizard shows the target page (step 7).
    void showTargetPage(bool relaxedAddresses);
    // Next on the target page: the progress page takes the checked cameras over when it is shown.
    void leaveTargetPage();
    // The wizard shows the progress page (step 8).
    void showProgressPage();
    // "&Upgrade" on the progress page.
    void startBatch();
    // "&Abort": asks the operator and, on Yes, the batch to stop while its page is shown. True
    // when the batch was asked to stop.
    bool abortBatch();
    // The batch that ended left cameras that did not complete.
    bool batchLeftFailures() const;
    // "Retry failed": those cameras as a new batch, with their logins and the batch's settings,
    // at its confirmation.
    void retryFailed();
    // Stops the target page's probes and timers and the batch with every camera's threads; nothing
    // of theirs runs afterwards.
    void shutdown();

private:
    Seams seams_;
    // Declared before the batch, which stops its timers as it goes.
    QtTimerService batchTimers_;
    std::unique_ptr<BatchScheduler> batch_;
    QPointer<AutomaticTargetPage> targetPage_;
    QPointer<AutomaticProgressPage> progressPage_;
};

} // namespace zka
