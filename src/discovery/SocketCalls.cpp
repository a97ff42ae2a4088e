#include "discovery/SocketCalls.h"

#include <unistd.h>

namespace zka {

int SocketCalls::openSocket(int domain, int type, int protocol)
{
    return ::socket(domain, type, protocol);
}

int SocketCalls::setOption(int fd, int level, int name, const void* value, socklen_t length)
{
    return ::setsockopt(fd, level, name, value, length);
}

int SocketCalls::bindTo(int fd, const sockaddr* address, socklen_t length)
{
    return ::bind(fd, address, length);
}

int SocketCalls::localAddress(int fd, sockaddr* address, socklen_t* length)
{
    return ::getsockname(fd, address, length);
}

ssize_t SocketCalls::receive(int fd, void* buffer, std::size_t length, int flags)
{
    return ::recvfrom(fd, buffer, length, flags, nullptr, nullptr);
}

ssize_t SocketCalls::sendTo(int fd, const void* bytes, std::size_t length, int flags, const sockaddr* to,
                            socklen_t toLength)
{
    return ::sendto(fd, bytes, length, flags, to, toLength);
}

int SocketCalls::closeSocket(int fd)
{
    return ::close(fd);
}

std::jthread SocketCalls::startThread(std::function<void(std::stop_token)> body)
{
    return std::jthread(std::move(body));
}

SocketCalls& SocketCalls::system()
{
    static SocketCalls calls;
    return calls;
}

} // namespace zka
