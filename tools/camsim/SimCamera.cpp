#include "camsim/SimCamera.h"

#include "camsim/Base64.h"
#include "camsim/CameraDefaults.h"
#include "camsim/CameraRoutes.h"
#include "camsim/CameraServer.h"
#include "camsim/Scheduler.h"
#include "camsim/StopSignal.h"

#include <strings.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <iostream>
#include <optional>
#include <thread>

namespace zka::camsim {

namespace {

std::string upgradedVersion(const CameraSpec& setup)
{
    if (!setup.newVersion.empty())
        return setup.newVersion;
    return setup.softVersion.rfind('3', 0) == 0 ? CameraDefaults::kNewVersion3x : CameraDefaults::kNewVersion2x;
}

// A camera that stops reading its upload holds little of it unread, as a camera's small stack
// does: the client then finds out that its body no longer goes out.
constexpr int kStallingReceiveBuffer = 64 * 1024;

Clock::Duration nominal(double seconds)
{
    return Clock::Duration(std::llround(std::max(seconds, 0.0) * 1000.0));
}

std::optional<std::string> basicLogin(const std::string& authorization)
{
    if (authorization.size() < 6 || ::strncasecmp(authorization.c_str(), "Basic ", 6) != 0)
        return std::nullopt;
    return Base64::decode(std::string_view(authorization).substr(6));
}

} // namespace

// One power-on of the camera: the server, its routes, and the thread that accepts connections.
struct SimCamera::Life {
    StopSignal stop;
    CameraServer server;
    CameraRoutes routes;
    std::atomic<bool> ended{false};
    bool listening = true; // guarded by lifeMutex_
    std::jthread listener;

    Life(SimCamera& camera, std::stop_token fleetStop)
        : stop(fleetStop)
        , server(stop.fd(), camera.setup().stallDuringUpload || camera.setup().uploadBytesPerSecond > 0
                                                ? kStallingReceiveBuffer
                                                : 0)
        , routes(camera, stop.token())
    {
        routes.install(server);
    }
};

SimCamera::SimCamera(CameraSpec setup, const Clock& clock, Scheduler& scheduler, std::stop_token fleetStop,
                     const Fleet::RequestLog& log)
    : setup_(std::move(setup))
    , clock_(clock)
    , scheduler_(scheduler)
    , fleetStop_(std::move(fleetStop))
    , log_(log)
    , version_(setup_.softVersion)
    , configuration_(setup_.configuration)
{
}

SimCamera::~SimCamera()
{
    powerOff();
}

bool SimCamera::powerOn(std::string& error)
{
    std::lock_guard lock(lifeMutex_);
    if (life_)
        return true;
    auto life = std::make_unique<Life>(*this, fleetStop_);
    errno = 0;
    if (!life->server.bind_to_port(setup_.address, setup_.webPort)) {
        error = "cannot listen on " + setup_.address + ":" + std::to_string(setup_.webPort)
            + (errno != 0 ? std::string(": ") + std::strerror(errno) : std::string());
        return false;
    }
    Life* raw = life.get();
    raw->listening = true;
    raw->listener = std::jthread([raw] {
        raw->server.listen_after_bind();
        raw->ended = true;
    });
    // The library's stop() does nothing before its accept loop has begun.
    while (!raw->server.is_running() && !raw->ended)
        std::this_thread::yield();
    life_ = std::move(life);
    return true;
}

void SimCamera::powerOff()
{
    std::unique_ptr<Life> life;
    bool listening = false;
    {
        std::lock_guard lock(lifeMutex_);
        life = std::move(life_);
        listening = life && life->listening;
    }
    if (!life)
        return;
    life->stop.request(); // ends every connection's wait
    if (listening)
        life->server.stop(); // closes the listening socket: connections are refused from now on
    life->listener.join();
}

void SimCamera::answerEnding()
{
    if (setup_.afterUpgrade == AfterUpgrade::Immediate)
        return;
    std::lock_guard lock(lifeMutex_);
    if (life_ && life_->listening) {
        life_->listening = false;
        life_->server.stop(); // the accept loop ends; the connections end at powerOff()
    }
}

bool SimCamera::online() const
{
    std::lock_guard lock(lifeMutex_);
    return life_ != nullptr && life_->listening;
}

std::string SimCamera::version() const
{
    std::lock_guard lock(mutex_);
    return version_;
}

std::string SimCamera::configuration() const
{
    std::lock_guard lock(mutex_);
    return configuration_;
}

bool SimCamera::validLogin(const std::string& authorization) const
{
    const auto login = basicLogin(authorization);
    if (!login)
        return false;
    if (*login == setup_.adminUser + ":" + setup_.adminPassword)
        return true;
    return !setup_.userName.empty() && *login == setup_.userName + ":" + setup_.userPassword;
}

bool SimCamera::factoryLogin(const std::string& authorization)
{
    const auto login = basicLogin(authorization);
    return login && *login == "admin:admin";
}

std::size_t SimCamera::record(RecordedRequest request)
{
    std::lock_guard lock(mutex_);
    requests_.push_back(std::move(request));
    return requests_.size() - 1;
}

void SimCamera::complete(std::size_t index, const std::function<void(RecordedRequest&)>& change)
{
    RecordedRequest copy;
    {
        std::lock_guard lock(mutex_);
        if (change)
            change(requests_.at(index));
        if (!log_)
            return;
        copy = requests_.at(index);
    }
    log_(setup_, copy);
}

std::vector<RecordedRequest> SimCamera::requests() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

bool SimCamera::silent() const
{
    std::lock_guard lock(mutex_);
    return silent_;
}

bool SimCamera::hangsInquiries() const
{
    std::lock_guard lock(mutex_);
    return hangInquiries_;
}

bool SimCamera::beginFlash()
{
    std::lock_guard lock(mutex_);
    if (flashing_)
        return false;
    flashing_ = true;
    flashEnd_ = std::chrono::steady_clock::now()
        + clock_.toReal(nominal(setup_.upgradeSteps * setup_.stepSeconds));
    return true;
}

void SimCamera::answerEnded()
{
    std::lock_guard lock(mutex_);
    // The flash goes on when the client has gone early (an emergency upload is never answered).
    scheduler_.post(std::max(std::chrono::steady_clock::now(), flashEnd_), [this] { flashDone(); });
}

void SimCamera::flashDone()
{
    const AfterUpgrade after = setup_.afterUpgrade;
    {
        std::lock_guard lock(mutex_);
        version_ = after == AfterUpgrade::OldVersion ? setup_.softVersion : upgradedVersion(setup_);
        if (after == AfterUpgrade::Immediate)
            flashing_ = false;
    }
    switch (after) {
    case AfterUpgrade::Immediate:
        return;
    case AfterUpgrade::RefuseConnections:
    case AfterUpgrade::NeverBack:
        powerOff();
        return;
    case AfterUpgrade::NewVersion:
    case AfterUpgrade::OldVersion:
    case AfterUpgrade::HangInquiries:
        powerOff();
        scheduler_.post(std::chrono::steady_clock::now() + clock_.toReal(nominal(setup_.rebootSeconds)),
                        [this] { comeBack(); });
        return;
    }
}

void SimCamera::comeBack()
{
    {
        std::lock_guard lock(mutex_);
        hangInquiries_ = setup_.afterUpgrade == AfterUpgrade::HangInquiries;
        flashing_ = false;
    }
    std::string error;
    if (!powerOn(error))
        std::cerr << "zka-camsim: camera " << setup_.address << " did not come back: " << error << '\n';
}

bool SimCamera::acceptRestore(const std::string& configuration)
{
    std::lock_guard lock(mutex_);
    if (restoresRefused_ < setup_.restoreRefusals) {
        ++restoresRefused_;
        return false;
    }
    configuration_ = configuration;
    silent_ = setup_.silentAfterRestore;
    return true;
}

} // namespace zka::camsim
