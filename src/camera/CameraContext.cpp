#include "camera/CameraContext.h"

namespace zka {

CameraContext::CameraContext(CameraHost host, std::string addressText, std::string credential,
                             const SupportedModels& models, int tag, const std::atomic<int>* retainFlag,
                             const std::atomic<int>* deleteFlag, const std::chrono::system_clock::time_point* batchTime,
                             std::string serial)
    : host_(host)
    , addressText_(std::move(addressText))
    , credential_(std::move(credential))
    , supportedModels_(models)
    , tag_(tag)
    , retainFlag_(retainFlag)
    , deleteFlag_(deleteFlag)
    , batchTime_(batchTime)
    , serial_(std::move(serial))
    , client_(host.clock, addressText_, credential_)
    , tickTimer_(host.timers.makeTimer([this] {
        onTick();
        if (tickListener_)
            tickListener_(true);
    }))
    , searchTimer_(host.timers.makeTimer([this] {
        onSearchTick();
        if (tickListener_)
            tickListener_(false);
    }))
    , reconfigureTimer_(host.timers.makeTimer([this] { reconfigureDue_.raise(); }))
{
}

CameraContext::~CameraContext()
{
    // The worker checks stop_ at its next wait or network step; queries that others run through
    // the client are joined here, and the worker and the upload as their members go.
    stop_.request_stop();
    client_.abandonQueries();
}

std::string CameraContext::currentVersion() const
{
    std::lock_guard lock(versionMutex_);
    return currentVersion_;
}

std::string CameraContext::latestVersion() const
{
    std::lock_guard lock(versionMutex_);
    return latestVersion_;
}

std::string CameraContext::savedConfigPath() const
{
    std::lock_guard lock(versionMutex_);
    return savedConfigPath_;
}

std::string CameraContext::failureDetail() const
{
    std::lock_guard lock(versionMutex_);
    return failureDetail_;
}

void CameraContext::setFailureDetail(std::string detail)
{
    std::lock_guard lock(versionMutex_);
    failureDetail_ = std::move(detail);
}

std::string CameraContext::targetVersion() const
{
    std::lock_guard lock(versionMutex_);
    return targetVersion_;
}

} // namespace zka
