#include "runtime/TimeLimit.h"

#include <algorithm>

namespace zka {

Clock::Duration withRealFloor(const Clock& clock, Clock::Duration nominal)
{
    constexpr double kFloorMs = 1000.0;
    const auto floor = std::chrono::duration<double, std::milli>(kFloorMs / clock.timeScale());
    return std::max(nominal, std::chrono::duration_cast<Clock::Duration>(floor));
}

} // namespace zka
