#include "app/QtTimerService.h"

#include <algorithm>
#include <cmath>

namespace zka {

QtTimerService::QtTimerService(const Clock& clock, TimerHandler handler)
    : clock_(clock)
    , handler_(std::move(handler))
{
}

QtTimerService::~QtTimerService() = default;

void QtTimerService::setTimerHandler(TimerHandler handler)
{
    handler_ = std::move(handler);
}

void QtTimerService::start(TimerId id, Clock::Duration nominalPeriod)
{
    submit(Command{id, nominalPeriod});
}

void QtTimerService::stop(TimerId id)
{
    submit(Command{id, std::nullopt});
}

bool QtTimerService::isRunning(TimerId id)
{
    applyQueued();
    const auto found = timers_.find(id);
    return found != timers_.end() && found->second->isActive();
}

int QtTimerService::realIntervalMs(TimerId id)
{
    return isRunning(id) ? timers_.at(id)->interval() : 0;
}

void QtTimerService::submit(Command command)
{
    if (dispatcher_.onUiThread()) {
        // Calls carried over from other threads came first; they take effect first.
        applyQueued();
        apply(command);
        return;
    }
    {
        std::lock_guard lock(mutex_);
        queued_.push_back(command);
    }
    dispatcher_.post([this] { applyQueued(); });
}

void QtTimerService::applyQueued()
{
    for (;;) {
        Command command;
        {
            std::lock_guard lock(mutex_);
            if (queued_.empty())
                return;
            command = queued_.front();
            queued_.pop_front();
        }
        apply(command);
    }
}

void QtTimerService::apply(const Command& command)
{
    auto& timer = timers_[command.id];
    if (!command.period) {
        if (timer)
            timer->stop();
        return;
    }
    if (!timer) {
        timer = std::make_unique<QTimer>();
        timer->setTimerType(Qt::PreciseTimer);
        const TimerId id = command.id;
        QObject::connect(timer.get(), &QTimer::timeout, timer.get(), [this, id] { tick(id); });
    }
    // A zero interval would mean "whenever idle"; the shortest real period is one millisecond.
    const double realMs = std::chrono::duration<double, std::milli>(clock_.toReal(*command.period)).count();
    const int interval = static_cast<int>(std::clamp(std::lround(realMs), 1L, 24L * 3600 * 1000));
    timer->start(interval); // restarts a running timer with the new period
}

void QtTimerService::tick(TimerId id)
{
    if (delivering_) {
        if (std::find(heldBack_.begin(), heldBack_.end(), id) == heldBack_.end())
            heldBack_.push_back(id);
        return;
    }
    struct Delivering {
        bool& flag;
        explicit Delivering(bool& f) : flag(f) { flag = true; }
        ~Delivering() { flag = false; }
    } guard(delivering_);

    if (handler_)
        handler_(id);
    while (!heldBack_.empty()) {
        const TimerId next = heldBack_.front();
        heldBack_.erase(heldBack_.begin());
        const auto found = timers_.find(next);
        if (found != timers_.end() && found->second->isActive() && handler_)
            handler_(next);
    }
}

} // namespace zka
