#pragma once

#include "upgrade/UpgradeJob.h"
#include "resources/ResourceText.h"
#include "runtime/EventLoop.h"
#include "support/RecordingEvents.h"
#include "support/ScriptedPrompter.h"

namespace zka::test {

// Everything an UpgradeJob borrows from its owner, for tests: a clock at the given scale, a
// headless event loop for the timers, a scripted prompter and the packaged texts.
class CameraTestHost final {
public:
    explicit CameraTestHost(double timeScale = 1.0);
    CameraTestHost(const CameraTestHost&) = delete;
    CameraTestHost& operator=(const CameraTestHost&) = delete;

    UpgradeJob::Seams host() { return UpgradeJob::Seams{clock, loop, events, prompter, texts}; }

    SystemClock clock;
    EventLoop loop;
    RecordingEvents events;
    ScriptedPrompter prompter;
    ResourceText texts;
    SupportedModels models{"ZKA-QM410", "ZKA-QM411"};
};

} // namespace zka::test
