#pragma once

#include "camera/CameraClient.h"
#include "resources/SupportedModels.h"
#include "runtime/Clock.h"
#include "runtime/TimerService.h"
#include "camera/CameraIdentity.h"
#include "camera/ProcedureGate.h"
#include "camera/StatusCode.h"
#include "camera/UploadAnswerParser.h"
#include "camera/WakeEvent.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>

namespace zka {

class ConfigBackup;

// The upgrade of one camera, once for both modes: the save of its configuration, the upload, the
// camera's answer, the wait for its reboot and new version (or its search when it dropped off),
// the restore and the wait while it applies its configuration. What the modes differ in is its
// Options. Owned by the manual flow or by the batch. Destroying it in any state is safe and quick:
// it stops its threads cooperatively and joins them, and nothing a stopped thread did afterwards
// is read.
class UpgradeJob final {
public:
    // What a job needs of its owner: the clock and the timers, which outlive the job.
    struct Seams {
        const Clock& clock;
        TimerService& timers;
    };

    // How the upgrade ended, for a front end that leads its operator on (the manual mode; the
    // batch's failures end as status codes instead). Each front end chooses the message and page.
    enum class Outcome {
        Confirmed,            // the camera runs the new version
        ConfirmedAfterSearch, // the same, for a camera found again after it dropped off in the upload
        UploadNotSent,        // the firmware did not go out: a network error
        VersionUpError,       // the camera did not confirm the new version
    };
    // Where the upgrade is (see UpgradeStage). Views keep showing the status codes 0..16 (errorCode)
    // as the list's and the log's words; the stage says what the worker does, and failedStage() in
    // which stage a failure code was set.
    using Stage = UpgradeStage;

    // What the job tells its owner. Each is optional; set them before start(). None is called once
    // the job is being destroyed, and none may block or call back into the job: an owner on another
    // thread posts what it heard to its own.
    struct Events {
        // Each stage the worker enters, on the worker (or on the user-interface thread when a tick
        // decides the upgrade: then Ended).
        std::function<void(Stage)> stageChanged;
        // On the user-interface thread after each tick of the tick timer (true) and of the search
        // timer (false), once the job has handled it: the progress moved, the status may have.
        std::function<void(bool tickTimer)> ticked;
        // At most once per upgrade, on the worker or on the user-interface thread (a tick).
        std::function<void(Outcome)> outcome;
    };
    void setEvents(Events events) { events_ = std::move(events); }

    // The wait while a camera applies a restored configuration: one system inquiry per period until
    // it answers as a supported model or the limit has passed, each moving the progress by step.
    // The defaults are the manual mode's.
    struct ReconfigureWait {
        Clock::Duration period{1000};
        std::chrono::seconds limit{149};
        int progressStep = 0;
    };

    // What differs between the manual mode (the defaults) and the batch.
    struct Options {
        // Each inquiry for the new version after the upload waits this long.
        Clock::Duration inquiryTimeout{60000};
        // A failure ends as the status code (10, 11, 14) for the batch's row instead of being told
        // to the operator with a message and a page.
        bool failuresAsCodes = false;
        // At the tick limit of the wait for the end of the camera's answer, go on to the reboot
        // wait instead of giving the upgrade up.
        bool tickLimitEndsAnswerWait = false;
        // Save the configuration before the upload and send it back afterwards.
        bool retain = false;
        bool deleteAfterRestore = true;
        // The backup folder's time stamp; the moment of the save when empty.
        std::optional<std::chrono::system_clock::time_point> backupTime;
        // The pause between a restore and the wait below, while the camera applies what it got.
        Clock::Duration settlePause{5000};
        // The wait while the camera applies its restored configuration.
        ReconfigureWait reconfigure;
        // The progress follows the camera's answer as a batch row does (its steps start from the
        // value the row had when the first step came) rather than as the manual page's bar.
        bool progressAsRow = false;

        static Options batch(bool retain, bool deleteAfterRestore, std::chrono::system_clock::time_point backupTime);
    };

    // A job that reaches its camera over HTTP.
    UpgradeJob(Seams host, std::string addressText, std::string credential, const SupportedModels& models,
               std::string serial = {});
    // A job that reaches its camera through `camera` (a scripted one in tests).
    UpgradeJob(Seams host, std::unique_ptr<CameraOperations> camera, const SupportedModels& models,
               std::string serial = {});
    ~UpgradeJob();
    UpgradeJob(const UpgradeJob&) = delete;
    UpgradeJob& operator=(const UpgradeJob&) = delete;

    // The camera's HTTP operations, for the inquiries of whoever drives this job.
    CameraOperations& client() { return *client_; }

    // Takes the reply's versions when it names a supported model (see recordIdentity); false
    // otherwise.
    bool checkSystemReply(const std::string& reply);
    // Takes the version of a system reply whose model passed the check: the first one becomes the
    // current version (or marks emergency firmware), later ones the latest. No version: no change.
    void recordIdentity(const CameraIdentity& identity);

    // ---- Firmware upload ----
    // The package is borrowed, never copied: it must outlive the upload.
    void setFirmware(std::span<const std::uint8_t> data, std::string newVersionText);
    // Sends the package through the client and, unless the camera runs emergency firmware, waits
    // until the camera's response headers came: 0; the package did not go out: -1; the camera did
    // not complete the request (no answer within 60 s, connection dropped): -2. The answer is left
    // to readUploadAnswer; closeUpload() ends the transfer.
    int uploadFirmware(std::stop_token stop = {});
    // The package did not go out: the batch's row ends as a network error, the manual mode is told.
    void reportUploadFailure();
    // Follows the camera's answer until it ended (replyResult 1), a read failed (replyResult 0) or
    // stop was requested (replyResult stays 1). An emergency camera only sets emergencyStep.
    void readUploadAnswer(std::stop_token stop = {});
    // Ends the upload's transfer; harmless when there is none.
    void closeUpload();
    int replyResult() const { return replyResult_.load(); }
    int emergencyStep() const { return emergencyStep_.load(); }

    // ---- Configuration restore ----
    // The bytes are borrowed until the restore returns. An empty span means nothing to send.
    void setRestoreData(std::span<const std::uint8_t> data);
    // Keeps a non-empty "inq=system" reply as the latest one (empty replies are ignored).
    void rememberSystemReply(const std::string& reply);
    // Sets panTilt for good when the latest system reply holds "PanTiltFunc=1".
    void detectPanTilt();
    // 0 sent and accepted; -1 nothing to send, or the request could not be opened, sent or written;
    // -2 the camera did not complete it or refused it (an answer that is not 2xx).
    int restoreConfiguration(std::stop_token stop = {});

    // ---- Upgrade procedure ----
    // Call before start(); a job is made with the manual mode's options.
    void setOptions(Options options) { options_ = std::move(options); }
    const Options& options() const { return options_; }
    // Starts the worker that runs the whole upgrade; errorCode becomes 2 when the options retain
    // the configuration, else 3. Call once, after setFirmware. Returns 1.
    int start();
    // Sends a saved configuration back: 10 s pause, read back (nothing is sent when that fails), up to
    // four attempts 5 s apart; on success marks it restored and deletes the file when asked to. Used
    // by the automatic worker and by the manual flow, on a worker thread.
    enum class RestoreOutcome { Restored, Failed, Stopped };
    RestoreOutcome restoreSaved(ConfigBackup& backup, std::stop_token stop);
    // Waits as `wait` says for the camera to answer after a restore (ticks of the reconfigure
    // timer that come while an inquiry runs are merged into it). True when it answered or the limit
    // passed; false when stopped or the job is going. The job's own restore uses it with its
    // options, and so does the manual flow after the restore it runs, on its worker thread.
    bool awaitReconfigured(const ReconfigureWait& wait, std::stop_token stop);
    // What the worker does or waits for now.
    Stage stage() const { return stage_.load(); }
    // The stage in which the job's final failure code (10 and above) was set; empty while it has
    // none.
    std::optional<Stage> failedStage() const;
    // The worker has ended its sequence (a reconfigure wait still to come counts as not ended).
    bool workerDone() const { return workerDone_.load(); }

    // ---- State read by owners ----
    const std::string& addressText() const { return addressText_; }
    const std::string& credential() const { return credential_; }
    const SupportedModels& supportedModels() const { return supportedModels_; }
    std::string currentVersion() const;
    std::string latestVersion() const;
    std::string targetVersion() const;
    bool emergency() const { return emergency_.load(); }
    int errorCode() const { return errorCode_.load(); }
    bool panTilt() const { return panTilt_.load(); }

    // What the owner learnt about the camera only after construction (the batch fills them from its
    // system inquiry). Call before start(): the serial names the backup file, and the MAC address
    // tells two backups apart whose cameras report the same serial.
    void setSerial(std::string serial) { serial_ = std::move(serial); }
    void setMacAddress(std::string mac) { mac_ = std::move(mac); }
    // Where the worker saved the camera's configuration; empty when nothing was saved. The file may
    // since have been deleted after a successful restore.
    std::string savedConfigPath() const;
    // Why the upgrade failed, in a few words ("upload broke off"); empty when it did not fail or
    // the cause is not known.
    std::string failureDetail() const;

    // How far the upgrade got, 0 to 10000, written by the job's threads: the manual page's bar and
    // the batch row read it.
    int progress() const { return progress_.load(); }

    // This job's timers: the 1 s tick of the watched waits, the search timer of a camera that
    // dropped off, and the reconfigure timer. They stop when the job goes.
    const TimerHandle& tickTimer() const { return tickTimer_; }
    const TimerHandle& searchTimer() const { return searchTimer_; }
    const TimerHandle& reconfigureTimer() const { return reconfigureTimer_; }

private:
    void addProgress(int step);
    // Where the answer's steps and the upload's pieces move the progress (see progressAsRow).
    ProgressTargets progressTargets();
    void setFailureDetail(std::string detail);

    Seams host_;
    const std::string addressText_;
    const std::string credential_;
    const SupportedModels& supportedModels_;
    Options options_;
    std::string serial_;
    std::string mac_;

    // Raised first by the destructor: the worker leaves at its next check.
    std::stop_source stop_;


    // Versions are written by whichever thread inquires and read by the owner: guarded, and so is the
    // saved configuration's path and the failure's cause, written by the worker.
    mutable std::mutex versionMutex_;
    std::string currentVersion_;
    std::string latestVersion_;
    std::string targetVersion_;
    std::string lastSystemReply_;
    std::string savedConfigPath_;
    std::string failureDetail_;

    std::atomic<bool> emergency_{false};
    std::atomic<bool> panTilt_{false};
    std::atomic<int> errorCode_{0};
    std::atomic<int> tickCount_{0};
    std::atomic<int> emergencyStep_{0};
    std::atomic<bool> uploadWaitOver_{false};
    std::atomic<bool> workerDone_{false};
    std::atomic<int> replyResult_{0};
    std::atomic<int> progress_{0};
    std::atomic<Stage> stage_{Stage::Idle};
    std::atomic<Stage> failedStage_{Stage::Idle};

    // The bytes to send: the firmware package, replaced by the saved configuration for a restore.
    std::span<const std::uint8_t> outgoing_;

    // The answer's parser, used by the reader thread only.
    UploadAnswerParser answerParser_{emergencyStep_};
    // Declared after everything its transfer callbacks touch, before the worker that uses it.
    const std::unique_ptr<CameraOperations> client_;

    // ---- Upgrade procedure ----
    enum class RebootResult { Confirmed, NotConfirmed, Stopped };
    void runWorker(std::stop_token stop);
    void runSequence(std::stop_token stop);
    // Ends the upgrade as failed after an exception in the worker (list row: code 14).
    void failWorker() noexcept;
    bool saveConfiguration(std::stop_token stop);
    int waitUploadEnd(std::stop_token stop);
    // inquiryPhase: RebootWait after an upload, Searching for a camera that dropped off.
    RebootResult waitReboot(Clock::Duration firstPause, UpgradeStage inquiryPhase, std::stop_token stop);
    RebootResult inquireNewVersion(UpgradeStage inquiryPhase, std::stop_token stop);
    void waitForSearch(std::stop_token stop);
    void finishConfirmed(std::stop_token stop, bool searched);
    void finishNotConfirmed(StatusCode listCode);
    void restoreSequence(std::stop_token stop);
    void reconfigureWait(std::stop_token stop);
    void onTick();
    void onSearchTick();
    void decideAtTickLimit(UpgradeStage phase);
    void reportVersionUpError();
    void tell(Outcome outcome);
    void abandonWorker();
    // Enters a stage and tells it; false when the worker was abandoned.
    bool enterStage(Stage stage);
    void endStage();
    // A failure code (10 and above) also records the stage it came in.
    void setCode(StatusCode code);
    // Adds to the progress, never beyond 10000.
    void advanceProgress(int step);
    void completeProgress();

    // The backup is made and used by the worker only; its type is complete in the procedure's source.
    struct BackupDeleter {
        void operator()(ConfigBackup* backup) const;
    };
    ProcedureGate gate_;
    WakeEvent uploadWaitEnd_;   // the reader ended, or the tick handler cut the wait short
    WakeEvent tickLimit_;       // an emergency camera's 180 ticks have passed
    WakeEvent searchDue_;       // the search timer counted its 240 ticks
    WakeEvent reconfigureDue_;  // a tick of the reconfigure timer: inquire once
    std::unique_ptr<ConfigBackup, BackupDeleter> backup_;
    // Raised by the tick handler when it abandons the worker, and when the job is destroyed.
    std::stop_source workerStop_;
    Events events_;
    // The timers call into everything above; the worker starts and stops them.
    TimerHandle tickTimer_;
    TimerHandle searchTimer_;
    TimerHandle reconfigureTimer_;
    // The worker: declared last, so that it is stopped and joined before anything it uses is destroyed.
    std::jthread worker_;
};

} // namespace zka
