#pragma once

#include "runtime/Clock.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

namespace zka {

using TimerId = std::uint32_t;

class TimerService;

// One timer of a TimerService, owned by whoever wants its ticks. It is idle until start(); start()
// on a running timer restarts it with the new period. start(), stop() and running() may be called
// from any thread, also while another thread does the same; destroying the handle (or assigning
// over it) stops the timer for good. The service must outlive its handles.
class TimerHandle {
public:
    TimerHandle() = default;
    TimerHandle(TimerHandle&& other) noexcept;
    TimerHandle& operator=(TimerHandle&& other) noexcept;
    TimerHandle(const TimerHandle&) = delete;
    TimerHandle& operator=(const TimerHandle&) = delete;
    ~TimerHandle();

    void start(Clock::Duration nominalPeriod) const;
    // No tick of this timer reaches its callback once stop() has returned (see the service for the
    // one exception, a stop from inside another tick of a Qt timer).
    void stop() const;
    bool running() const;
    bool valid() const { return service_ != nullptr; }
    // Names the timer to its service.
    TimerId id() const { return id_; }

private:
    friend class TimerService;
    TimerHandle(TimerService& service, TimerId id) : service_(&service), id_(id) {}
    void release() noexcept;

    TimerService* service_ = nullptr;
    TimerId id_ = 0;
};

// The owner window's timers. Ticks are delivered one at a time on the user-interface thread, each to
// the callback its timer was made with.
class TimerService {
public:
    virtual ~TimerService() = default;

    // A new, idle timer whose ticks call onTick on the user-interface thread.
    [[nodiscard]] TimerHandle makeTimer(std::function<void()> onTick);
    // A new timer, already running.
    [[nodiscard]] TimerHandle startTimer(Clock::Duration nominalPeriod, std::function<void()> onTick);

protected:
    // The primitives an implementation provides, for identifiers the service hands out.
    virtual void armTimer(TimerId id, Clock::Duration nominalPeriod) = 0;
    virtual void disarmTimer(TimerId id) = 0;
    virtual bool timerArmed(TimerId id) = 0;
    // The timer will never be started again: stops it and lets the implementation free what it held.
    virtual void releaseTimer(TimerId id) { disarmTimer(id); }
    // Calls the tick callback of a handle's timer; false for an identifier no handle holds (any more).
    bool deliverTick(TimerId id);

private:
    friend class TimerHandle;
    void forget(TimerId id);

    std::atomic<TimerId> nextId_{1};
    std::mutex callbacksMutex_;
    std::map<TimerId, std::shared_ptr<const std::function<void()>>> callbacks_;
};

// Runs work on the user-interface thread, after what is already queued there.
class Dispatcher {
public:
    virtual ~Dispatcher() = default;
    virtual void post(std::function<void()> task) = 0;
};

} // namespace zka
