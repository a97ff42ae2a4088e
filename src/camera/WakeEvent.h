#pragma once

#include "runtime/Clock.h"

#include <condition_variable>
#include <mutex>
#include <stop_token>

namespace zka {

// An auto-reset event for a worker that waits for another thread's signal: raise() from any thread
// wakes one wait, which consumes the signal. Waits end early on a stop request, and timed waits use
// nominal durations of the Clock.
class WakeEvent final {
public:
    WakeEvent() = default;
    WakeEvent(const WakeEvent&) = delete;
    WakeEvent& operator=(const WakeEvent&) = delete;

    void raise();
    // Drops a signal that nobody waited for.
    void reset();
    // True when the signal came; false when the stop was requested first.
    bool wait(std::stop_token stop);
    // True when the signal came; false on the stop request or when the nominal time ran out.
    bool waitFor(const Clock& clock, Clock::Duration nominal, std::stop_token stop);

private:
    std::mutex mutex_;
    std::condition_variable_any changed_;
    bool raised_ = false;
};

} // namespace zka
