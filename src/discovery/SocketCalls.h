#pragma once

#include <sys/socket.h>
#include <sys/types.h>

#include <functional>
#include <stop_token>
#include <thread>

namespace zka {

// The system calls that discovery makes, one virtual member each. The real ones are the defaults;
// tests derive from this class and fail single calls to reach the paths that a healthy machine
// never takes (a receive that fails, a socket that cannot be closed, no thread to be had).
class SocketCalls {
public:
    virtual ~SocketCalls() = default;

    virtual int openSocket(int domain, int type, int protocol);
    virtual int setOption(int fd, int level, int name, const void* value, socklen_t length);
    virtual int bindTo(int fd, const sockaddr* address, socklen_t length);
    virtual int localAddress(int fd, sockaddr* address, socklen_t* length);
    virtual ssize_t receive(int fd, void* buffer, std::size_t length, int flags);
    virtual ssize_t sendTo(int fd, const void* bytes, std::size_t length, int flags, const sockaddr* to,
                           socklen_t toLength);
    virtual int closeSocket(int fd);
    // Starts a thread running body; throws std::system_error when the system cannot start one.
    virtual std::jthread startThread(std::function<void(std::stop_token)> body);

    // The real calls, shared by every listener that is given none.
    static SocketCalls& system();
};

} // namespace zka
