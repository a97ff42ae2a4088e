#pragma once

#include "http/QueryRequest.h"
#include "runtime/Clock.h"

#include <atomic>
#include <stop_token>
#include <string>
#include <thread>

namespace zka {

// The polled query of a camera client: started on a thread of its own, asked whether it has
// finished, its reply read once it has. Reused by every later query of the client. Not itself
// thread-safe: the client calls it under a lock.
class AsyncQuery final {
public:
    AsyncQuery() = default;
    ~AsyncQuery();
    AsyncQuery(const AsyncQuery&) = delete;
    AsyncQuery& operator=(const AsyncQuery&) = delete;

    // Stops and joins a query still running, then starts this one and records the start time. The
    // query also ends when clientStop is raised.
    void start(QueryRequest request, const Clock& clock, std::stop_token clientStop);
    bool started() const { return started_; }
    bool finished() const { return started_ && finished_.load(std::memory_order_acquire); }
    // The reply text once the query has finished, empty before.
    std::string reply() const;
    int result() const;
    Clock::TimePoint startTime() const { return startTime_; }
    // Stops the query in flight and joins its thread; what it wrote after that is never read.
    void abandon();

private:
    QueryRequest request_;
    Clock::TimePoint startTime_{};
    bool started_ = false;
    bool abandoned_ = false;
    std::atomic<bool> finished_{false};
    std::stop_source stop_;
    std::jthread worker_;
};

} // namespace zka
