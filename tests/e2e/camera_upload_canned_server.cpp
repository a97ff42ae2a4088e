#include "camera_upload_canned_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

namespace zka::test {

CannedHttpServer::CannedHttpServer(std::string address, std::uint16_t port, std::string answer)
    : answer_(std::move(answer))
{
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int one = 1;
    ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(port);
    ::inet_pton(AF_INET, address.c_str(), &where.sin_addr);
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0 || ::listen(listenFd_, 8) != 0) {
        ::close(listenFd_);
        listenFd_ = -1;
        return;
    }
    thread_ = std::jthread([this](std::stop_token stop) { serve(stop); });
}

CannedHttpServer::~CannedHttpServer()
{
    if (thread_.joinable()) {
        thread_.request_stop();
        thread_.join();
    }
    if (listenFd_ >= 0)
        ::close(listenFd_);
}

std::vector<std::string> CannedHttpServer::requests() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

void CannedHttpServer::serve(std::stop_token stop)
{
    while (!stop.stop_requested()) {
        pollfd waiting{listenFd_, POLLIN, 0};
        if (::poll(&waiting, 1, 10) <= 0)
            continue;
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) {
            handle(fd);
            ::close(fd);
        }
    }
}

void CannedHttpServer::handle(int fd)
{
    std::string request;
    std::size_t wanted = std::string::npos;
    char buffer[4096];
    while (request.size() < wanted) {
        pollfd readable{fd, POLLIN, 0};
        if (::poll(&readable, 1, 2000) <= 0)
            break;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        request.append(buffer, static_cast<std::size_t>(n));
        const auto headEnd = request.find("\r\n\r\n");
        if (wanted == std::string::npos && headEnd != std::string::npos) {
            std::size_t length = 0;
            if (const auto at = request.find("Content-Length: "); at != std::string::npos && at < headEnd)
                length = std::strtoul(request.c_str() + at + 16, nullptr, 10);
            wanted = headEnd + 4 + length;
        }
    }
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
    }
    std::size_t written = 0;
    while (written < answer_.size()) {
        const ssize_t n = ::write(fd, answer_.data() + written, answer_.size() - written);
        if (n <= 0)
            break;
        written += static_cast<std::size_t>(n);
    }
    ::shutdown(fd, SHUT_WR);
}

} // namespace zka::test
