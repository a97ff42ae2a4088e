#include "runtime/EventLoop.h"

namespace zka {

using SteadyClock = std::chrono::steady_clock;

EventLoop::EventLoop(const Clock& clock, TimerHandler handler)
    : clock_(clock)
    , handler_(std::move(handler))
{
}

void EventLoop::setTimerHandler(TimerHandler handler)
{
    std::lock_guard lock(mutex_);
    handler_ = std::move(handler);
}

void EventLoop::post(std::function<void()> task)
{
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    wake_.notify_all();
}

void EventLoop::start(TimerId id, Clock::Duration nominalPeriod)
{
    const auto period = std::max<std::chrono::nanoseconds>(clock_.toReal(nominalPeriod), std::chrono::microseconds(100));
    {
        std::lock_guard lock(mutex_);
        timers_[id] = Timer{period, SteadyClock::now() + period};
    }
    wake_.notify_all();
}

void EventLoop::stop(TimerId id)
{
    std::lock_guard lock(mutex_);
    timers_.erase(id);
}

bool EventLoop::isRunning(TimerId id) const
{
    std::lock_guard lock(mutex_);
    return timers_.count(id) != 0;
}

void EventLoop::quit()
{
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
}

bool EventLoop::processOne(SteadyClock::time_point deadline)
{
    std::unique_lock lock(mutex_);
    for (;;) {
        if (quit_)
            return false;
        if (!tasks_.empty()) {
            auto task = std::move(tasks_.front());
            tasks_.pop_front();
            lock.unlock();
            task();
            return true;
        }
        auto next = deadline;
        const auto now = SteadyClock::now();
        for (auto& [id, timer] : timers_) {
            if (timer.due <= now) {
                // A late timer ticks once and is rescheduled from now: ticks never come in a burst.
                timer.due = now + timer.period;
                const TimerId due = id;
                auto handler = handler_;
                lock.unlock();
                if (handler)
                    handler(due);
                return true;
            }
            next = std::min(next, timer.due);
        }
        if (now >= deadline)
            return false;
        wake_.wait_until(lock, next);
    }
}

void EventLoop::run()
{
    while (processOne(SteadyClock::time_point::max())) {
    }
    std::lock_guard lock(mutex_);
    quit_ = false;
}

bool EventLoop::runUntil(const std::function<bool()>& done, Clock::Duration nominalTimeout)
{
    const auto deadline = SteadyClock::now() + clock_.toReal(nominalTimeout);
    while (!done()) {
        if (!processOne(deadline))
            break;
    }
    {
        std::lock_guard lock(mutex_);
        quit_ = false;
    }
    // Outside the lock: the predicate may ask the loop about its timers.
    return done();
}

} // namespace zka
