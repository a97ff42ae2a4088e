#pragma once

#include "runtime/Clock.h"
#include "runtime/TimerService.h"
#include "ui/seams/QtDispatcher.h"

#include <QTimer>

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace zka {

// The owner window's timers on Qt: one QTimer per timer handle, living on the user-interface thread
// (the constructing thread). A handle's start() and stop() may be called from any thread and take
// effect in the order they were called; calls from other threads are carried over to the
// user-interface thread. Periods are nominal and scaled by the clock.
//
// stop() takes effect at once, from any thread: no tick of the stopped timer reaches its callback
// after stop() has returned, even while the QTimer itself is only stopped later on the
// user-interface thread. Each start() and stop() opens a new generation of the timer, and a tick is
// delivered only when it belongs to the generation last asked for.
//
// Ticks reach the callbacks one at a time: a tick that falls due while a callback runs (say, inside
// a modal message box) is held back and delivered, once per timer, after the callback returns,
// provided the timer still runs. A callback must not destroy the service.
class QtTimerService final : public TimerService {
public:
    explicit QtTimerService(const Clock& clock);
    QtTimerService(const QtTimerService&) = delete;
    QtTimerService& operator=(const QtTimerService&) = delete;
    ~QtTimerService() override;

    // User-interface thread only: the real interval in milliseconds a running timer fires at, after
    // every start and stop called so far; 0 when it does not run.
    int realIntervalMs(const TimerHandle& timer);

protected:
    void armTimer(TimerId id, Clock::Duration nominalPeriod) override;
    void disarmTimer(TimerId id) override;
    // User-interface thread only: the state after every start and stop called so far.
    bool timerArmed(TimerId id) override;
    void releaseTimer(TimerId id) override;

private:
    using Generation = std::uint64_t;

    struct Command {
        TimerId id = 0;
        std::optional<Clock::Duration> period; // none: stop
        Generation generation = 0;
        bool release = false; // stop, and free the timer: its identifier is never used again
    };

    struct Slot {
        std::unique_ptr<QTimer> timer;
        // The generation of the start that the QTimer now runs for.
        Generation generation = 0;
    };

    void submit(Command command);
    void applyQueued();
    void apply(const Command& command);
    void tick(TimerId id);
    void deliver(TimerId id);
    // Whether a tick of the running QTimer belongs to the generation last asked for.
    bool current(TimerId id);

    const Clock& clock_;
    // A released timer is deleted once control is back in the event loop: a handler may release the
    // very timer whose tick (whose signal) it is handling.
    std::map<TimerId, Slot> timers_;
    bool delivering_ = false;
    std::vector<TimerId> heldBack_;

    std::mutex mutex_;
    std::deque<Command> queued_;
    // The latest generation of each identifier, raised by every start() and stop() on any thread.
    std::map<TimerId, Generation> latest_;
    // Declared last: destroyed first, so no carried-over call runs against a half-destroyed service.
    QtDispatcher dispatcher_;
};

} // namespace zka
