#pragma once

#include <httplib.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace zka::camsim {

// One accepted TCP connection of a simulated camera, as the stream that cpp-httplib parses requests
// from and writes answers to. Unlike the library's own stream it
//  - keeps the raw head of the current request, so the headers can be recorded in the order sent;
//  - gives up any read, write or wait as soon as the server's stop descriptor becomes readable, so a
//    stop or a reboot never waits for a slow or silent client;
//  - lets a handler drop the connection without an answer, or wait until the client leaves.
class CameraConnection final : public httplib::Stream {
public:
    using Headers = std::vector<std::pair<std::string, std::string>>;

    CameraConnection(int socket, int stopFd, std::chrono::milliseconds ioTimeout);
    CameraConnection(const CameraConnection&) = delete;
    CameraConnection& operator=(const CameraConnection&) = delete;

    // The connection whose request the calling thread is handling, or null.
    static CameraConnection* current();

    bool is_readable() const override;
    bool is_writable() const override;
    ssize_t read(char* ptr, size_t size) override;
    ssize_t write(const char* ptr, size_t size) override;
    void get_remote_ip_and_port(std::string& ip, int& port) const override;
    void get_local_ip_and_port(std::string& ip, int& port) const override;
    socket_t socket() const override { return socket_; }

    // Waits for the first byte of the next request; false on time-out, end of stream or stop.
    bool waitForRequest(std::chrono::milliseconds keepAlive);
    // Starts recording the head of the next request.
    void beginRequest();
    // The header lines of the current request, in the order received.
    Headers headers() const;

    // Closes both directions at once: the client sees the connection end without an answer.
    void drop();
    bool dropped() const { return dropped_; }
    // Blocks until the client closes its side or the server stops; true when the client left.
    bool waitUntilClientLeaves() const;

    // Makes this the connection of the calling thread for as long as the scope lives.
    class Scope final {
    public:
        explicit Scope(CameraConnection& connection);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;
    };

private:
    enum class Ready { Yes, TimedOut, Stopped };
    Ready waitFor(short events, std::chrono::milliseconds timeout) const;

    int socket_;
    int stopFd_;
    std::chrono::milliseconds ioTimeout_;
    std::vector<char> buffer_ = std::vector<char>(16384);
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool recordingHead_ = false;
    std::string head_;
    bool dropped_ = false;
};

} // namespace zka::camsim
