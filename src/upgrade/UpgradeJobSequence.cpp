// The upgrade procedure of an UpgradeJob: the worker that uploads and waits for the camera to come
// back with its new version (the save and the restore around it are in UpgradeJobRestore.cpp),
// and the handlers of the timers that watch it from the user-interface thread.
//
// The worker and the tick handler race at the end of a long wait. The ProcedureGate settles that
// race: the worker publishes what others read through it, and the tick handler abandons the worker
// only when the worker has not already claimed the finish.
#include "upgrade/UpgradeJob.h"

#include "camera/ConfigBackup.h"

#include <algorithm>
#include <vector>

namespace zka {

namespace {

constexpr int kTickLimit = 180;           // ticks before a watched wait is decided
constexpr int kSearchTicks = 240;         // search-timer ticks before the search
constexpr int kTickStep = 5;              // progress per tick, of 10000
constexpr int kInquiries = 20;            // inquiries after the upgrade
constexpr int kProgressFull = 10000;

constexpr Clock::Duration kTickPeriod{1000};
constexpr Clock::Duration kSearchPeriod{1000};
constexpr Clock::Duration kUploadAnswerLimit{180000};
constexpr Clock::Duration kRebootPause{60000};
constexpr Clock::Duration kSearchPause{5000};
constexpr Clock::Duration kUnusableReplyPause{500};

void addClamped(std::atomic<int>& target, int step)
{
    int value = target.load();
    while (!target.compare_exchange_weak(value, std::min(value + step, kProgressFull))) {
    }
}

} // namespace

void UpgradeJob::BackupDeleter::operator()(ConfigBackup* backup) const
{
    delete backup;
}

int UpgradeJob::start()
{
    if (worker_.joinable())
        return 0;
    setCode(options_.retain ? StatusCode::SavingConfig : StatusCode::Uploading);
    worker_ = std::jthread([this] { runWorker(workerStop_.get_token()); });
    return 1;
}

void UpgradeJob::runWorker(std::stop_token stop)
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
    enterStage(Stage::Ended);
    workerDone_.store(true);
}

void UpgradeJob::runSequence(std::stop_token stop)
{
    gate_.publish([this] { uploadWaitOver_.store(false); });
    if (options_.retain && !saveConfiguration(stop))
        return;
    if (!gate_.publish([this] { setCode(StatusCode::Uploading); }) || !enterStage(UpgradeStage::Uploading))
        return;
    const int r = uploadFirmware(stop);
    if (stop.stop_requested()) {
        // Destroyed or abandoned: nothing more to write.
    } else if (r == -1) {
        gate_.claimFinish([this] { reportUploadFailure(); });
    } else if (r != 0) {
        waitForSearch(stop);
    } else if (waitUploadEnd(stop) != 0 && !stop.stop_requested()) {
        const RebootResult v = waitReboot(kRebootPause, UpgradeStage::RebootWait, stop);
        if (v == RebootResult::Confirmed)
            finishConfirmed(stop, false);
        else if (v == RebootResult::NotConfirmed)
            finishNotConfirmed(StatusCode::SequenceError);
    } else if (!stop.stop_requested()) {
        finishNotConfirmed(StatusCode::SequenceError);
    }
}

void UpgradeJob::failWorker() noexcept
{
    try {
        if (options_.failuresAsCodes) {
            gate_.claimFinish([this] { setCode(StatusCode::InsufficientMemory); });
        } else if (gate_.claimFinish()) {
            reportVersionUpError();
        }
    } catch (...) {
        // Not even the message could be shown; the worker still ends.
    }
}

int UpgradeJob::waitUploadEnd(std::stop_token stop)
{
    uploadWaitEnd_.reset();
    if (!enterStage(UpgradeStage::AnswerWait))
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

UpgradeJob::RebootResult UpgradeJob::waitReboot(Clock::Duration firstPause, UpgradeStage inquiryPhase,
                                                      std::stop_token stop)
{
    // No tick comes during the first pause: the phase only tells the owner what the worker waits for.
    if (!enterStage(inquiryPhase) || !host_.clock.sleepFor(firstPause, stop))
        return RebootResult::Stopped;
    tickLimit_.reset();
    tickCount_.store(0);
    RebootResult result = RebootResult::NotConfirmed;
    if (emergency_.load()) {
        // The camera rewrites its firmware for 180 ticks, in which its display moves to 9800; then
        // its new version is confirmed like any other camera's, under a fresh 180-tick bound.
        if (!enterStage(UpgradeStage::EmergencyWait)) {
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

UpgradeJob::RebootResult UpgradeJob::inquireNewVersion(UpgradeStage inquiryPhase, std::stop_token stop)
{
    if (!enterStage(inquiryPhase))
        return RebootResult::Stopped;
    const Clock::Duration timeout = options_.inquiryTimeout;
    for (int i = 0; i < kInquiries; ++i) {
        const std::string reply = client_->query("inq=system", timeout, stop).text;
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
            if (!checkSystemReply(reply))
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

void UpgradeJob::waitForSearch(std::stop_token stop)
{
    searchDue_.reset();
    if (!gate_.publish([this] { setCode(StatusCode::Searching); }) || !enterStage(UpgradeStage::SearchWait))
        return;
    tickCount_.store(0);
    searchTimer_.start(kSearchPeriod);
    if (!searchDue_.wait(stop))
        return;
    const RebootResult v = waitReboot(kSearchPause, UpgradeStage::Searching, stop);
    if (v == RebootResult::Confirmed)
        finishConfirmed(stop, true);
    else if (v == RebootResult::NotConfirmed)
        finishNotConfirmed(StatusCode::NetworkError);
}

void UpgradeJob::finishConfirmed(std::stop_token stop, bool searched)
{
    // The finish was claimed with the decision. Code 9 is final for the batch list, which deletes
    // the job when it sees it: with a backup to restore, the code goes straight to 7.
    const bool withBackup = backup_ != nullptr;
    const bool open = gate_.publish([&] {
        if (searched)
            tell(Outcome::ConfirmedAfterSearch);
        if (withBackup) {
            setCode(StatusCode::LoadingConfig);
        } else {
            completeProgress();
            setCode(StatusCode::Completed);
        }
        if (!searched)
            tell(Outcome::Confirmed);
    });
    if (open && withBackup)
        restoreSequence(stop);
}

void UpgradeJob::finishNotConfirmed(StatusCode listCode)
{
    setFailureDetail(listCode == StatusCode::NetworkError ? "the camera was not found after the upload"
                                                          : "the camera did not confirm the new version");
    if (options_.failuresAsCodes) {
        gate_.claimFinish([&] { setCode(listCode); });
        return;
    }
    if (!gate_.claimFinish())
        return;
    reportVersionUpError();
}

void UpgradeJob::reportVersionUpError()
{
    // Through the gate: a job being destroyed meanwhile tells nothing.
    gate_.publish([this] { tell(Outcome::VersionUpError); });
}

void UpgradeJob::tell(Outcome outcome)
{
    if (events_.outcome)
        events_.outcome(outcome);
}

bool UpgradeJob::enterStage(Stage stage)
{
    // Told under the gate, and only when it changes: a job being destroyed or abandoned meanwhile
    // tells nothing.
    return gate_.enter(stage) && gate_.publish([&] {
        if (stage_.exchange(stage) != stage && events_.stageChanged)
            events_.stageChanged(stage);
    });
}

void UpgradeJob::endStage()
{
    stage_.store(Stage::Ended);
    if (events_.stageChanged)
        events_.stageChanged(Stage::Ended);
}

std::optional<UpgradeJob::Stage> UpgradeJob::failedStage() const
{
    // The stage is stored before the code: a failure code read here has its stage.
    if (errorCode_.load() < static_cast<int>(StatusCode::NetworkError))
        return std::nullopt;
    return failedStage_.load();
}

void UpgradeJob::onTick()
{
    advanceProgress(emergency_.load() ? emergencyStep_.load() : kTickStep);
    if (tickCount_.fetch_add(1) != kTickLimit)
        return;
    const UpgradeStage phase = gate_.phase();
    switch (phase) {
    case UpgradeStage::AnswerWait:
        if (options_.tickLimitEndsAnswerWait) {
            // The answer did not end: cut the wait short, the worker goes on to the reboot wait.
            uploadWaitEnd_.raise();
            return;
        }
        decideAtTickLimit(phase);
        return;
    case UpgradeStage::EmergencyWait:
        tickLimit_.raise();
        return;
    case UpgradeStage::RebootWait:
        decideAtTickLimit(phase);
        return;
    default:
        // The upload, the search and the restore are bounded by their own time-outs and counts.
        return;
    }
}

void UpgradeJob::decideAtTickLimit(UpgradeStage phase)
{
    if (!gate_.abandonIn(phase))
        return; // the worker decided first
    workerStop_.request_stop();
    tickTimer_.stop();
    // The worker writes nothing from now on: the stage is this handler's to end.
    stage_.store(phase);
    // The camera has not confirmed its new version (or the end of its answer): not completed.
    if (options_.failuresAsCodes) {
        setFailureDetail("the camera did not confirm the new version");
        setCode(StatusCode::SequenceError);
    } else {
        tell(Outcome::VersionUpError);
    }
    endStage();
}

void UpgradeJob::onSearchTick()
{
    advanceProgress(emergency_.load() ? emergencyStep_.load() : kTickStep);
    if (tickCount_.fetch_add(1) != kSearchTicks)
        return;
    searchTimer_.stop();
    searchDue_.raise();
}

void UpgradeJob::setCode(StatusCode code)
{
    if (code >= StatusCode::NetworkError)
        failedStage_.store(stage_.load());
    errorCode_.store(static_cast<int>(code));
}

void UpgradeJob::advanceProgress(int step)
{
    addClamped(progress_, step);
}

void UpgradeJob::completeProgress()
{
    progress_.store(kProgressFull);
}

} // namespace zka
