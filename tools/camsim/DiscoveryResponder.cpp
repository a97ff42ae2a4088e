#include "camsim/DiscoveryResponder.h"

#include "camsim/DiscoveryReply.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zka::camsim {

namespace {

// A burst of hundreds of replies would overflow the enquirer's receive buffer; real cameras answer
// spread out in time too. A short pause after every few datagrams keeps them all.
constexpr int kBurst = 16;
constexpr int kBurstPauseMs = 1;

} // namespace

DiscoveryResponder::DiscoveryResponder(Answers answers, std::stop_token fleetStop)
    : answers_(std::move(answers)), stop_(fleetStop)
{
}

DiscoveryResponder::~DiscoveryResponder()
{
    stop();
}

bool DiscoveryResponder::start(std::string& error)
{
    socket_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (socket_ < 0) {
        error = std::string("discovery: cannot create the UDP socket: ") + std::strerror(errno);
        return false;
    }
    int on = 1;
    ::setsockopt(socket_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    ::setsockopt(socket_, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    ::setsockopt(socket_, IPPROTO_IP, IP_PKTINFO, &on, sizeof on);
    sockaddr_in any{};
    any.sin_family = AF_INET;
    any.sin_addr.s_addr = htonl(INADDR_ANY);
    any.sin_port = htons(DiscoveryReply::kPort);
    if (::bind(socket_, reinterpret_cast<sockaddr*>(&any), sizeof any) != 0) {
        error = std::string("discovery: cannot bind UDP port 2380: ") + std::strerror(errno);
        ::close(socket_);
        socket_ = -1;
        return false;
    }
    thread_ = std::jthread([this] { run(); });
    return true;
}

void DiscoveryResponder::stop()
{
    stop_.request();
    if (thread_.joinable())
        thread_.join();
    if (socket_ >= 0) {
        ::close(socket_);
        socket_ = -1;
    }
}

void DiscoveryResponder::run()
{
    char buffer[2048];
    for (;;) {
        pollfd fds[2] = {{socket_, POLLIN, 0}, {stop_.fd(), POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[1].revents != 0)
            return;
        sockaddr_in from{};
        char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
        iovec io{buffer, sizeof buffer};
        msghdr message{};
        message.msg_name = &from;
        message.msg_namelen = sizeof from;
        message.msg_iov = &io;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        const ssize_t n = ::recvmsg(socket_, &message, MSG_DONTWAIT);
        if (n < 0 || (message.msg_flags & MSG_TRUNC) != 0
            || !DiscoveryReply::isEnquiry(std::string_view(buffer, static_cast<std::size_t>(n))))
            continue; // anything but the exact enquiry is ignored
        ++enquiries_;
        std::string destination = "255.255.255.255";
        for (cmsghdr* c = CMSG_FIRSTHDR(&message); c != nullptr; c = CMSG_NXTHDR(&message, c)) {
            if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO) {
                in_pktinfo info;
                std::memcpy(&info, CMSG_DATA(c), sizeof info);
                char text[INET_ADDRSTRLEN] = {};
                ::inet_ntop(AF_INET, &info.ipi_addr, text, sizeof text);
                destination = text;
            }
        }
        answer(destination, &from, message.msg_namelen);
    }
}

void DiscoveryResponder::answer(const std::string& destination, const void* to, unsigned toLength)
{
    int sent = 0;
    for (const auto& datagram : answers_(destination)) {
        if (stop_.requested())
            return;
        in_pktinfo info{};
        if (::inet_pton(AF_INET, datagram.source.c_str(), &info.ipi_spec_dst) != 1)
            continue;
        char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
        iovec io{const_cast<char*>(datagram.bytes.data()), datagram.bytes.size()};
        msghdr message{};
        message.msg_name = const_cast<void*>(to);
        message.msg_namelen = toLength;
        message.msg_iov = &io;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        cmsghdr* c = CMSG_FIRSTHDR(&message);
        c->cmsg_level = IPPROTO_IP;
        c->cmsg_type = IP_PKTINFO;
        c->cmsg_len = CMSG_LEN(sizeof info);
        std::memcpy(CMSG_DATA(c), &info, sizeof info);
        // A camera whose address is not on this host cannot answer; the others still do.
        ::sendmsg(socket_, &message, 0);
        if (++sent % kBurst == 0) {
            pollfd wait{stop_.fd(), POLLIN, 0};
            ::poll(&wait, 1, kBurstPauseMs);
        }
    }
}

} // namespace zka::camsim
