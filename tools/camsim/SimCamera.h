#pragma once

#include "camsim/CameraSpec.h"
#include "camsim/Fleet.h"

#include "runtime/Clock.h"

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <vector>

namespace zka::camsim {

class Scheduler;

// One simulated camera: its state (version, configuration, what its upgrade did to it), the requests
// it recorded, and the lives of its web server: powered on at start, off for a reboot, on again.
// The routes (CameraRoutes) carry the protocol; this class carries what persists across requests.
class SimCamera final {
public:
    SimCamera(CameraSpec setup, const Clock& clock, Scheduler& scheduler, std::stop_token fleetStop,
              const Fleet::RequestLog& log);
    ~SimCamera();
    SimCamera(const SimCamera&) = delete;
    SimCamera& operator=(const SimCamera&) = delete;

    const CameraSpec& setup() const { return setup_; }
    const Clock& clock() const { return clock_; }

    // Starts the web server; false with a reason when the address and port cannot be bound.
    bool powerOn(std::string& error);
    // Stops the web server and ends every connection (connections are refused from then on).
    void powerOff();
    bool online() const;

    std::string version() const;
    std::string configuration() const;

    // Logins from an Authorization header value: any valid login of the camera, or exactly the
    // factory-default administrator login (the only one a restore accepts).
    bool validLogin(const std::string& authorization) const;
    static bool factoryLogin(const std::string& authorization);

    // Records a request at its arrival; complete() passes it to the log once it is final.
    std::size_t record(RecordedRequest request);
    void complete(std::size_t index, const std::function<void(RecordedRequest&)>& change = {});
    std::vector<RecordedRequest> requests() const;

    // Faults that make the camera stall instead of answering.
    bool silent() const;
    bool hangsInquiries() const;

    // Upgrade: beginFlash() commits the camera to a firmware that has been received completely (false
    // while another flash is in progress); answerEnded() is called when its streamed answer is over,
    // however it ended. The camera then does what afterUpgrade says, once the flash time has passed.
    bool beginFlash();
    // Just before the answer's closing delimiter: a camera that is going to reboot closes its
    // listening socket now, so that no connection made after the client saw the end gets through.
    void answerEnding();
    void answerEnded();

    // Restore: false when this attempt is one of the refused ones; else applies the configuration.
    bool acceptRestore(const std::string& configuration);

private:
    struct Life;
    void flashDone();
    void comeBack();

    const CameraSpec setup_;
    const Clock& clock_;
    Scheduler& scheduler_;
    std::stop_token fleetStop_;
    const Fleet::RequestLog& log_;

    mutable std::mutex mutex_; // guards everything below but life_
    std::string version_;
    std::string configuration_;
    bool flashing_ = false;
    std::chrono::steady_clock::time_point flashEnd_;
    bool hangInquiries_ = false;
    bool silent_ = false;
    int restoresRefused_ = 0;
    std::vector<RecordedRequest> requests_;

    mutable std::mutex lifeMutex_;
    std::unique_ptr<Life> life_;
};

} // namespace zka::camsim
