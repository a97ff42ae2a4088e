#pragma once

#include "runtime/TimerService.h"

#include <atomic>
#include <csignal>
#include <stop_token>
#include <thread>

namespace zka::cli {

// Counts SIGINT and SIGTERM while it lives, instead of letting them end the process, and wakes the
// user-interface thread (an empty task posted to its dispatcher) for each. Make it before any other
// thread starts: the signals are blocked in every thread made afterwards, and only its own thread
// takes them. Destroying it stops and joins that thread and restores the signal mask.
class SignalWatch final {
public:
    explicit SignalWatch(Dispatcher& dispatcher);
    ~SignalWatch();
    SignalWatch(const SignalWatch&) = delete;
    SignalWatch& operator=(const SignalWatch&) = delete;

    // How many signals came so far.
    int count() const { return count_.load(); }

private:
    void run(std::stop_token stop);

    Dispatcher& dispatcher_;
    sigset_t previousMask_{};
    int signalFd_ = -1;
    int wakeFd_ = -1;
    std::atomic<int> count_{0};
    // Declared last: stopped and joined before the descriptors it reads are closed.
    std::jthread thread_;
};

} // namespace zka::cli
