#pragma once

#include "runtime/Clock.h"
#include "runtime/TimerService.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

namespace zka {

// A user-interface thread without a toolkit: the command line and the core's tests run timers and
// posted work on it. run() processes posted tasks and timer ticks, one at a time, on the calling
// thread until quit(); post(), start(), stop() and quit() are safe from any thread.
//
// No tick of a stopped timer reaches the handler once stop() has returned: a stop from another
// thread while that timer's tick is being delivered waits until its handler has returned. A handler
// must therefore never wait for a thread that stops the very timer being handled.
class EventLoop final : public Dispatcher, public TimerService {
public:
    explicit EventLoop(const Clock& clock);
    EventLoop(const EventLoop&) = delete;
    EventLoop& operator=(const EventLoop&) = delete;

    void post(std::function<void()> task) override;
    std::size_t runningTimerCount() const;

    void run();
    // Runs until done() holds (checked after every event) or the nominal time-out passes; returns done().
    bool runUntil(const std::function<bool()>& done, Clock::Duration nominalTimeout);
    void quit();

protected:
    void armTimer(TimerId id, Clock::Duration nominalPeriod) override;
    void disarmTimer(TimerId id) override;
    bool timerArmed(TimerId id) override;

private:
    struct Timer {
        std::chrono::nanoseconds period;
        std::chrono::steady_clock::time_point due;
    };
    // Waits for and runs one event; returns false when the deadline passed or quit was asked.
    bool processOne(std::chrono::steady_clock::time_point deadline);
    // Calls the handler for a due timer; lock is held on entry and released on return.
    void deliver(TimerId id, std::unique_lock<std::mutex>& lock);

    const Clock& clock_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    // The tick being delivered (chosen, or in its handler), and the thread delivering it.
    std::optional<TimerId> delivering_;
    std::thread::id deliveringThread_;
    std::condition_variable delivered_;
    std::deque<std::function<void()>> tasks_;
    std::map<TimerId, Timer> timers_;
    bool quit_ = false;
};

} // namespace zka
