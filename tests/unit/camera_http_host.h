#pragma once

#include "camera/CameraHost.h"
#include "resources/ResourceText.h"
#include "runtime/EventLoop.h"
#include "support/ScriptedPrompter.h"

#include <mutex>
#include <utility>
#include <vector>

#include <ostream>

namespace zka {
// Readable messages in test failures.
void PrintTo(const Message& message, std::ostream* out);
} // namespace zka

namespace zka::test {

// Navigation requests as a context posted them.
class RecordingEvents final : public HostEvents {
public:
    void postNavigate(int wParam, int lParam) override;
    std::vector<std::pair<int, int>> posted() const;

private:
    mutable std::mutex mutex_;
    std::vector<std::pair<int, int>> posted_;
};

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
