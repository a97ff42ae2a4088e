#pragma once

#include "runtime/TimerService.h"

#include <functional>
#include <memory>
#include <stop_token>
#include <thread>

namespace zka {

// Runs one blocking piece of work at a time on a thread of its own and continues on the
// user-interface thread through the Dispatcher, so that the user-interface thread never waits on
// the network or on a sleep. All members are called on the user-interface thread. A continuation
// never runs after cancel() or after the job object is gone.
class BackgroundJob final {
public:
    explicit BackgroundJob(Dispatcher& dispatcher);
    ~BackgroundJob();
    BackgroundJob(const BackgroundJob&) = delete;
    BackgroundJob& operator=(const BackgroundJob&) = delete;

    // Starts work; once it returns, done runs on the user-interface thread. Returns false, starting
    // nothing, while an earlier job has not continued yet. An exception that leaves work ends it
    // early; done runs all the same.
    bool run(std::function<void(std::stop_token)> work, std::function<void()> done);
    // True from run() until its continuation has begun.
    bool busy() const { return busy_; }
    // Stops the work (every wait in it is interruptible), joins it and drops its continuation.
    void cancel();

private:
    Dispatcher& dispatcher_;
    bool busy_ = false;
    // Identifies the current job; a continuation whose token has expired is dropped.
    std::shared_ptr<int> token_;
    std::jthread thread_;
};

} // namespace zka
