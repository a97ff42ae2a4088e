#include "discovery/DiscoverySession.h"

#include "discovery/Enquiry.h"

namespace zka {

DiscoverySession::DiscoverySession(DiscoveryTable& table, TimerService& timers,
                                   DiscoveryListener::Environment environment)
    : table_(table)
    , timers_(timers)
    , environment_(std::move(environment))
{
}

DiscoverySession::~DiscoverySession()
{
    cancel();
}

void DiscoverySession::start()
{
    if (listener_)
        return;
    listener_ = std::make_unique<DiscoveryListener>(environment_);
    listener_->startDiscovery(table_);
    sendCount_ = 0;
    timer_ = timers_.startTimer(kTimerPeriod, [this] { onTick(); });
    sendEnquiry();
}

void DiscoverySession::onTick()
{
    if (sendCount_ == 0) {
        sendEnquiry();
        sendCount_ = 1;
    } else {
        // The listener notices within one receive time-out; nothing waits for it here.
        timer_ = {};
        table_.setStopRequested(true);
    }
}

void DiscoverySession::cancel()
{
    timer_ = {};
    if (listener_) {
        listener_->stop();
        listener_.reset();
    }
}

bool DiscoverySession::finished() const
{
    return !table_.listenerRunning();
}

void DiscoverySession::sendEnquiry()
{
    // A failed send has already been reported; discovery goes on and ends on its timer as usual.
    listener_->sendEnquiry(kDiscoveryEnquiry.data(), kDiscoveryEnquiry.size());
}

} // namespace zka
