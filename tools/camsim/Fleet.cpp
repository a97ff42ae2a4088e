#include "camsim/Fleet.h"

#include "camsim/CameraDefaults.h"
#include "camsim/DiscoveryReply.h"
#include "camsim/DiscoveryResponder.h"
#include "camsim/Scheduler.h"
#include "camsim/SimCamera.h"

#include "runtime/Clock.h"

#include <cstdlib>
#include <mutex>
#include <stop_token>

namespace zka::camsim {

struct Fleet::Impl {
    std::vector<CameraSpec> setups;
    SystemClock clock;
    RequestLog log;
    std::stop_source stop;
    std::mutex runMutex; // start() and stop()
    bool started = false;
    // Made once here and never replaced, so the readers need no lock for them.
    std::unique_ptr<Scheduler> scheduler = std::make_unique<Scheduler>();
    std::vector<std::unique_ptr<SimCamera>> cameras;
    std::unique_ptr<DiscoveryResponder> responder;

    Impl(std::vector<CameraSpec> cameraSetups, double timeScale)
        : setups(std::move(cameraSetups)), clock(timeScale)
    {
        for (auto& setup : setups) {
            if (setup.configuration.empty())
                setup.configuration = CameraDefaults::generatedConfiguration(setup);
            cameras.push_back(std::make_unique<SimCamera>(setup, clock, *scheduler, stop.get_token(), log));
        }
        responder = std::make_unique<DiscoveryResponder>(
            [this](const std::string& destination) { return answers(destination); }, stop.get_token());
    }

    // "A.B.C.D" or "A.B.C.D:port"; without a port the camera on port 80 comes first.
    const SimCamera* find(const std::string& address) const
    {
        const auto colon = address.find(':');
        const std::string host = address.substr(0, colon);
        const int port = colon == std::string::npos ? -1 : std::atoi(address.c_str() + colon + 1);
        const SimCamera* found = nullptr;
        for (const auto& camera : cameras) {
            const auto& setup = camera->setup();
            if (setup.address != host || (port >= 0 && setup.webPort != port))
                continue;
            if (port >= 0 || setup.webPort == 80)
                return camera.get();
            if (found == nullptr)
                found = camera.get();
        }
        return found;
    }

    std::vector<DiscoveryResponder::Datagram> answers(const std::string& destination) const
    {
        // An enquiry sent to one camera's own address is answered by that camera alone.
        bool unicast = false;
        for (const auto& camera : cameras)
            unicast = unicast || camera->setup().address == destination;
        std::vector<DiscoveryResponder::Datagram> out;
        for (const auto& camera : cameras) {
            const auto& setup = camera->setup();
            if ((unicast && setup.address != destination) || !camera->online())
                continue;
            for (auto& bytes : DiscoveryReply::datagrams(setup, camera->version()))
                out.push_back({setup.address, std::move(bytes)});
        }
        return out;
    }

    void halt()
    {
        stop.request_stop(); // every wait of every camera ends
        scheduler->stop();   // no reboot ends after this
        responder->stop();
        for (auto& camera : cameras)
            camera->powerOff();
    }
};

Fleet::Fleet(std::vector<CameraSpec> cameras, double timeScale)
    : impl_(std::make_unique<Impl>(std::move(cameras), timeScale))
{
}

Fleet::~Fleet()
{
    stop();
}

bool Fleet::start(std::string& error)
{
    std::lock_guard lock(impl_->runMutex);
    if (impl_->started) {
        error = "the fleet has already been started";
        return false;
    }
    impl_->started = true;
    for (auto& camera : impl_->cameras) {
        if (!camera->powerOn(error)) {
            impl_->halt();
            return false;
        }
    }
    if (!impl_->responder->start(error)) {
        impl_->halt();
        return false;
    }
    return true;
}

void Fleet::stop()
{
    std::lock_guard lock(impl_->runMutex);
    impl_->halt();
}

const std::vector<CameraSpec>& Fleet::cameras() const
{
    return impl_->setups;
}

std::vector<RecordedRequest> Fleet::requests(const std::string& address) const
{
    const SimCamera* camera = impl_->find(address);
    return camera != nullptr ? camera->requests() : std::vector<RecordedRequest>{};
}

int Fleet::enquiriesReceived() const
{
    return impl_->responder->enquiriesReceived();
}

std::string Fleet::reportedVersion(const std::string& address) const
{
    const SimCamera* camera = impl_->find(address);
    return camera != nullptr ? camera->version() : std::string();
}

std::string Fleet::configuration(const std::string& address) const
{
    const SimCamera* camera = impl_->find(address);
    return camera != nullptr ? camera->configuration() : std::string();
}

double Fleet::timeScale() const
{
    return impl_->clock.timeScale();
}

void Fleet::setRequestLog(RequestLog log)
{
    impl_->log = std::move(log);
}

} // namespace zka::camsim
