#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace zka::test {

// A TCP listener on 127.0.0.1 that plays a scripted HTTP server byte by byte, so a test can see the
// exact bytes a client sent (header order, headers nobody asked for) and answer in ways a real
// server library would not: never, half, twice, or by dropping the connection. Connections are
// served one after another on the server's own thread.
class RawHttpServer final {
public:
    class Connection {
    public:
        Connection(int fd, RawHttpServer& server, std::stop_token stop);
        // Reads one request: the headers up to the blank line and a body of Content-Length bytes.
        // Returns what was read (possibly incomplete when the peer closed or the server stopped).
        std::string readRequest();
        // Reads whatever arrives until the peer closes, `limit` bytes have come or the server stops.
        std::string readAtMost(std::size_t limit);
        bool send(std::string_view bytes);
        // Closes with a reset instead of an orderly end.
        void reset();
        // Holds the connection open, answering nothing, until the peer leaves or the server stops.
        void hold();
        std::stop_token stopToken() const { return stop_; }

    private:
        // Waits up to 10 ms for data; false when the peer closed or the server stops.
        bool receiveSome(std::string& into);

        int fd_;
        RawHttpServer& server_;
        std::stop_token stop_;
    };
    using Script = std::function<void(Connection&)>;

    // Binds 127.0.0.1 on the port (0: a free one) and starts serving; every connection is handed to
    // script.
    explicit RawHttpServer(Script script, int port = 0);
    ~RawHttpServer();
    RawHttpServer(const RawHttpServer&) = delete;
    RawHttpServer& operator=(const RawHttpServer&) = delete;

    int port() const { return port_; }
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
    // Every request read by a script's readRequest(), in arrival order.
    std::vector<std::string> requests() const;
    int connections() const { return connections_.load(); }

    // A port on 127.0.0.1 on which nothing listens (bound, then released).
    static int unusedPort();

private:
    void serve(std::stop_token stop);
    void record(std::string request);

    Script script_;
    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<int> connections_{0};
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::jthread thread_;
};

} // namespace zka::test
