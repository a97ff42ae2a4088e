#include "runtime/EventLoop.h"

namespace zka {

using SteadyClock = std::chrono::steady_clock;

EventLoop::EventLoop(const Clock& clock)
    : clock_(clock)
{
}

void EventLoop::post(std::function<void()> task)
{
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    wake_.notify_all();
}

void EventLoop::armTimer(TimerId id, Clock::Duration nominalPeriod)
{
    const auto period = std::max<std::chrono::nanoseconds>(clock_.toReal(nominalPeriod), std::chrono::microseconds(100));
    {
        std::lock_guard lock(mutex_);
        timers_[id] = Timer{period, SteadyClock::now() + period};
    }
    wake_.notify_all();
}

void EventLoop::disarmTimer(TimerId id)
{
    std::unique_lock lock(mutex_);
    timers_.erase(id);
    // A tick of this timer chosen before the stop may still be on its way to the handler; from
    // another thread, wait until it is through. The delivering thread itself never waits.
    delivered_.wait(lock, [&] { return delivering_ != id || deliveringThread_ == std::this_thread::get_id(); });
}

bool EventLoop::timerArmed(TimerId id)
{
    std::lock_guard lock(mutex_);
    return timers_.count(id) != 0;
}

std::size_t EventLoop::runningTimerCount() const
{
    std::lock_guard lock(mutex_);
    return timers_.size();
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
                deliver(id, lock);
                return true;
            }
            next = std::min(next, timer.due);
        }
        if (now >= deadline)
            return false;
        wake_.wait_until(lock, next);
    }
}

void EventLoop::deliver(TimerId id, std::unique_lock<std::mutex>& lock)
{
    delivering_ = id;
    deliveringThread_ = std::this_thread::get_id();
    lock.unlock();
    struct Delivered {
        EventLoop& loop;
        ~Delivered()
        {
            {
                std::lock_guard relock(loop.mutex_);
                loop.delivering_.reset();
                loop.deliveringThread_ = {};
            }
            loop.delivered_.notify_all();
        }
    } delivered{*this};
    deliverTick(id);
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
