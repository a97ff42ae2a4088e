#include "ui/seams/QtTimerService.h"

#include <algorithm>
#include <cmath>

namespace zka {

QtTimerService::QtTimerService(const Clock& clock)
    : clock_(clock)
{
}

QtTimerService::~QtTimerService() = default;

void QtTimerService::armTimer(TimerId id, Clock::Duration nominalPeriod)
{
    submit(Command{id, nominalPeriod});
}

void QtTimerService::disarmTimer(TimerId id)
{
    submit(Command{id, std::nullopt});
}

void QtTimerService::releaseTimer(TimerId id)
{
    submit(Command{id, std::nullopt, 0, true});
}

bool QtTimerService::timerArmed(TimerId id)
{
    applyQueued();
    const auto found = timers_.find(id);
    return found != timers_.end() && found->second.timer && found->second.timer->isActive();
}

int QtTimerService::realIntervalMs(const TimerHandle& timer)
{
    return timerArmed(timer.id()) ? timers_.at(timer.id()).timer->interval() : 0;
}

void QtTimerService::submit(Command command)
{
    {
        // The new generation counts from here on, before the QTimer itself is touched: ticks of
        // what ran before are not delivered any more. Numbering and queueing under one lock keeps
        // the queue in generation order, whichever threads call.
        std::lock_guard lock(mutex_);
        command.generation = ++latest_[command.id];
        queued_.push_back(command);
    }
    if (dispatcher_.onUiThread()) {
        // Calls carried over from other threads came first; they take effect first.
        applyQueued();
        return;
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
    if (command.release) {
        const auto found = timers_.find(command.id);
        if (found != timers_.end() && found->second.timer) {
            found->second.timer->stop();
            found->second.timer.release()->deleteLater();
        }
        if (found != timers_.end())
            timers_.erase(found);
        std::lock_guard lock(mutex_);
        latest_.erase(command.id);
        return;
    }
    Slot& slot = timers_[command.id];
    if (!command.period) {
        if (slot.timer)
            slot.timer->stop();
        return;
    }
    if (!slot.timer) {
        slot.timer = std::make_unique<QTimer>();
        slot.timer->setTimerType(Qt::PreciseTimer);
        const TimerId id = command.id;
        QObject::connect(slot.timer.get(), &QTimer::timeout, slot.timer.get(), [this, id] { tick(id); });
    }
    // A zero interval would mean "whenever idle"; the shortest real period is one millisecond.
    const double realMs = std::chrono::duration<double, std::milli>(clock_.toReal(*command.period)).count();
    const int interval = static_cast<int>(std::clamp(std::lround(realMs), 1L, 24L * 3600 * 1000));
    slot.generation = command.generation;
    slot.timer->start(interval); // restarts a running timer with the new period
}

bool QtTimerService::current(TimerId id)
{
    const auto found = timers_.find(id);
    if (found == timers_.end() || !found->second.timer || !found->second.timer->isActive())
        return false;
    std::lock_guard lock(mutex_);
    return latest_[id] == found->second.generation;
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

    if (current(id))
        deliver(id);
    while (!heldBack_.empty()) {
        const TimerId next = heldBack_.front();
        heldBack_.erase(heldBack_.begin());
        if (current(next))
            deliver(next);
    }
}

void QtTimerService::deliver(TimerId id)
{
    deliverTick(id);
}

} // namespace zka
