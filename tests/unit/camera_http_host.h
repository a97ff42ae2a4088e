#pragma once

#include "camera/CameraHost.h"
#include "resources/ResourceText.h"
#include "runtime/EventLoop.h"
#include "support/RecordingEvents.h"
#include "support/ScriptedPrompter.h"

namespace zka::test {

// Everything a CameraContext borrows from its owner, for tests: a clock at the given scale, a
// headless event loop for the timers, a scripted prompter and the packaged texts.
class CameraTestHost final {
public:
    explicit CameraTestHost(double timeScale = 1.0);
    CameraTestHost(const CameraTestHost&) = delete;
    CameraTestHost& operator=(const CameraTestHost&) = delete;

    CameraHost host() { return CameraHost{clock, loop, events, prompter, texts}; }

    SystemClock clock;
    EventLoop loop;
    RecordingEvents events;
    ScriptedPrompter prompter;
    ResourceText texts;
    SupportedModels models{"ZKA-QM410", "ZKA-QM411"};
};

} // namespace zka::test
