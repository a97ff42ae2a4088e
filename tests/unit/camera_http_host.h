#pragma once

#include "upgrade/UpgradeJob.h"
#include "resources/ResourceText.h"
#include "runtime/EventLoop.h"
#include "support/MessagePrint.h"
#include "support/ScriptedPrompter.h"

namespace zka::test {

// What an UpgradeJob and the readers of its replies borrow, for tests: a clock at the given scale,
// a headless event loop for the timers, a scripted prompter and the packaged texts.
class CameraTestHost final {
public:
    explicit CameraTestHost(double timeScale = 1.0);
    CameraTestHost(const CameraTestHost&) = delete;
    CameraTestHost& operator=(const CameraTestHost&) = delete;

    UpgradeJob::Seams host() { return UpgradeJob::Seams{clock, loop}; }

    SystemClock clock;
    EventLoop loop;
    ScriptedPrompter prompter;
    ResourceText texts;
    SupportedModels models{"ZKA-QM410", "ZKA-QM411"};
};

} // namespace zka::test
