// The upgrade procedure of a CameraContext: the worker that saves, uploads, waits for the camera to
// come back with its new version, restores and waits while the camera applies its configuration,
// and the handler of the timers that watch it from the user-interface thread.
//
// The worker and the tick handler race at the end of a long wait. The ProcedureGate settles that
// race: the worker publishes what others read through it, and the tick handler abandons the worker
// only when the worker has not already claimed the finish.
#include "camera/CameraContext.h"

#include "camera/ConfigBackup.h"

#include <algorithm>
#include <vector>

namespace zka {

namespace {

constexpr int kTickLimit = 180;           // ticks before a watched wait is decided
constexpr int kSearchTicks = 240;         // search-timer ticks before the search
constexpr int kTickStep = 5;              // progress per tick, of 10000
constexpr int kInquiries = 20;            // inquiries after the upgrade
constexpr int kRestoreAttempts = 4;
constexpr int kProgressFull = 10000;
constexpr auto kReconfigureLimit = std::chrono::seconds(299);

constexpr Clock::Duration kTickPeriod{1000};
constexpr Clock::Duration kSearchPeriod{1000};
constexpr Clock::Duration kReconfigurePeriod{10000};
constexpr Clock::Duration kUploadAnswerLimit{180000};
constexpr Clock::Duration kRebootPause{60000};
constexpr Clock::Duration kSearchPause{5000};
// The inquiries after the upgrade: the manual worker waits up to 60 s for each, the batch's 20 s.
constexpr Clock::Duration kInquiryTimeout{60000};
constexpr Clock::Duration kAutomaticInquiryTimeout{20000};
constexpr Clock::Duration kReconfigureInquiryTimeout{20000};
constexpr Clock::Duration kUnusableReplyPause{500};
constexpr Clock::Duration kRestorePause{10000};
constexpr Clock::Duration kRestoreRetryPause{5000};
constexpr Clock::Duration kSettlePause{120000};

// An error text as a cause shown under the camera's line: it starts in lower case.
std::string detailOf(std::string errorText)
{
    if (!errorText.empty() && errorText.front() >= 'A' && errorText.front() <= 'Z')
        errorText.front() = static_cast<char>(errorText.front() - 'A' + 'a');
    return errorText;
}

void addClamped(std::atomic<int>* target, int step)
{
    if (target == nullptr)
        return;
    int value = target->load();
    while (!target->compare_exchange_weak(value, std::min(value + step, kProgressFull))) {
    }
}

} // namespace

void CameraContext::BackupDeleter::operator()(ConfigBackup* backup) const
{
    delete backup;
}

int CameraContext::start()
{
    if (worker_.joinable())
        return 0;
    const bool retain = retainFlag_ != nullptr && retainFlag_->load() != 0;
    setCode(retain ? StatusCode::SavingConfig : StatusCode::Uploading);
    worker_ = std::jthread([this] { runWorker(workerStop_.get_token()); });
    return 1;
}

void CameraContext::runWorker(std::stop_token stop)
{
    // The destructor raises stop_ first: from then on this worker writes nothing and leaves.
    std::stop_callback onDestroy(stop_.get_token(), [this] {
        gate_.abandon();
        workerStop_.request_stop();
    });

    try {
        runSequence(stop);
    } catch (...) {
        // Out of memory, or no thread to be had: the upgrade cannot go on. It ends as a failure of
        // this camera instead of ending the whole process.
        failWorker();
    }

    tickTimer_.stop();
    searchTimer_.stop();
    reconfigureTimer_.stop();
    gate_.enter(ProcedurePhase::Idle);
    workerDone_.store(true);
}

void CameraContext::runSequence(std::stop_token stop)
{
    gate_.publish([this] { uploadWaitOver_.store(false); });
    if (retainFlag_ != nullptr && retainFlag_->load() != 0 && !saveConfiguration(stop))
        return;
    if (!gate_.publish([this] { setCode(StatusCode::Uploading); }) || !gate_.enter(ProcedurePhase::Uploading))
        return;
    const int r = uploadFirmware(stop);
    if (stop.stop_requested()) {
        // Destroyed or abandoned: nothing more to write.
    } else if (r == -1) {
        if (gate_.claimFinish())
            reportUploadFailure(true);
    } else if (r != 0) {
        waitForSearch(stop);
    } else if (waitUploadEnd(stop) != 0 && !stop.stop_requested()) {
        const RebootResult v = waitReboot(kRebootPause, ProcedurePhase::RebootWait, stop);
        if (v == RebootResult::Confirmed)
            finishConfirmed(stop, false);
        else if (v == RebootResult::NotConfirmed)
            finishNotConfirmed(StatusCode::SequenceError);
    } else if (!stop.stop_requested()) {
        finishNotConfirmed(StatusCode::SequenceError);
    }
}

void CameraContext::failWorker() noexcept
{
    try {
        if (listRow_ != nullptr) {
            gate_.claimFinish([this] { setCode(StatusCode::InsufficientMemory); });
        } else if (gate_.claimFinish()) {
            reportVersionUpError();
        }
    } catch (...) {
        // Not even the message could be shown; the worker still ends.
    }
}

bool CameraContext::saveConfiguration(std::stop_token stop)
{
    gate_.enter(ProcedurePhase::Saving);
    const std::string principal = supportedModels_.empty() ? std::string() : supportedModels_.front();
    const auto stamp = batchTime_ != nullptr ? *batchTime_ : host_.clock.wallTime();
    const bool deleteAfterRestore = deleteFlag_ != nullptr && deleteFlag_->load() != 0;
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

int CameraContext::waitUploadEnd(std::stop_token stop)
{
    uploadWaitEnd_.reset();
    if (!gate_.enter(ProcedurePhase::UploadWait))
        return 0;
    {
        std::jthread reader([this](std::stop_token readerStop) {
            try {
                readUploadAnswer(readerStop);
            } catch (...) {
                replyResult_.store(0); // the answer could not be followed
            }
            uploadWaitEnd_.raise();
        });
        // Ends when the reader has finished, when the tick handler cuts the wait short, after
        // 180 s, or on a stop request; the reader is then stopped and joined in every case.
        uploadWaitEnd_.waitFor(host_.clock, kUploadAnswerLimit, stop);
        reader.request_stop();
    }
    closeUpload();
    if (!gate_.publish([this] {
            setCode(StatusCode::Rebooting);
            uploadWaitOver_.store(true);
        }))
        return 0;
    return replyResult_.load();
}

CameraContext::RebootResult CameraContext::waitReboot(Clock::Duration firstPause, ProcedurePhase inquiryPhase,
                                                      std::stop_token stop)
{
    // No tick comes during the first pause: the phase only tells the owner what the worker waits for.
    if (!gate_.enter(inquiryPhase) || !host_.clock.sleepFor(firstPause, stop))
        return RebootResult::Stopped;
    tickLimit_.reset();
    tickCount_.store(0);
    RebootResult result = RebootResult::NotConfirmed;
    if (emergency_.load()) {
        // The camera rewrites its firmware for 180 ticks, in which its display moves to 9800; then
        // its new version is confirmed like any other camera's, under a fresh 180-tick bound.
        if (!gate_.enter(ProcedurePhase::EmergencyWait)) {
            result = RebootResult::Stopped;
        } else {
            tickTimer_.start(kTickPeriod);
            if (!tickLimit_.wait(stop))
                result = RebootResult::Stopped;
            tickCount_.store(0);
        }
    } else {
        tickTimer_.start(kTickPeriod);
    }
    if (result != RebootResult::Stopped)
        result = inquireNewVersion(inquiryPhase, stop);
    tickTimer_.stop();
    return result;
}

CameraContext::RebootResult CameraContext::inquireNewVersion(ProcedurePhase inquiryPhase, std::stop_token stop)
{
    if (!gate_.enter(inquiryPhase))
        return RebootResult::Stopped;
    const Clock::Duration timeout = listRow_ != nullptr ? kAutomaticInquiryTimeout : kInquiryTimeout;
    for (int i = 0; i < kInquiries; ++i) {
        const std::string reply = client_.query("inq=system", timeout, stop).text;
        if (stop.stop_requested())
            return RebootResult::Stopped;
        if (reply.empty())
            continue;
        bool decided = false;
        bool confirmed = false;
        // The reply's versions, the decision and the claim of the finish are one step for the tick
        // handler: it sees either none of them or all.
        const bool open = gate_.decide([&] {
            {
                std::lock_guard lock(versionMutex_);
                lastSystemReply_ = reply;
            }
            detectPanTilt();
            if (!checkSystemReply(reply, false))
                return false;
            std::lock_guard lock(versionMutex_);
            if (targetVersion_.empty())
                targetVersion_ = latestVersion_;
            confirmed = targetVersion_ == latestVersion_;
            decided = true;
            return true;
        });
        if (!open)
            return RebootResult::Stopped;
        if (decided)
            return confirmed ? RebootResult::Confirmed : RebootResult::NotConfirmed;
        if (!host_.clock.sleepFor(kUnusableReplyPause, stop))
            return RebootResult::Stopped;
    }
    return RebootResult::NotConfirmed;
}

void CameraContext::waitForSearch(std::stop_token stop)
{
    searchDue_.reset();
    if (!gate_.publish([this] { setCode(StatusCode::Searching); }) || !gate_.enter(ProcedurePhase::SearchWait))
        return;
    tickCount_.store(0);
    searchTimer_.start(kSearchPeriod);
    if (!searchDue_.wait(stop))
        return;
    const RebootResult v = waitReboot(kSearchPause, ProcedurePhase::SearchPath, stop);
    if (v == RebootResult::Confirmed)
        finishConfirmed(stop, true);
    else if (v == RebootResult::NotConfirmed)
        finishNotConfirmed(StatusCode::NetworkError);
}

void CameraContext::finishConfirmed(std::stop_token stop, bool searched)
{
    // The finish was claimed with the decision. Code 9 is final for the batch list, which deletes
    // the context when it sees it: with a backup to restore, the code goes straight to 7.
    const bool withBackup = backup_ != nullptr;
    const bool open = gate_.publish([&] {
        if (searched)
            host_.events.postNavigate(0, 1);
        if (withBackup) {
            setCode(StatusCode::LoadingConfig);
        } else {
            completeProgress();
            setCode(StatusCode::Completed);
        }
        if (!searched)
            host_.events.postNavigate(1, 6);
    });
    if (open && withBackup)
        restoreSequence(stop);
}

void CameraContext::finishNotConfirmed(StatusCode listCode)
{
    setFailureDetail(listCode == StatusCode::NetworkError ? "the camera was not found after the upload"
                                                          : "the camera did not confirm the new version");
    if (listRow_ != nullptr) {
        gate_.claimFinish([&] { setCode(listCode); });
        return;
    }
    // The message blocks this thread until it is answered: claim first, never under the gate.
    if (!gate_.claimFinish())
        return;
    reportVersionUpError();
}

void CameraContext::reportVersionUpError()
{
    host_.prompter.show(Message{host_.texts(206), host_.texts(203), MessageIcon::Error, MessageButtons::Ok});
    // Through the gate: a context being destroyed meanwhile navigates nowhere.
    gate_.publish([this] { host_.events.postNavigate(1, 3); });
}

void CameraContext::restoreSequence(std::stop_token stop)
{
    if (!gate_.enter(ProcedurePhase::Restoring))
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
    if (!gate_.enter(ProcedurePhase::Settling) || !host_.clock.sleepFor(kSettlePause, stop))
        return;
    reconfigureWait(stop);
}

CameraContext::RestoreOutcome CameraContext::restoreSaved(ConfigBackup& backup, std::stop_token stop)
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

void CameraContext::reconfigureWait(std::stop_token stop)
{
    reconfigureDue_.reset();
    if (!gate_.publish([this] { setCode(StatusCode::Reconfiguring); }) ||
        !gate_.enter(ProcedurePhase::Reconfiguring))
        return;
    const Clock::TimePoint reconfigureStart = host_.clock.now();
    reconfigureTimer_.start(kReconfigurePeriod);
    // One inquiry per tick of the reconfigure timer; ticks that come while one runs are merged.
    while (reconfigureDue_.wait(stop)) {
        const std::string reply = client_.query("inq=system", kReconfigureInquiryTimeout, stop).text;
        if (stop.stop_requested())
            return;
        bool done = false;
        const bool open = gate_.publish([&] {
            if (!reply.empty()) {
                {
                    std::lock_guard lock(versionMutex_);
                    lastSystemReply_ = reply;
                }
                detectPanTilt();
            }
            advanceProgress(1);
            const bool answered = checkSystemReply(reply, false);
            const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(host_.clock.now() - reconfigureStart);
            done = answered || elapsed > kReconfigureLimit;
        });
        if (!open)
            return;
        if (done) {
            reconfigureTimer_.stop();
            gate_.publish([this] {
                completeProgress();
                setCode(StatusCode::Completed);
            });
            return;
        }
    }
}

void CameraContext::onTick()
{
    advanceProgress(emergency_.load() ? emergencyStep_.load() : kTickStep);
    if (tickCount_.fetch_add(1) != kTickLimit)
        return;
    const ProcedurePhase phase = gate_.phase();
    switch (phase) {
    case ProcedurePhase::UploadWait:
        if (listRow_ != nullptr) {
            // The answer did not end: cut the wait short, the worker goes on to the reboot wait.
            uploadWaitEnd_.raise();
            return;
        }
        decideAtTickLimit(phase);
        return;
    case ProcedurePhase::EmergencyWait:
        tickLimit_.raise();
        return;
    case ProcedurePhase::RebootWait:
        decideAtTickLimit(phase);
        return;
    default:
        // The upload, the search and the restore are bounded by their own time-outs and counts.
        return;
    }
}

void CameraContext::decideAtTickLimit(ProcedurePhase phase)
{
    if (!gate_.abandonIn(phase))
        return; // the worker decided first
    workerStop_.request_stop();
    tickTimer_.stop();
    // The camera has not confirmed its new version (or the end of its answer): not completed.
    if (listRow_ != nullptr) {
        setFailureDetail("the camera did not confirm the new version");
        setCode(StatusCode::SequenceError);
        return;
    }
    host_.prompter.show(Message{host_.texts(206), host_.texts(203), MessageIcon::Error, MessageButtons::Ok});
    host_.events.postNavigate(1, 3);
}

void CameraContext::onSearchTick()
{
    advanceProgress(emergency_.load() ? emergencyStep_.load() : kTickStep);
    if (tickCount_.fetch_add(1) != kSearchTicks)
        return;
    searchTimer_.stop();
    searchDue_.raise();
}

void CameraContext::setCode(StatusCode code)
{
    errorCode_.store(static_cast<int>(code));
}

void CameraContext::advanceProgress(int step)
{
    addClamped(progressControl_, step);
    addClamped(listRow_, step);
}

void CameraContext::completeProgress()
{
    if (progressControl_ != nullptr)
        progressControl_->store(kProgressFull);
    if (listRow_ != nullptr)
        listRow_->store(kProgressFull);
}

} // namespace zka
