// The configuration's way out and back in an UpgradeJob: the save before the upload, the restore
// after the new firmware runs, and the wait while the camera applies what it got back.
#include "upgrade/UpgradeJob.h"

#include "camera/ConfigBackup.h"

#include <vector>

namespace zka {

namespace {

constexpr int kRestoreAttempts = 4;
constexpr Clock::Duration kReconfigureInquiryTimeout{20000};
constexpr Clock::Duration kRestorePause{10000};
constexpr Clock::Duration kRestoreRetryPause{5000};

// An error text as a cause shown under the camera's line: it starts in lower case.
std::string detailOf(std::string errorText)
{
    if (!errorText.empty() && errorText.front() >= 'A' && errorText.front() <= 'Z')
        errorText.front() = static_cast<char>(errorText.front() - 'A' + 'a');
    return errorText;
}

} // namespace

bool UpgradeJob::saveConfiguration(std::stop_token stop)
{
    enterStage(UpgradeStage::Saving);
    const std::string principal = supportedModels_.empty() ? std::string() : supportedModels_.front();
    const auto stamp = options_.backupTime.value_or(host_.clock.wallTime());
    const bool deleteAfterRestore = options_.deleteAfterRestore;
    backup_.reset();
    if (!gate_.publish([this] { setCode(StatusCode::SavingConfig); }))
        return false;
    backup_.reset(new ConfigBackup(host_.clock, addressText_, ConfigBackup::cameraFilePath(principal), credential_,
                                   stamp, principal, serial_, deleteAfterRestore));
    if (!mac_.empty())
        backup_->setClashName(mac_);
    const bool saved = backup_->saveFromCamera(stop);
    if (stop.stop_requested())
        return false;
    if (!saved) {
        setFailureDetail(detailOf(backup_->errorText()));
        gate_.claimFinish([this] { setCode(StatusCode::CannotSaveConfig); });
        return false;
    }
    std::lock_guard lock(versionMutex_);
    savedConfigPath_ = backup_->localPath();
    return true;
}


void UpgradeJob::restoreSequence(std::stop_token stop)
{
    if (!enterStage(UpgradeStage::Restoring))
        return;
    const RestoreOutcome outcome = restoreSaved(*backup_, stop);
    if (outcome == RestoreOutcome::Stopped)
        return;
    if (outcome == RestoreOutcome::Failed) {
        // The camera runs the new firmware without its settings: not a completed upgrade. The saved
        // file stays where it is.
        setFailureDetail(backup_->errorText().empty() ? "the camera did not take its configuration back"
                                                      : detailOf(backup_->errorText()));
        gate_.publish([this] { setCode(StatusCode::CannotLoadConfig); });
        return;
    }
    if (!enterStage(UpgradeStage::Settling) || !host_.clock.sleepFor(options_.settlePause, stop))
        return;
    reconfigureWait(stop);
}

UpgradeJob::RestoreOutcome UpgradeJob::restoreSaved(ConfigBackup& backup, std::stop_token stop)
{
    if (!host_.clock.sleepFor(kRestorePause, stop))
        return RestoreOutcome::Stopped;
    std::vector<std::uint8_t> buffer;
    // A file that cannot be read back whole is never sent: the camera would take it as its settings.
    if (!backup.readSaved(buffer) || buffer.empty())
        return RestoreOutcome::Failed;
    setRestoreData(buffer);
    detectPanTilt();
    RestoreOutcome outcome = RestoreOutcome::Failed;
    for (int attempt = 1; attempt <= kRestoreAttempts; ++attempt) {
        if (restoreConfiguration(stop) == 0) {
            backup.markRestored();
            backup.deleteSavedFile();
            outcome = RestoreOutcome::Restored;
            break;
        }
        if (stop.stop_requested()) {
            outcome = RestoreOutcome::Stopped;
            break;
        }
        if (attempt < kRestoreAttempts && !host_.clock.sleepFor(kRestoreRetryPause, stop)) {
            outcome = RestoreOutcome::Stopped;
            break;
        }
    }
    // The buffer goes away with this frame.
    setRestoreData({});
    return outcome;
}

void UpgradeJob::reconfigureWait(std::stop_token stop)
{
    if (!gate_.publish([this] { setCode(StatusCode::Reconfiguring); }) ||
        !enterStage(UpgradeStage::Reconfiguring) || !awaitReconfigured(options_.reconfigure, stop))
        return;
    gate_.publish([this] {
        completeProgress();
        setCode(StatusCode::Completed);
    });
}

bool UpgradeJob::awaitReconfigured(const ReconfigureWait& wait, std::stop_token stop)
{
    reconfigureDue_.reset();
    const Clock::TimePoint start = host_.clock.now();
    reconfigureTimer_.start(wait.period);
    bool done = false;
    while (!done && reconfigureDue_.wait(stop)) {
        const std::string reply = client_->query("inq=system", kReconfigureInquiryTimeout, stop).text;
        if (stop.stop_requested())
            break;
        const bool open = gate_.publish([&] {
            if (!reply.empty()) {
                {
                    std::lock_guard lock(versionMutex_);
                    lastSystemReply_ = reply;
                }
                detectPanTilt();
            }
            advanceProgress(wait.progressStep);
            const bool answered = checkSystemReply(reply);
            const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(host_.clock.now() - start);
            done = answered || elapsed > wait.limit;
        });
        if (!open)
            break;
    }
    reconfigureTimer_.stop();
    return done;
}

} // namespace zka
