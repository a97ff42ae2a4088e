#pragma once

#include "camsim/CameraSpec.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace zka::camsim {

// One HTTP request as a simulated camera received it.
struct RecordedRequest {
    std::string method;
    std::string path;
    std::vector<std::pair<std::string, std::string>> headers; // in the order received
    std::string body;          // the whole body, except for firmware uploads (see below)
    std::size_t bodyLength = 0;
    bool authorized = false;   // the Authorization header matched a login of the camera
    // Firmware uploads and configuration restores: the verdict of the byte-for-byte check of the
    // headers and the multipart body ("ok" or what was wrong; empty while the body is still arriving),
    // and the head and tail pieces as received.
    std::string uploadVerdict;
    std::string uploadHead;
    std::string uploadTail;
    // Configuration restores only: the file part (the configuration bytes) as received.
    std::string payload;
};

// A fleet of simulated cameras: one UDP responder on port 2380 for all of them, and one HTTP server
// per camera on its own address and port. Runs on threads of its own from start() to stop() (or
// destruction). Thread-safe.
class Fleet final {
public:
    explicit Fleet(std::vector<CameraSpec> cameras, double timeScale = 1.0);
    ~Fleet();
    Fleet(const Fleet&) = delete;
    Fleet& operator=(const Fleet&) = delete;

    // Binds every socket and starts serving; false with a reason when a socket cannot be bound.
    bool start(std::string& error);
    void stop();

    // The cameras as they run: an empty configuration is replaced by the generated one.
    const std::vector<CameraSpec>& cameras() const;
    // Requests received by the camera listening at address (in arrival order). Every function taking an
    // address also accepts "A.B.C.D:port" to tell apart cameras sharing an address; unknown: empty.
    std::vector<RecordedRequest> requests(const std::string& address) const;
    // Number of discovery enquiries the responder received.
    int enquiriesReceived() const;
    // The version the camera at address reports now (what its next system inquiry would carry).
    std::string reportedVersion(const std::string& address) const;
    // The configuration the camera at address holds now (replaced by every accepted restore).
    std::string configuration(const std::string& address) const;
    double timeScale() const;

    // Called once per request, on the server's thread, when the camera has recorded it completely
    // (uploads: after the body was checked). Set before start().
    using RequestLog = std::function<void(const CameraSpec&, const RecordedRequest&)>;
    void setRequestLog(RequestLog log);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// N default cameras at consecutive addresses from firstAddress (host parts 0 and 255 are skipped):
// supported model, own MAC and serial derived from the address, web port 80, version 2.30.
std::vector<CameraSpec> defaultFleet(int count, const std::string& firstAddress = "127.0.0.2");

// Reads a fleet file (format in the README); false with a reason on a malformed file.
bool loadFleetFile(const std::string& path, std::vector<CameraSpec>& cameras, std::string& error);

} // namespace zka::camsim
