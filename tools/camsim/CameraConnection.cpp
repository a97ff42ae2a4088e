#include "camsim/CameraConnection.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace zka::camsim {

namespace {

// The handlers run on the thread that reads the request, and cpp-httplib hands them only the parsed
// request; this is how they reach the connection itself.
thread_local CameraConnection* currentConnection = nullptr;

void addressOf(const sockaddr_storage& storage, std::string& ip, int& port)
{
    ip.clear();
    port = -1;
    if (storage.ss_family != AF_INET)
        return;
    const auto& in = reinterpret_cast<const sockaddr_in&>(storage);
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &in.sin_addr, text, sizeof text);
    ip = text;
    port = ntohs(in.sin_port);
}

std::string trim(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

} // namespace

CameraConnection::CameraConnection(int socket, int stopFd, std::chrono::milliseconds ioTimeout)
    : socket_(socket), stopFd_(stopFd), ioTimeout_(ioTimeout)
{
}

CameraConnection* CameraConnection::current()
{
    return currentConnection;
}

CameraConnection::Scope::Scope(CameraConnection& connection)
{
    currentConnection = &connection;
}

CameraConnection::Scope::~Scope()
{
    currentConnection = nullptr;
}

CameraConnection::Ready CameraConnection::waitFor(short events, std::chrono::milliseconds timeout) const
{
    pollfd fds[2] = {{socket_, events, 0}, {stopFd_, POLLIN, 0}};
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        const int n = ::poll(fds, 2, static_cast<int>(std::max<long long>(left.count(), 0)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 || fds[1].revents != 0)
            return Ready::Stopped;
        if (n == 0)
            return Ready::TimedOut;
        return Ready::Yes; // readable, writable, or an error that the next call reports
    }
}

bool CameraConnection::is_readable() const
{
    return begin_ < end_ || waitFor(POLLIN, ioTimeout_) == Ready::Yes;
}

bool CameraConnection::is_writable() const
{
    return !dropped_ && waitFor(POLLOUT, ioTimeout_) == Ready::Yes;
}

ssize_t CameraConnection::read(char* ptr, size_t size)
{
    if (dropped_)
        return -1;
    if (begin_ == end_) {
        if (waitFor(POLLIN, ioTimeout_) != Ready::Yes)
            return -1;
        ssize_t n;
        do {
            n = ::recv(socket_, buffer_.data(), buffer_.size(), 0);
        } while (n < 0 && errno == EINTR);
        if (n <= 0)
            return n;
        begin_ = 0;
        end_ = static_cast<std::size_t>(n);
    }
    const std::size_t n = std::min(size, end_ - begin_);
    std::memcpy(ptr, buffer_.data() + begin_, n);
    begin_ += n;
    if (recordingHead_) {
        head_.append(ptr, n);
        // The library may read past the head; cut the record at the empty line.
        const auto endOfHead = head_.find("\r\n\r\n");
        if (endOfHead != std::string::npos) {
            head_.resize(endOfHead + 4);
            recordingHead_ = false;
        }
    }
    return static_cast<ssize_t>(n);
}

ssize_t CameraConnection::write(const char* ptr, size_t size)
{
    std::size_t sent = 0;
    while (sent < size) {
        if (dropped_ || waitFor(POLLOUT, ioTimeout_) != Ready::Yes)
            return -1;
        const ssize_t n = ::send(socket_, ptr + sent, size - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)
                continue;
            return -1;
        }
        sent += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(size);
}

void CameraConnection::get_remote_ip_and_port(std::string& ip, int& port) const
{
    sockaddr_storage storage{};
    socklen_t length = sizeof storage;
    if (::getpeername(socket_, reinterpret_cast<sockaddr*>(&storage), &length) == 0)
        addressOf(storage, ip, port);
}

void CameraConnection::get_local_ip_and_port(std::string& ip, int& port) const
{
    sockaddr_storage storage{};
    socklen_t length = sizeof storage;
    if (::getsockname(socket_, reinterpret_cast<sockaddr*>(&storage), &length) == 0)
        addressOf(storage, ip, port);
}

bool CameraConnection::waitForRequest(std::chrono::milliseconds keepAlive)
{
    if (dropped_)
        return false;
    if (begin_ < end_)
        return true;
    if (waitFor(POLLIN, keepAlive) != Ready::Yes)
        return false;
    char probe;
    return ::recv(socket_, &probe, 1, MSG_PEEK | MSG_DONTWAIT) > 0;
}

void CameraConnection::beginRequest()
{
    head_.clear();
    recordingHead_ = true;
}

CameraConnection::Headers CameraConnection::headers() const
{
    Headers headers;
    std::size_t line = head_.find("\r\n"); // skips the request line
    while (line != std::string::npos) {
        const std::size_t start = line + 2;
        line = head_.find("\r\n", start);
        if (line == std::string::npos || line == start)
            break;
        const std::string text = head_.substr(start, line - start);
        const auto colon = text.find(':');
        if (colon == std::string::npos)
            headers.emplace_back(text, std::string());
        else
            headers.emplace_back(text.substr(0, colon), trim(text.substr(colon + 1)));
    }
    return headers;
}

void CameraConnection::drop()
{
    if (!dropped_) {
        dropped_ = true;
        ::shutdown(socket_, SHUT_RDWR);
    }
}

bool CameraConnection::waitUntilClientLeaves() const
{
    pollfd fds[2] = {{socket_, POLLRDHUP, 0}, {stopFd_, POLLIN, 0}};
    for (;;) {
        const int n = ::poll(fds, 2, -1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 || fds[1].revents != 0)
            return false;
        if (fds[0].revents != 0)
            return true;
    }
}

} // namespace zka::camsim
