#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace zka::test {

using Datagram = std::vector<std::uint8_t>;

// A camera information reply: each field is the key, its value and 0xFF.
Datagram cameraReply(const std::vector<std::pair<std::string, std::string>>& fields);
// The reply of a camera with the usual fields.
Datagram standardReply(const std::string& mac, const std::string& serial = "S100", const std::string& version = "2.30",
                       const std::string& model = "ZKA-QM410");

// Plays the cameras of a segment for the listener tests (inside the network sandbox): receives the
// enquiries broadcast to port 2380, records when they came, and answers each one with the given
// datagrams, in order, to the port it came from.
class CameraResponder final {
public:
    explicit CameraResponder(std::vector<Datagram> answers = {});
    ~CameraResponder();
    CameraResponder(const CameraResponder&) = delete;
    CameraResponder& operator=(const CameraResponder&) = delete;

    bool ready() const { return socket_ >= 0; }
    std::vector<std::pair<std::chrono::steady_clock::time_point, Datagram>> enquiries() const;
    // Sends one datagram, unasked, to a port on 127.0.0.1.
    void sendTo(std::uint16_t port, const Datagram& datagram) const;

private:
    void serve(std::stop_token stop);

    std::vector<Datagram> answers_;
    int socket_ = -1;
    mutable std::mutex mutex_;
    std::vector<std::pair<std::chrono::steady_clock::time_point, Datagram>> enquiries_;
    std::jthread thread_;
};

// The number of threads of this process.
int processThreadCount();
// The number of threads once it equals `expected`, or the last count after `deadline`: a thread
// just joined can still be listed by the system for a moment.
int settledThreadCount(int expected, std::chrono::milliseconds deadline = std::chrono::seconds(5));

} // namespace zka::test
