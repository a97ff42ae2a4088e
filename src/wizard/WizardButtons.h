#pragma once

namespace zka {

// What a page asks of the wizard's buttons.
enum class ButtonState {
    NextOff,    // "Next >", greyed
    NextOn,     // "Next >"
    Upgrade,    // "Upgrade" in Next's place
    Abort,      // the batch runs: "Abort" in Next's place, Back, Cancel and Close off
    BatchEnded, // Next off, Cancel becomes "Finish", no quit question; nothing changes afterwards
    DeadEnd,    // only Cancel is left, with the focus, and no quit question
};

enum class ButtonCaption { Next, Back, Cancel, Retry, FinishResult, Upgrade, Abort, FinishBatch };

struct ButtonLook {
    ButtonCaption caption;
    bool enabled;
};

// What the frame shows around the pages.
struct WizardButtons {
    ButtonLook back{ButtonCaption::Back, false};
    ButtonLook next{ButtonCaption::Next, true};
    ButtonLook cancel{ButtonCaption::Cancel, true};
    // The window's close button.
    bool close = true;
    // "Retry failed" beside Cancel: shown on the batch's page, enabled once an ended batch left
    // cameras that did not complete.
    bool retryShown = false;
    bool retryEnabled = false;
};

enum class ButtonFocus { Keep, Next, Cancel };

} // namespace zka
