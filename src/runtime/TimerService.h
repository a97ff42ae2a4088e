#pragma once

#include "runtime/Clock.h"

#include <cstdint>
#include <functional>

namespace zka {

using TimerId = std::uint32_t;
using TimerHandler = std::function<void(TimerId)>;

// The owner window's timers. start() and stop() may be called from any thread; ticks are delivered
// one at a time on the user-interface thread to the handler the implementation was built with.
// Starting a running timer restarts it with the new period.
class TimerService {
public:
    virtual ~TimerService() = default;
    virtual void start(TimerId id, Clock::Duration nominalPeriod) = 0;
    virtual void stop(TimerId id) = 0;
};

// Runs work on the user-interface thread, after what is already queued there.
class Dispatcher {
public:
    virtual ~Dispatcher() = default;
    virtual void post(std::function<void()> task) = 0;
};

} // namespace zka
