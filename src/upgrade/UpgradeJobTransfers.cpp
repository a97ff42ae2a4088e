// The upload and the restore steps of an UpgradeJob: its client's transfers, with the status
// codes, the tick timer and the progress that the procedure keeps around them.
#include "upgrade/UpgradeJob.h"

namespace zka {

namespace {

constexpr Clock::Duration kTickPeriod{1000};
// An emergency camera's display moves to this value over the ticks of its 180-second wait.
constexpr int kEmergencyTarget = 9800;
constexpr int kEmergencyTicks = 180;

} // namespace

ProgressTargets UpgradeJob::progressTargets()
{
    return options_.progressAsRow ? ProgressTargets{nullptr, &progress_} : ProgressTargets{&progress_, nullptr};
}

void UpgradeJob::addProgress(int step)
{
    progressTargets().add(step);
}

void UpgradeJob::setFirmware(std::span<const std::uint8_t> data, std::string newVersionText)
{
    outgoing_ = data;
    std::lock_guard lock(versionMutex_);
    targetVersion_ = std::move(newVersionText);
}

int UpgradeJob::uploadFirmware(std::stop_token stop)
{
    answerParser_.reset();
    const bool emergency = emergency_.load();
    const UploadResult result = client_->upload(outgoing_, !emergency, [this] { addProgress(1); }, stop);
    if (result.outcome != UploadOutcome::Sent) {
        if (result.outcome == UploadOutcome::NotSent)
            setFailureDetail(result.detail);
        return -1;
    }
    errorCode_.store(static_cast<int>(StatusCode::Overwriting));
    // An emergency camera's answer is not awaited: its request ended with the body.
    if (emergency)
        return 0;
    tickCount_.store(0);
    tickTimer_.start(kTickPeriod);
    const bool answered = client_->awaitAnswer(stop);
    tickTimer_.stop();
    return answered ? 0 : -2;
}

void UpgradeJob::closeUpload()
{
    client_->closeUpload();
}

void UpgradeJob::reportUploadFailure()
{
    if (options_.failuresAsCodes)
        setCode(StatusCode::NetworkError);
    else
        tell(Outcome::UploadNotSent);
}

void UpgradeJob::readUploadAnswer(std::stop_token stop)
{
    replyResult_.store(1);
    if (emergency_.load()) {
        // Nothing to read: the tick timer moves the display to 9800 over the camera's wait.
        emergencyStep_.store((kEmergencyTarget - progressTargets().current()) /
                             kEmergencyTicks);
        return;
    }
    tickCount_.store(0);
    tickTimer_.start(kTickPeriod);
    if (client_->readAnswer(answerParser_, progressTargets(), stop) == AnswerOutcome::Failed)
        replyResult_.store(0);
    tickTimer_.stop();
}

void UpgradeJob::setRestoreData(std::span<const std::uint8_t> data)
{
    outgoing_ = data;
}

void UpgradeJob::rememberSystemReply(const std::string& reply)
{
    if (reply.empty())
        return;
    std::lock_guard lock(versionMutex_);
    lastSystemReply_ = reply;
}

void UpgradeJob::detectPanTilt()
{
    std::lock_guard lock(versionMutex_);
    if (lastSystemReply_.find("PanTiltFunc=1") != std::string::npos)
        panTilt_.store(true);
}

int UpgradeJob::restoreConfiguration(std::stop_token stop)
{
    const bool emergency = emergency_.load();
    bool ticking = false;
    const auto onSent = [&] {
        errorCode_.store(static_cast<int>(StatusCode::Overwriting));
        // An emergency camera's display is not moved by ticks; its answer is awaited all the same,
        // since only the answer tells whether the camera took the configuration.
        if (!emergency) {
            tickCount_.store(0);
            tickTimer_.start(kTickPeriod);
            ticking = true;
        }
    };
    const RestoreResult result = client_->restore(outgoing_, panTilt_.load(), [this] { addProgress(1); }, onSent, stop);
    if (ticking)
        tickTimer_.stop();
    switch (result) {
    case RestoreResult::Accepted:
        return 0;
    case RestoreResult::NotSent:
        return -1;
    case RestoreResult::NotAccepted:
        break;
    }
    return -2;
}

} // namespace zka
