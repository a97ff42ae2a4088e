#include "camera/ProcedureGate.h"

namespace zka {

bool ProcedureGate::publish(const std::function<void()>& write)
{
    std::lock_guard lock(mutex_);
    if (abandoned_)
        return false;
    write();
    return true;
}

bool ProcedureGate::decide(const std::function<bool()>& decide)
{
    std::lock_guard lock(mutex_);
    if (abandoned_)
        return false;
    if (decide())
        finishClaimed_ = true;
    return true;
}

bool ProcedureGate::enter(ProcedurePhase phase)
{
    std::lock_guard lock(mutex_);
    if (abandoned_)
        return false;
    phase_ = phase;
    if (phase != ProcedurePhase::Idle)
        lastWorkingPhase_ = phase;
    return true;
}

bool ProcedureGate::claimFinish(const std::function<void()>& write)
{
    std::lock_guard lock(mutex_);
    if (abandoned_)
        return false;
    if (write)
        write();
    finishClaimed_ = true;
    return true;
}

bool ProcedureGate::abandonIn(ProcedurePhase phase)
{
    std::lock_guard lock(mutex_);
    if (abandoned_ || finishClaimed_ || phase_ != phase)
        return false;
    abandoned_ = true;
    return true;
}

void ProcedureGate::abandon()
{
    std::lock_guard lock(mutex_);
    abandoned_ = true;
}

ProcedurePhase ProcedureGate::phase() const
{
    std::lock_guard lock(mutex_);
    return phase_;
}

ProcedurePhase ProcedureGate::lastWorkingPhase() const
{
    std::lock_guard lock(mutex_);
    return lastWorkingPhase_;
}

bool ProcedureGate::abandoned() const
{
    std::lock_guard lock(mutex_);
    return abandoned_;
}

bool ProcedureGate::finishClaimed() const
{
    std::lock_guard lock(mutex_);
    return finishClaimed_;
}

} // namespace zka
