#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zka::test {

// A bare HTTP server for the answers the camera simulator never gives (a refused restore with a
// 401 status, a configuration whose second block is an HTML page): it reads each request (head and
// Content-Length body), records it, writes the canned answer and closes the connection.
class CannedHttpServer final {
public:
    CannedHttpServer(std::string address, std::uint16_t port, std::string answer);
    ~CannedHttpServer();
    CannedHttpServer(const CannedHttpServer&) = delete;
    CannedHttpServer& operator=(const CannedHttpServer&) = delete;

    bool listening() const { return listenFd_ >= 0; }
    std::vector<std::string> requests() const;

private:
    void serve(std::stop_token stop);
    void handle(int fd);

    std::string answer_;
    int listenFd_ = -1;
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::jthread thread_;
};

} // namespace zka::test
