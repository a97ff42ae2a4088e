#pragma once

#include "resources/FirmwareDescription.h"
#include "ui/lists/TargetCameraList.h"
#include "ui/pages/AutomaticProgressPage.h"
#include "ui/pages/AutomaticTargetPage.h"

#include <QPointer>

#include <functional>

class QWidget;

namespace zka {

class DiscoveryTable;
class PackagedResources;

// The automatic mode's pages as the wizard drives them: it creates them, gives them what they need
// each time the wizard shows them, and ends their work before the wizard frees what that work uses.
// The wizard adds the pages to its stack (which then owns them) and keeps navigation.
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
    // Stops the target page's probes and timers and the batch with every camera's threads; nothing
    // of theirs runs afterwards.
    void shutdown();

private:
    Seams seams_;
    QPointer<AutomaticTargetPage> targetPage_;
    QPointer<AutomaticProgressPage> progressPage_;
};

} // namespace zka
