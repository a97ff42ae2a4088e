#include "ui/widgets/ScaledInterval.h"

#include <QTimer>

#include <algorithm>
#include <chrono>

namespace zka {

void setScaledInterval(QTimer& timer, const Clock& clock, Clock::Duration nominal)
{
    const auto real = std::chrono::duration_cast<std::chrono::milliseconds>(clock.toReal(nominal)).count();
    timer.setInterval(int(std::clamp<long long>(real, 1, 24LL * 3600 * 1000)));
}

} // namespace zka
