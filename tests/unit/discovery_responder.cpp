#include "discovery_responder.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace zka::test {

Datagram cameraReply(const std::vector<std::pair<std::string, std::string>>& fields)
{
    Datagram bytes;
    for (const auto& [key, value] : fields) {
        bytes.insert(bytes.end(), key.begin(), key.end());
        bytes.insert(bytes.end(), value.begin(), value.end());
        bytes.push_back(0xFF);
    }
    return bytes;
}

Datagram standardReply(const std::string& mac, const std::string& serial, const std::string& version,
                       const std::string& model)
{
    return cameraReply({{"MODEL:", model}, {"SERIAL:", serial}, {"MAC:", mac}, {"DHCP:", "OFF"}, {"DNSAUTO:", "OFF"},
                        {"IPADR:", "127.0.0.2"}, {"WEBPORT:", "80"}, {"SOFTVERSION:", version}});
}

CameraResponder::CameraResponder(std::vector<Datagram> answers)
    : answers_(std::move(answers))
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(2380);
    const timeval timeout{0, 2000};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
        ::close(fd);
        return;
    }
    socket_ = fd;
    thread_ = std::jthread([this](std::stop_token stop) { serve(stop); });
}

CameraResponder::~CameraResponder()
{
    if (thread_.joinable()) {
        thread_.request_stop();
        thread_.join();
    }
    if (socket_ >= 0)
        ::close(socket_);
}

void CameraResponder::serve(std::stop_token stop)
{
    Datagram buffer(4096);
    while (!stop.stop_requested()) {
        sockaddr_in sender{};
        socklen_t senderLength = sizeof sender;
        const ssize_t received =
            ::recvfrom(socket_, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&sender), &senderLength);
        if (received < 0)
            continue;
        {
            std::lock_guard lock(mutex_);
            enquiries_.emplace_back(std::chrono::steady_clock::now(), Datagram(buffer.begin(), buffer.begin() + received));
        }
        for (const auto& answer : answers_)
            ::sendto(socket_, answer.data(), answer.size(), 0, reinterpret_cast<const sockaddr*>(&sender), sizeof sender);
    }
}

std::vector<std::pair<std::chrono::steady_clock::time_point, Datagram>> CameraResponder::enquiries() const
{
    std::lock_guard lock(mutex_);
    return enquiries_;
}

void CameraResponder::sendTo(std::uint16_t port, const Datagram& datagram) const
{
    sockaddr_in destination{};
    destination.sin_family = AF_INET;
    destination.sin_port = htons(port);
    destination.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::sendto(socket_, datagram.data(), datagram.size(), 0, reinterpret_cast<const sockaddr*>(&destination),
             sizeof destination);
}

int processThreadCount()
{
    int count = 0;
    if (DIR* dir = ::opendir("/proc/self/task")) {
        while (const dirent* entry = ::readdir(dir))
            count += entry->d_name[0] != '.' ? 1 : 0;
        ::closedir(dir);
    }
    return count;
}

int settledThreadCount(int expected, std::chrono::milliseconds deadline)
{
    const auto giveUp = std::chrono::steady_clock::now() + deadline;
    int count = processThreadCount();
    while (count != expected && std::chrono::steady_clock::now() < giveUp) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        count = processThreadCount();
    }
    return count;
}

} // namespace zka::test
