#include "upgrade/UpgradeJob.h"

namespace zka {

UpgradeJob::Options UpgradeJob::Options::batch(bool retain, bool deleteAfterRestore,
                                               std::chrono::system_clock::time_point backupTime)
{
    Options options;
    options.inquiryTimeout = Clock::Duration(20000);
    options.failuresAsCodes = true;
    options.tickLimitEndsAnswerWait = true;
    options.retain = retain;
    options.deleteAfterRestore = deleteAfterRestore;
    options.backupTime = backupTime;
    options.progressAsRow = true;
    options.settlePause = Clock::Duration(120000);
    options.reconfigure = ReconfigureWait{Clock::Duration(10000), std::chrono::seconds(299), 1};
    return options;
}

UpgradeJob::UpgradeJob(Seams host, std::string addressText, std::string credential, const SupportedModels& models,
                       std::string serial)
    : UpgradeJob(host, std::make_unique<CameraClient>(host.clock, std::move(addressText), std::move(credential)), models,
                 std::move(serial))
{
}

UpgradeJob::UpgradeJob(Seams host, std::unique_ptr<CameraOperations> camera, const SupportedModels& models,
                       std::string serial)
    : host_(host)
    , addressText_(camera->addressText())
    , credential_(camera->credential())
    , supportedModels_(models)
    , serial_(std::move(serial))
    , client_(std::move(camera))
    , tickTimer_(host.timers.makeTimer([this] {
        onTick();
        if (events_.ticked)
            events_.ticked(true);
    }))
    , searchTimer_(host.timers.makeTimer([this] {
        onSearchTick();
        if (events_.ticked)
            events_.ticked(false);
    }))
    , reconfigureTimer_(host.timers.makeTimer([this] { reconfigureDue_.raise(); }))
{
}

UpgradeJob::~UpgradeJob()
{
    // The worker checks stop_ at its next wait or network step; queries that others run through
    // the client are joined here, and the worker and the upload as their members go.
    stop_.request_stop();
    client_->abandonQueries();
}

std::string UpgradeJob::currentVersion() const
{
    std::lock_guard lock(versionMutex_);
    return currentVersion_;
}

std::string UpgradeJob::latestVersion() const
{
    std::lock_guard lock(versionMutex_);
    return latestVersion_;
}

std::string UpgradeJob::savedConfigPath() const
{
    std::lock_guard lock(versionMutex_);
    return savedConfigPath_;
}

std::string UpgradeJob::failureDetail() const
{
    std::lock_guard lock(versionMutex_);
    return failureDetail_;
}

void UpgradeJob::setFailureDetail(std::string detail)
{
    std::lock_guard lock(versionMutex_);
    failureDetail_ = std::move(detail);
}

std::string UpgradeJob::targetVersion() const
{
    std::lock_guard lock(versionMutex_);
    return targetVersion_;
}

void UpgradeJob::recordIdentity(const CameraIdentity& identity)
{
    if (!identity.softVersion)
        return;
    const std::string& version = *identity.softVersion;
    std::lock_guard lock(versionMutex_);
    if (currentVersion_.empty()) {
        if (identity.emergency()) {
            currentVersion_ = "unknown";
            emergency_.store(true);
        } else {
            currentVersion_ = "ver" + version;
        }
    } else {
        latestVersion_ = "ver" + version;
    }
    if (latestVersion_.empty())
        latestVersion_ = "ver" + version;
}

bool UpgradeJob::checkSystemReply(const std::string& reply)
{
    const CameraIdentity identity = CameraIdentity::fromSystemReply(reply, supportedModels_);
    if (!identity.supported)
        return false;
    recordIdentity(identity);
    return true;
}

} // namespace zka
