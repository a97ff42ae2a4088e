#include "camsim/CameraServer.h"

#include "camsim/CameraConnection.h"
#include "camsim/LazyThreadPool.h"

#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zka::camsim {

namespace {

constexpr std::size_t kMaxConnectionThreads = 8;
constexpr std::size_t kKeepAliveRequests = 100;
constexpr std::size_t kMaxBody = 64u << 20;

// The library would parse a multipart/form-data body itself, by the usual rule (delimiters of two
// hyphens and the boundary) that the cameras' clients do not follow. The handlers check such bodies
// byte for byte from the raw head and the raw bytes, so the library is not shown the type.
void hideMultipart(httplib::Request& request)
{
    for (auto it = request.headers.begin(); it != request.headers.end();) {
        if (::strcasecmp(it->first.c_str(), "Content-Type") == 0 && it->second.rfind("multipart/form-data", 0) == 0)
            it = request.headers.erase(it);
        else
            ++it;
    }
}

} // namespace

CameraServer::CameraServer(int stopFd, int receiveBuffer)
    : stopFd_(stopFd)
{
    new_task_queue = [] { return new LazyThreadPool(kMaxConnectionThreads); };
    // SO_REUSEADDR only (the library's default adds SO_REUSEPORT, which would let two simulators
    // share one address and port without an error). Accepted connections inherit the listening
    // socket's receive buffer.
    set_socket_options([receiveBuffer](socket_t sock) {
        int on = 1;
        ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        if (receiveBuffer > 0)
            ::setsockopt(sock, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    });
    set_keep_alive_max_count(kKeepAliveRequests);
    set_keep_alive_timeout(keepAlive_.count() / 1000);
    set_payload_max_length(kMaxBody);
}

bool CameraServer::process_and_close_socket(socket_t sock)
{
    {
        CameraConnection connection(sock, stopFd_, ioTimeout_);
        CameraConnection::Scope scope(connection);
        for (std::size_t left = kKeepAliveRequests; left > 0; --left) {
            if (!connection.waitForRequest(keepAlive_))
                break;
            connection.beginRequest();
            bool closed = false;
            if (!process_request(connection, left == 1, closed, hideMultipart) || closed || connection.dropped())
                break;
        }
    }
    ::shutdown(sock, SHUT_RDWR);
    ::close(sock);
    return true;
}

} // namespace zka::camsim
