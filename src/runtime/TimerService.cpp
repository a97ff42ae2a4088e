#include "runtime/TimerService.h"

#include <utility>

namespace zka {

TimerHandle::TimerHandle(TimerHandle&& other) noexcept
    : service_(std::exchange(other.service_, nullptr))
    , id_(std::exchange(other.id_, 0))
{
}

TimerHandle& TimerHandle::operator=(TimerHandle&& other) noexcept
{
    if (this != &other) {
        release();
        service_ = std::exchange(other.service_, nullptr);
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

TimerHandle::~TimerHandle()
{
    release();
}

void TimerHandle::start(Clock::Duration nominalPeriod) const
{
    if (service_ != nullptr)
        service_->armTimer(id_, nominalPeriod);
}

void TimerHandle::stop() const
{
    if (service_ != nullptr)
        service_->disarmTimer(id_);
}

bool TimerHandle::running() const
{
    return service_ != nullptr && service_->timerArmed(id_);
}

void TimerHandle::release() noexcept
{
    if (service_ == nullptr)
        return;
    try {
        service_->releaseTimer(id_);
    } catch (...) {
        // Only a failed allocation while carrying the stop over; the callback is forgotten anyway.
    }
    service_->forget(id_);
    service_ = nullptr;
}

TimerHandle TimerService::makeTimer(std::function<void()> onTick)
{
    const TimerId id = nextId_.fetch_add(1);
    {
        std::lock_guard lock(callbacksMutex_);
        callbacks_[id] = std::make_shared<const std::function<void()>>(std::move(onTick));
    }
    return TimerHandle(*this, id);
}

TimerHandle TimerService::startTimer(Clock::Duration nominalPeriod, std::function<void()> onTick)
{
    TimerHandle handle = makeTimer(std::move(onTick));
    handle.start(nominalPeriod);
    return handle;
}

bool TimerService::deliverTick(TimerId id)
{
    std::shared_ptr<const std::function<void()>> callback;
    {
        std::lock_guard lock(callbacksMutex_);
        const auto found = callbacks_.find(id);
        if (found == callbacks_.end())
            return false;
        callback = found->second;
    }
    // Outside the lock: the callback may make or drop timers.
    if (*callback)
        (*callback)();
    return true;
}

void TimerService::forget(TimerId id)
{
    std::lock_guard lock(callbacksMutex_);
    callbacks_.erase(id);
}

} // namespace zka
