#include "support/RawHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>

namespace zka::test {

namespace {

int listenOn127(int& port, int wanted = 0)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw std::runtime_error("socket failed");
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(wanted));
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 16) != 0) {
        ::close(fd);
        throw std::runtime_error("bind/listen on 127.0.0.1 failed");
    }
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return fd;
}

std::size_t contentLength(std::string_view headers)
{
    std::string lower(headers);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    const auto at = lower.find("\r\ncontent-length:");
    if (at == std::string::npos)
        return 0;
    return std::strtoul(lower.c_str() + at + 17, nullptr, 10);
}

} // namespace

RawHttpServer::Connection::Connection(int fd, RawHttpServer& server, std::stop_token stop)
    : fd_(fd), server_(server), stop_(std::move(stop))
{
}

bool RawHttpServer::Connection::receiveSome(std::string& into)
{
    while (!stop_.stop_requested()) {
        pollfd entry{fd_, POLLIN, 0};
        const int ready = ::poll(&entry, 1, 10);
        if (ready <= 0)
            continue;
        char buffer[8192];
        const ssize_t got = ::recv(fd_, buffer, sizeof buffer, 0);
        if (got <= 0)
            return false;
        into.append(buffer, static_cast<std::size_t>(got));
        return true;
    }
    return false;
}

std::string RawHttpServer::Connection::readRequest()
{
    std::string request;
    std::size_t headerEnd = std::string::npos;
    while ((headerEnd = request.find("\r\n\r\n")) == std::string::npos) {
        if (!receiveSome(request)) {
            server_.record(request);
            return request;
        }
    }
    const std::size_t total = headerEnd + 4 + contentLength(std::string_view(request).substr(0, headerEnd + 2));
    while (request.size() < total && receiveSome(request)) {
    }
    server_.record(request);
    return request;
}

std::string RawHttpServer::Connection::readAtMost(std::size_t limit)
{
    std::string data;
    while (data.size() < limit && receiveSome(data)) {
    }
    return data;
}

bool RawHttpServer::Connection::send(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

void RawHttpServer::Connection::reset()
{
    const linger abortive{1, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
    ::shutdown(fd_, SHUT_RDWR);
}

void RawHttpServer::Connection::hold()
{
    std::string ignored;
    while (receiveSome(ignored))
        ignored.clear();
}

RawHttpServer::RawHttpServer(Script script, int port) : script_(std::move(script))
{
    listenFd_ = listenOn127(port_, port);
    thread_ = std::jthread([this](std::stop_token stop) { serve(stop); });
}

RawHttpServer::~RawHttpServer()
{
    thread_.request_stop();
    if (thread_.joinable())
        thread_.join();
    ::close(listenFd_);
}

std::vector<std::string> RawHttpServer::requests() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

void RawHttpServer::record(std::string request)
{
    std::lock_guard lock(mutex_);
    requests_.push_back(std::move(request));
}

int RawHttpServer::unusedPort()
{
    int port = 0;
    const int fd = listenOn127(port);
    ::close(fd);
    return port;
}

void RawHttpServer::serve(std::stop_token stop)
{
    while (!stop.stop_requested()) {
        pollfd entry{listenFd_, POLLIN, 0};
        if (::poll(&entry, 1, 10) <= 0)
            continue;
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        ++connections_;
        Connection connection(fd, *this, stop);
        script_(connection);
        ::close(fd);
    }
}

} // namespace zka::test
