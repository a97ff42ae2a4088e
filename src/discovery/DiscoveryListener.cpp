#include "discovery/DiscoveryListener.h"

#include "discovery/ReplyParser.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <system_error>

namespace zka {

namespace {

void printDiagnostic(const char* text)
{
    std::fputs(text, stdout);
    std::fflush(stdout);
}

void exitAfterFlush(int status)
{
    std::fflush(nullptr);
    std::exit(status);
}

} // namespace

DiscoveryListener::DiscoveryListener(Environment environment)
    : environment_(std::move(environment))
    , calls_(environment_.calls != nullptr ? *environment_.calls : SocketCalls::system())
{
    if (!environment_.exitProcess)
        environment_.exitProcess = exitAfterFlush;
}

DiscoveryListener::~DiscoveryListener()
{
    stop();
}

void DiscoveryListener::startDiscovery(DiscoveryTable& table)
{
    table_ = &table;
    const int fd = calls_.openSocket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        printDiagnostic("Error : Create Socket\n");
        environment_.exitProcess(1);
        return;
    }
    {
        std::lock_guard lock(socketMutex_);
        socket_ = fd;
    }

    // Unchecked on purpose: without broadcast permission the enquiry fails and says so itself.
    const int on = 1;
    calls_.setOption(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    // Every camera of the segment answers the broadcast at once. The default receive buffer holds
    // fewer replies than a full table; a larger one (as large as the system allows) keeps a burst of
    // replies from being dropped while this thread is not scheduled. Unchecked: the default still works.
    const int receiveBuffer = kReceiveBufferBytes;
    calls_.setOption(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);

    // The receive time-out only bounds how long a stop request waits; below a millisecond (small
    // time scales) it would just spin, so it never goes under that.
    const auto timeout = std::max<std::chrono::nanoseconds>(environment_.clock.toReal(kReceiveTimeout),
                                                            std::chrono::milliseconds(1));
    timeval tv{};
    tv.tv_sec = static_cast<time_t>(std::chrono::duration_cast<std::chrono::seconds>(timeout).count());
    tv.tv_usec = static_cast<suseconds_t>(std::chrono::duration_cast<std::chrono::microseconds>(timeout).count() % 1000000);
    if (calls_.setOption(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv) != 0) {
        printDiagnostic("Error : Set Socket Option\n");
        closeSocket();
        environment_.exitProcess(2);
        return;
    }

    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    local.sin_port = 0;
    if (calls_.bindTo(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        printDiagnostic("Error : Bind\n");
        closeSocket();
        environment_.exitProcess(3);
        return;
    }
    socklen_t length = sizeof local;
    if (calls_.localAddress(fd, reinterpret_cast<sockaddr*>(&local), &length) == 0) {
        std::lock_guard lock(socketMutex_);
        localPort_ = ntohs(local.sin_port);
    }

    table.setStopRequested(false);
    // Set before the thread exists, so no reader ever sees "finished" between start and first receive.
    table.setListenerRunning(true);
    try {
        thread_ = calls_.startThread([this, fd](std::stop_token stopToken) { listen(fd, stopToken); });
    } catch (const std::system_error&) {
        // Without a listener nothing would ever clear the flag, and a stop would wait for ever.
        printDiagnostic("Error : Create Thread\n");
        closeSocket();
        table.setListenerRunning(false);
    }
}

int DiscoveryListener::sendEnquiry(const std::uint8_t* bytes, std::size_t length)
{
    sockaddr_in destination{};
    destination.sin_family = AF_INET;
    destination.sin_port = htons(environment_.destinationPort);
    const bool addressValid = ::inet_pton(AF_INET, environment_.destinationAddress.c_str(), &destination.sin_addr) == 1;

    std::lock_guard lock(socketMutex_);
    if (socket_ < 0 || !addressValid ||
        calls_.sendTo(socket_, bytes, length, 0, reinterpret_cast<const sockaddr*>(&destination), sizeof destination) !=
            static_cast<ssize_t>(length)) {
        printDiagnostic("Error : sendto\n");
        return -1;
    }
    return 0;
}

void DiscoveryListener::stop()
{
    if (table_ != nullptr && table_->listenerRunning()) {
        table_->setStopRequested(true);
        while (table_->listenerRunning())
            environment_.clock.sleepFor(kStopPollPeriod);
    }
    if (thread_.joinable())
        thread_.join();
}

std::uint16_t DiscoveryListener::localPort() const
{
    std::lock_guard lock(socketMutex_);
    return socket_ < 0 ? 0 : localPort_;
}

void DiscoveryListener::listen(int fd, std::stop_token stopToken)
{
    // One byte more than the largest datagram, always zero: the contents always read as a string.
    std::array<std::uint8_t, kReceiveLimit + 1> buffer{};
    try {
        for (;;) {
            buffer.fill(0);
            if (table_->stopRequested() || stopToken.stop_requested())
                break;
            // MSG_TRUNC makes the result the datagram's real length, so an oversized one is
            // recognised instead of being parsed cut short.
            const ssize_t received = calls_.receive(fd, buffer.data(), kReceiveLimit, MSG_TRUNC);
            if (received < 0) {
                if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
                    continue;
                receiveFailed();
                break;
            }
            if (static_cast<std::size_t>(received) > kReceiveLimit)
                continue;
            dispatchDatagram(std::span<const std::uint8_t>(buffer.data(), static_cast<std::size_t>(received)),
                             *table_);
        }
    } catch (...) {
        // The "Network NG" box could not be shown; the listener ends all the same, and says so.
    }
    if (!closeSocket()) {
        printDiagnostic("Error : Close Socket\n");
        environment_.exitProcess(5);
    }
    table_->setStopRequested(false);
    table_->setListenerRunning(false);
    if (environment_.finished)
        environment_.finished();
}

void DiscoveryListener::receiveFailed()
{
    printDiagnostic("Error : recvfrom\n");
    closeSocket();
    environment_.prompter.show(Message{"Network NG", "Information", MessageIcon::Error, MessageButtons::Ok});
    environment_.exitProcess(4);
}

bool DiscoveryListener::closeSocket()
{
    std::lock_guard lock(socketMutex_);
    if (socket_ < 0)
        return true;
    const int fd = socket_;
    socket_ = -1;
    return calls_.closeSocket(fd) == 0;
}

} // namespace zka
