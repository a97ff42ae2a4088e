#include "camsim/Scheduler.h"

namespace zka::camsim {

Scheduler::Scheduler()
    : thread_([this](std::stop_token stop) { run(stop); })
{
}

Scheduler::~Scheduler()
{
    stop();
}

void Scheduler::post(TimePoint due, std::function<void()> action)
{
    {
        std::lock_guard lock(mutex_);
        actions_.emplace(due, std::move(action));
    }
    wake_.notify_all();
}

void Scheduler::stop()
{
    if (thread_.joinable()) {
        thread_.request_stop();
        thread_.join();
    }
    std::lock_guard lock(mutex_);
    actions_.clear();
}

void Scheduler::run(std::stop_token stop)
{
    std::unique_lock lock(mutex_);
    while (!stop.stop_requested()) {
        if (actions_.empty()) {
            wake_.wait(lock, stop, [this] { return !actions_.empty(); });
            continue;
        }
        const auto due = actions_.begin()->first;
        if (std::chrono::steady_clock::now() < due) {
            // Wakes early for a stop or for a newly posted action that is due sooner.
            wake_.wait_until(lock, stop, due, [&] { return actions_.empty() || actions_.begin()->first < due; });
            continue;
        }
        auto action = std::move(actions_.begin()->second);
        actions_.erase(actions_.begin());
        lock.unlock();
        action();
        lock.lock();
    }
}

} // namespace zka::camsim
