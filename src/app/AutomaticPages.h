#pragma once

#include "ui/lists/TargetCameraList.h"

#include <QPointer>

#include <functional>

class QWidget;

namespace zka {

class AutomaticTargetPage;
class AutomaticUnavailablePage;
class DiscoveryTable;

// The automatic mode's pages as the wizard drives them: it creates them, gives the target page what
// it needs each time the wizard shows it, and ends their work before the wizard frees what that
// work uses. The wizard adds the pages to its stack (which then owns them) and keeps navigation.
//
// For now the step after the target page is a page that says the batch upgrade is not available.
class AutomaticPages final {
public:
    struct Seams {
        // What the target list's probes and dialogs use.
        TargetCameraList::Seams list;
        const DiscoveryTable& table;
        // The wizard's button states for the automatic pages.
        std::function<void(int state)> setButtonState;
    };

    // Everything in the seams must outlive this object.
    explicit AutomaticPages(Seams seams);
    ~AutomaticPages();
    AutomaticPages(const AutomaticPages&) = delete;
    AutomaticPages& operator=(const AutomaticPages&) = delete;

    AutomaticTargetPage* targetPage() const { return targetPage_; }
    QWidget* progressPage() const;

    // The wizard shows the target page (step 7).
    void showTargetPage(bool relaxedAddresses);
    // Stops the target page's probes and timers; nothing of theirs runs afterwards.
    void shutdown();

private:
    Seams seams_;
    QPointer<AutomaticTargetPage> targetPage_;
    QPointer<AutomaticUnavailablePage> unavailablePage_;
};

} // namespace zka
