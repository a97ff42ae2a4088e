#pragma once

#include "resources/ResourceText.h"
#include "resources/SupportedModels.h"
#include "runtime/Clock.h"
#include "runtime/HostEvents.h"
#include "runtime/Prompter.h"
#include "runtime/TimerService.h"

namespace zka {

// What a camera context needs of its owner window: its clock and timers, the posted navigation, the
// message boxes and the packaged texts. Everything here outlives the contexts that borrow it.
struct CameraHost {
    const Clock& clock;
    TimerService& timers;
    HostEvents& events;
    Prompter& prompter;
    const ResourceText& texts;
};

} // namespace zka
