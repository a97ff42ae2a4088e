#pragma once

#include "discovery/DiscoveryTable.h"
#include "discovery/Enquiry.h"
#include "discovery/SocketCalls.h"
#include "runtime/Clock.h"
#include "runtime/Prompter.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>

namespace zka {

// Owns the discovery socket and the listener thread that receives camera replies into a
// DiscoveryTable. Fatal socket failures print an "Error : " line to standard output and end the
// process with statuses 1 to 5; how the process ends is injectable so tests can observe it.
class DiscoveryListener final {
public:
    struct Environment {
        const Clock& clock;
        Prompter& prompter;
        // Ends the process with a status; by default flushes the standard streams and calls std::exit.
        std::function<void(int status)> exitProcess = {};
        // Where enquiries go. The default is the limited broadcast on the discovery port.
        std::string destinationAddress = "255.255.255.255";
        std::uint16_t destinationPort = kDiscoveryPort;
        // Called on the listener's thread after its last act, e.g. to wake the owner's event loop
        // instead of making it poll.
        std::function<void()> finished = {};
        // The system calls; null: the real ones.
        SocketCalls* calls = nullptr;
    };

    static constexpr std::size_t kReceiveLimit = 1072;
    // Room asked for the replies to one broadcast: 256 full-size replies with the kernel's overhead.
    static constexpr int kReceiveBufferBytes = 1 << 20;
    static constexpr Clock::Duration kReceiveTimeout{5};
    static constexpr Clock::Duration kStopPollPeriod{10};

    explicit DiscoveryListener(Environment environment);
    // Stops the listener (see stop()) and joins its thread.
    ~DiscoveryListener();
    DiscoveryListener(const DiscoveryListener&) = delete;
    DiscoveryListener& operator=(const DiscoveryListener&) = delete;

    // Opens the socket (broadcast allowed, short receive time-out, any address, a port of the
    // system's choice) and starts the listener thread on table. Call once. When no thread can be
    // started, "Error : Create Thread" is printed, the socket is closed and discovery counts as
    // finished at once, with an empty table.
    void startDiscovery(DiscoveryTable& table);
    // Sends one datagram to the destination. 0 on success, -1 on failure; a failure leaves the
    // socket open, so the listener and later enquiries go on.
    int sendEnquiry(const std::uint8_t* bytes, std::size_t length);
    // Asks a running listener to stop and waits, checking every 10 ms (nominal), until it has
    // acknowledged; then joins it. Quick: the listener checks the request at every receive time-out.
    void stop();

    // The local port the cameras answer to; 0 when no socket is open.
    std::uint16_t localPort() const;

private:
    void listen(int fd, std::stop_token stopToken);
    void receiveFailed();
    // Closes the socket if open; false when the close itself failed.
    bool closeSocket();

    Environment environment_;
    SocketCalls& calls_;
    DiscoveryTable* table_ = nullptr;
    // The socket is sent on from the owner's thread and closed by the listener: the mutex keeps a
    // send from ever using a closed (or reused) descriptor.
    mutable std::mutex socketMutex_;
    int socket_ = -1;
    std::uint16_t localPort_ = 0;
    std::jthread thread_;
};

} // namespace zka
