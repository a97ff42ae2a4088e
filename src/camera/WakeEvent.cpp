#include "camera/WakeEvent.h"

namespace zka {

void WakeEvent::raise()
{
    {
        std::lock_guard lock(mutex_);
        raised_ = true;
    }
    changed_.notify_all();
}

void WakeEvent::reset()
{
    std::lock_guard lock(mutex_);
    raised_ = false;
}

bool WakeEvent::wait(std::stop_token stop)
{
    std::unique_lock lock(mutex_);
    if (!changed_.wait(lock, stop, [this] { return raised_; }))
        return false;
    raised_ = false;
    return true;
}

bool WakeEvent::waitFor(const Clock& clock, Clock::Duration nominal, std::stop_token stop)
{
    const auto deadline = std::chrono::steady_clock::now() + clock.toReal(nominal);
    std::unique_lock lock(mutex_);
    if (!changed_.wait_until(lock, stop, deadline, [this] { return raised_; }))
        return false;
    raised_ = false;
    return true;
}

} // namespace zka
