#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

namespace zka::camsim {

// Runs timed actions of the whole fleet (the end of a flash, the end of a reboot) one after another on
// a thread of its own. stop() drops the actions not yet due and joins the thread.
class Scheduler final {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    Scheduler();
    ~Scheduler();
    Scheduler(const Scheduler&) = delete;
    Scheduler& operator=(const Scheduler&) = delete;

    void post(TimePoint due, std::function<void()> action);
    void stop();

private:
    void run(std::stop_token stop);

    std::mutex mutex_;
    std::condition_variable_any wake_;
    std::multimap<TimePoint, std::function<void()>> actions_;
    std::jthread thread_; // last: started once the members above exist
};

} // namespace zka::camsim
