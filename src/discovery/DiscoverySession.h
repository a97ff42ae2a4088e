#pragma once

#include "discovery/DiscoveryListener.h"
#include "discovery/DiscoveryTable.h"
#include "runtime/TimerService.h"

#include <memory>

namespace zka {

// One run of discovery as the owner window drives it: start the listener and send the enquiry,
// send it again on the first tick of the discovery timer (5 s), ask the listener to stop on the
// second (10 s). Runs on the owner's thread, which delivers the timer's ticks; only the listener
// inside runs on a thread of its own.
class DiscoverySession final {
public:
    static constexpr Clock::Duration kTimerPeriod{5000};

    DiscoverySession(DiscoveryTable& table, TimerService& timers, DiscoveryListener::Environment environment);
    // Cancels a discovery still in progress (see cancel()).
    ~DiscoverySession();
    DiscoverySession(const DiscoverySession&) = delete;
    DiscoverySession& operator=(const DiscoverySession&) = delete;

    // Starts the listener on the table, starts the discovery timer and sends the first enquiry.
    void start();
    // Stops the timer, stops a running listener (waiting for its acknowledgement) and frees it.
    void cancel();
    // True once the listener is not running: after the stop, a cancel, or a failed start.
    bool finished() const;
    int sendCount() const { return sendCount_; }

private:
    void sendEnquiry();
    void onTick();

    DiscoveryTable& table_;
    TimerService& timers_;
    DiscoveryListener::Environment environment_;
    std::unique_ptr<DiscoveryListener> listener_;
    int sendCount_ = 0;
    TimerHandle timer_;
};

} // namespace zka
