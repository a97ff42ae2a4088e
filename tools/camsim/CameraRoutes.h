#pragma once

#include <httplib.h>

#include "runtime/Clock.h"

#include <stop_token>
#include <string>

namespace zka::camsim {

class CameraConnection;
class SimCamera;
struct RecordedRequest;

// The web interface of a camera for one server life: Basic authorization, the three inquiries, the
// firmware upload with its streamed answer, the configuration download and the two restore paths.
// Every request is recorded on the camera, with its headers in the order received.
class CameraRoutes final {
public:
    CameraRoutes(SimCamera& camera, std::stop_token stop);
    CameraRoutes(const CameraRoutes&) = delete;
    CameraRoutes& operator=(const CameraRoutes&) = delete;

    void install(httplib::Server& server);

private:
    using ContentReader = httplib::ContentReader;

    void inquiry(const httplib::Request& request, httplib::Response& response);
    void upload(const httplib::Request& request, httplib::Response& response, const ContentReader& reader);
    void download(const httplib::Request& request, httplib::Response& response);
    void restore(const httplib::Request& request, httplib::Response& response, const ContentReader& reader);
    void unknown(const httplib::Request& request, httplib::Response& response);
    // Every request to an address that is no camera (notACamera).
    void otherDevice(const httplib::Request& request, httplib::Response& response);

    RecordedRequest arrival(const httplib::Request& request, CameraConnection& connection) const;
    // Records a request that arrived whole, with its body; whether its login was valid.
    bool recordWhole(const httplib::Request& request, CameraConnection& connection);
    // Waits slowAnswerSeconds (or the seconds given); false (and the connection dropped) when the
    // server stops meanwhile.
    bool delayAnswer(CameraConnection& connection) const;
    bool delayAnswer(CameraConnection& connection, double seconds) const;
    // Never answers: holds the connection until the client leaves or the server stops.
    void stall(CameraConnection& connection) const;
    // Answers with the file, one byte after each pause, until the client leaves or the server stops.
    void trickle(httplib::Response& response, std::string file, Clock::Duration pause);
    static void unauthorized(httplib::Response& response);
    static void plain(httplib::Response& response, int status, const std::string& text);

    SimCamera& camera_;
    std::stop_token stop_;
};

} // namespace zka::camsim
