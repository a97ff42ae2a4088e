#pragma once

#include "camsim/StopSignal.h"

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace zka::camsim {

// The UDP side of the whole fleet: one socket on INADDR_ANY:2380 (SO_REUSEADDR, SO_BROADCAST). For
// each exact enquiry it asks the fleet what to send and sends every datagram to the enquirer, each
// FROM its camera's own address (IP_PKTINFO), as separate cameras would.
class DiscoveryResponder final {
public:
    struct Datagram {
        std::string source; // the camera's own address, dotted
        std::string bytes;
    };
    // Given the enquiry's destination address (dotted; a broadcast, or one camera's address), the
    // datagrams to send in answer.
    using Answers = std::function<std::vector<Datagram>(const std::string& destination)>;

    DiscoveryResponder(Answers answers, std::stop_token fleetStop);
    ~DiscoveryResponder();
    DiscoveryResponder(const DiscoveryResponder&) = delete;
    DiscoveryResponder& operator=(const DiscoveryResponder&) = delete;

    bool start(std::string& error);
    void stop();
    int enquiriesReceived() const { return enquiries_.load(); }

private:
    void run();
    void answer(const std::string& destination, const void* to, unsigned toLength);

    Answers answers_;
    StopSignal stop_;
    int socket_ = -1;
    std::atomic<int> enquiries_{0};
    std::jthread thread_;
};

} // namespace zka::camsim
