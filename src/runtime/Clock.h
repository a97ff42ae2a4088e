#pragma once

#include <chrono>
#include <stop_token>

namespace zka {

// Every wait, time-out and timer period of the core goes through a Clock. Durations given to it are
// nominal (what the procedure means by "60 s"); the clock maps them to real time through its time
// scale, so tests and demos can run the whole procedure at, say, 0.01.
class Clock {
public:
    using Duration = std::chrono::milliseconds;
    using TimePoint = std::chrono::steady_clock::time_point;

    virtual ~Clock() = default;

    // Nominal time since an arbitrary origin: real elapsed time divided by the time scale.
    virtual TimePoint now() const = 0;
    // Calendar time, never scaled: upload boundaries and backup folder names are real dates.
    virtual std::chrono::system_clock::time_point wallTime() const = 0;
    // Sleeps for a nominal duration. Returns false when the stop token was raised before the end.
    virtual bool sleepFor(Duration nominal, std::stop_token stop = {}) const = 0;
    // The real duration that a nominal one lasts on this clock.
    virtual std::chrono::nanoseconds toReal(Duration nominal) const = 0;
    virtual double timeScale() const = 0;
};

// The clock of real use (scale 1) and of scaled runs.
class SystemClock final : public Clock {
public:
    explicit SystemClock(double timeScale = 1.0);

    TimePoint now() const override;
    std::chrono::system_clock::time_point wallTime() const override;
    bool sleepFor(Duration nominal, std::stop_token stop = {}) const override;
    std::chrono::nanoseconds toReal(Duration nominal) const override;
    double timeScale() const override { return scale_; }

private:
    double scale_;
    std::chrono::steady_clock::time_point origin_ = std::chrono::steady_clock::now();
};

// Parses a time scale given on a command line: a positive finite number. Returns 0 when invalid.
double parseTimeScale(const char* text);

} // namespace zka
