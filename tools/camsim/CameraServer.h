#pragma once

#include <httplib.h>

#include <chrono>

namespace zka::camsim {

// One life of a camera's web server (from a power-on to the next reboot). cpp-httplib parses the
// requests and writes the answers; this class runs each connection itself on a CameraConnection, so
// that the handlers see the raw head and can drop, stall or stream as a camera does, and so that a
// stop (stopFd readable) ends every connection at once.
class CameraServer final : public httplib::Server {
public:
    explicit CameraServer(int stopFd);

private:
    bool process_and_close_socket(socket_t sock) override;

    int stopFd_;
    std::chrono::milliseconds keepAlive_{5000};
    std::chrono::milliseconds ioTimeout_{60000};
};

} // namespace zka::camsim
