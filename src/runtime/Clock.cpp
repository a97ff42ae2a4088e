#include "runtime/Clock.h"

#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <mutex>

namespace zka {

SystemClock::SystemClock(double timeScale)
    : scale_(timeScale > 0.0 && std::isfinite(timeScale) ? timeScale : 1.0)
{
}

Clock::TimePoint SystemClock::now() const
{
    const auto real = std::chrono::steady_clock::now() - origin_;
    const auto nominal = std::chrono::duration<double, std::nano>(real.count() / scale_);
    return origin_ + std::chrono::duration_cast<std::chrono::nanoseconds>(nominal);
}

std::chrono::system_clock::time_point SystemClock::wallTime() const
{
    return std::chrono::system_clock::now();
}

std::chrono::nanoseconds SystemClock::toReal(Duration nominal) const
{
    const double ns = std::chrono::duration<double, std::nano>(nominal).count() * scale_;
    return std::chrono::nanoseconds(static_cast<long long>(ns));
}

bool SystemClock::sleepFor(Duration nominal, std::stop_token stop) const
{
    const auto deadline = std::chrono::steady_clock::now() + toReal(nominal);
    if (!stop.stop_possible()) {
        std::this_thread::sleep_until(deadline);
        return true;
    }
    std::mutex mutex;
    std::condition_variable_any wake;
    std::unique_lock lock(mutex);
    // wait_until returns the predicate: true only when the stop came first.
    return !wake.wait_until(lock, stop, deadline, [] { return false; });
}

double parseTimeScale(const char* text)
{
    if (text == nullptr || *text == '\0')
        return 0.0;
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (*end != '\0' || !std::isfinite(value) || value <= 0.0)
        return 0.0;
    return value;
}

} // namespace zka
