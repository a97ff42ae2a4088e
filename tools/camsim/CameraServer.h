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
    // receiveBuffer: the size of each connection's receive buffer in bytes; 0 leaves the system's
    // (which grows to megabytes and would swallow much of a body that the camera stops reading).
    explicit CameraServer(int stopFd, int receiveBuffer = 0);

private:
    bool process_and_close_socket(socket_t sock) override;

    int stopFd_;
    std::chrono::milliseconds keepAlive_{5000};
    std::chrono::milliseconds ioTimeout_{60000};
};

} // namespace zka::camsim
