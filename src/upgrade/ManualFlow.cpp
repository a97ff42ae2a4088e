#include "upgrade/ManualFlow.h"

#include "http/Base64.h"
#include "camera/BackupLocation.h"
#include "camera/ConfigBackup.h"
#include "resources/PackagedResources.h"
#include "upgrade/VerdictWords.h"

#include <algorithm>
#include <filesystem>

namespace zka {

namespace {

constexpr const char* kNotSuitable = "This firmware is not suitable for the target camera.";
constexpr const char* kCannotSave = "Cannot save camera's configuration!";
constexpr const char* kRestoreFault = "Fault to upload configuration!";
constexpr const char* kInformation = "Information";

} // namespace

// A check of the target: the job that inquires (made on the user-interface thread, used by
// the worker) and what it found, handed back to the user-interface thread.
struct ManualFlow::CheckOutcome {
    std::shared_ptr<const bool> token;
    std::unique_ptr<UpgradeJob> job;
    bool systemRead = false;
    bool accepted = false;
    // Whether a refusal has been told with its own cause (no reply, a refused login); otherwise
    // the camera is of another model and the firmware does not suit it.
    bool causeTold = false;
    std::string serial;
    std::string versionText;
    std::size_t slot = 0;
};

namespace {

// The backup's time-stamped folder goes when it holds nothing: its file was deleted after the
// restore, or the save failed before writing one.
void removeEmptyFolderOf(const ConfigBackup& backup)
{
    removeFolderIfEmpty(std::filesystem::path(backup.localPath()).parent_path().string());
}

} // namespace

void ManualFlow::BackupDeleter::operator()(ConfigBackup* backup) const
{
    delete backup;
}

ManualFlow::ManualFlow(Seams seams, const PackagedResources& resources, ManualFlowObserver& observer)
    : clock_(seams.clock)
    , timers_(seams.timers)
    , dispatcher_(seams.dispatcher)
    , prompter_(seams.prompter)
    , texts_(seams.texts)
    , resources_(resources)
    , observer_(observer)
    , worker_(seams.dispatcher)
{
}

ManualFlow::~ManualFlow()
{
    worker_.cancel();
    upgradeJob_.reset();
    checkedJob_.reset();
}

std::string ManualFlow::newVersion() const
{
    return resources_.chooseNewVersion(cameraVersionText_);
}

std::unique_ptr<UpgradeJob> ManualFlow::makeJob(const std::shared_ptr<const bool>& token)
{
    auto job = std::make_unique<UpgradeJob>(UpgradeJob::Seams{clock_, timers_}, addressText_, credential_,
                                            resources_.supportedModels());
    // The job tells from its worker; the flow hears it on the user-interface thread, unless the
    // job it came from has been replaced or the flow has gone meanwhile.
    UpgradeJob::Events events;
    events.outcome = [this, alive = std::weak_ptr<const bool>(token)](UpgradeJob::Outcome outcome) {
        dispatcher_.post([this, alive, outcome] {
            if (alive.lock())
                onJobOutcome(outcome);
        });
    };
    events.ticked = [this](bool tickTimer) { onJobTick(tickTimer); };
    job->setEvents(std::move(events));
    return job;
}

bool ManualFlow::submitTarget(std::string addressText, const std::string& credentialPlain, bool retain, bool backup)
{
    if (step_ != Step::Target || worker_.busy())
        return false;
    addressText_ = std::move(addressText);
    credential_ = encodeBase64(credentialPlain);
    retain_ = retain;
    backup_ = backup;
    checkTarget([this](bool accepted) {
        if (!accepted)
            return;
        shownStage_ = 0;
        showStage(0);
        observer_.setupDataChanged(retain_, backup_);
        switchPage(Step::Confirm);
    });
    return true;
}

bool ManualFlow::confirmUpgrade()
{
    if (step_ != Step::Confirm || worker_.busy())
        return false;
    const Message question{texts_(209), texts_(203), MessageIcon::Question, MessageButtons::OkCancel};
    if (prompter_.show(question) != MessageAnswer::Ok)
        return true;
    checkTarget([this](bool accepted) {
        if (accepted)
            switchPage(Step::Progress);
    });
    return true;
}

bool ManualFlow::back()
{
    if (worker_.busy() || (step_ != Step::Confirm && step_ != Step::Result))
        return false;
    switchPage(Step::Target);
    return true;
}

void ManualFlow::checkTarget(std::function<void(bool accepted)> then)
{
    auto outcome = std::make_shared<CheckOutcome>();
    outcome->token = std::make_shared<const bool>(true);
    outcome->job = makeJob(outcome->token);
    observer_.busyChanged(true);
    worker_.run(
        [this, outcome](std::stop_token stop) { runCheck(*outcome, stop); },
        [this, outcome, then = std::move(then)] {
            observer_.busyChanged(false);
            if (outcome->systemRead) {
                cameraSerial_ = outcome->serial;
                cameraVersionText_ = outcome->versionText;
                packageIndex_ = outcome->slot;
            }
            if (!outcome->accepted && !outcome->causeTold) {
                prompter_.show(Message{kNotSuitable, texts_(203), MessageIcon::Question, MessageButtons::Ok});
            } else {
                // The checked job is the one that upgrades: it knows the camera's version and
                // whether it runs emergency firmware.
                checkedToken_ = std::move(outcome->token);
                checkedJob_ = std::move(outcome->job);
            }
            then(outcome->accepted);
        });
}

void ManualFlow::runCheck(CheckOutcome& outcome, std::stop_token stop)
{
    UpgradeJob& probe = *outcome.job;
    const TargetCheck check(resources_.supportedModels(), probe.credential());
    const TargetCheck::Result result = check.run(probe.client(), stop);
    if (result.verdict == TargetVerdict::Stopped)
        return;
    if (result.systemPassed) {
        // The checked job upgrades the camera: it keeps the version the camera reported.
        probe.recordIdentity(result.identity);
        outcome.systemRead = true;
        outcome.serial = result.identity.serial;
        outcome.slot = resources_.slotFor(result.identity.docType);
        outcome.versionText = probe.currentVersion();
    }
    outcome.accepted = result.verdict == TargetVerdict::Accepted;
    if (outcome.accepted)
        return;
    const std::string text = refusalWarning(result.verdict, texts_, resources_.principalModel());
    prompter_.show(Message{text, texts_(203), MessageIcon::Warning, MessageButtons::Ok});
    // Another model's camera is told, once back on the user-interface thread, that the firmware
    // does not suit it; every other refusal has been told by its cause.
    outcome.causeTold = result.verdict != TargetVerdict::NotACamera && result.verdict != TargetVerdict::UnsupportedModel;
}

void ManualFlow::switchPage(Step step)
{
    switch (step) {
    case Step::Target:
        showTarget();
        return;
    case Step::Confirm:
        showProgressPage();
        return;
    case Step::Progress:
        step_ = Step::Progress;
        observer_.pageShown(Step::Progress);
        startUpgrade();
        return;
    case Step::Result:
        showResult();
        return;
    }
}

void ManualFlow::showTarget()
{
    dropSavedConfig();
    step_ = Step::Target;
    observer_.pageShown(Step::Target);
}

void ManualFlow::showProgressPage()
{
    step_ = Step::Confirm;
    progressShown_ = false;
    observer_.statusTextChanged({});
    observer_.targetDescribed(addressText_, cameraVersionText_, newVersion());
    observer_.pageShown(Step::Confirm);
}

void ManualFlow::showResult()
{
    // Both the job's status and its outcome may lead here; the result is shown once.
    if (step_ == Step::Result)
        return;
    if (savedConfig_ && !savedConfig_->restored()) {
        restoreFailed_ = true;
        prompter_.show(Message{kRestoreFault, kInformation, MessageIcon::Error, MessageButtons::Ok});
    }
    dropSavedConfig();
    step_ = Step::Result;
    observer_.pageShown(Step::Result);
    observer_.resultShown(addressText_, newVersion());
}

void ManualFlow::startUpgrade()
{
    restoreFailed_ = false;
    savedConfigPath_.clear();
    observer_.statusTextChanged(texts_(200));
    if (!retain_) {
        startManualUpgrade();
        return;
    }
    const std::string principal = resources_.principalModel();
    dropSavedConfig();
    shownStage_ = 2;
    showStage(2);
    savedConfig_.reset(new ConfigBackup(clock_, addressText_, ConfigBackup::cameraFilePath(principal), credential_,
                                        clock_.wallTime(), principal, cameraSerial_, !backup_));
    auto saved = std::make_shared<bool>(false);
    worker_.run([backup = savedConfig_.get(), saved](std::stop_token stop) { *saved = backup->saveFromCamera(stop); },
             [this, saved] {
                 if (!*saved) {
                     removeEmptyFolderOf(*savedConfig_);
                     prompter_.show(Message{kCannotSave, kInformation, MessageIcon::Error, MessageButtons::Ok});
                     switchPage(Step::Target);
                     return;
                 }
                 savedConfigPath_ = savedConfig_->localPath();
                 observer_.configurationSaved(savedConfigPath_);
                 startManualUpgrade();
             });
}

void ManualFlow::startManualUpgrade()
{
    upgradeJob_.reset();
    upgradeToken_.reset();
    if (emergencyShown_) {
        emergencyShown_ = false;
        observer_.emergencyImageShown(false);
    }
    takenOver_ = false;
    upgradeToken_ = std::move(checkedToken_);
    upgradeJob_ = std::move(checkedJob_);
    if (!upgradeJob_) {
        upgradeToken_ = std::make_shared<const bool>(true);
        upgradeJob_ = makeJob(upgradeToken_);
    }
    upgradeJob_->setFirmware(resources_.packageData()[packageIndex_], newVersion());
    progressShown_ = true;
    shownStage_ = 3;
    showStage(3);
    upgradeJob_->start();
}

void ManualFlow::onJobTick(bool tickTimer)
{
    if (!upgradeJob_ || takenOver_ || step_ != Step::Progress)
        return;
    // The emergency image follows the tick timer's ticks only.
    if (tickTimer && upgradeJob_->emergency() != emergencyShown_) {
        emergencyShown_ = upgradeJob_->emergency();
        observer_.emergencyImageShown(emergencyShown_);
    }
    followStatus();
}

void ManualFlow::followStatus()
{
    if (!upgradeJob_ || takenOver_ || step_ != Step::Progress)
        return;
    if (!takeJobStage())
        return;
    if (shownStage_ == static_cast<int>(StatusCode::Completed))
        switchPage(Step::Result);
}

bool ManualFlow::takeJobStage()
{
    const int code = upgradeJob_->errorCode();
    if (code == shownStage_)
        return false;
    // With a saved configuration the upgrade goes on through the restore once the job's
    // outcome comes: neither the word "Completed" nor the result page may come first.
    if (code == static_cast<int>(StatusCode::Completed) && savedConfig_)
        return false;
    shownStage_ = code;
    showStage(code);
    return true;
}

void ManualFlow::showStage(int stage)
{
    if (stage >= 0 && stage <= static_cast<int>(StatusCode::Completed))
        observer_.stageChanged(stage);
}

void ManualFlow::onJobOutcome(UpgradeJob::Outcome outcome)
{
    // Only the running upgrade leads on, and only once.
    if (step_ != Step::Progress || takenOver_ || !upgradeJob_)
        return;
    Step target = Step::Result;
    switch (outcome) {
    case UpgradeJob::Outcome::Confirmed:
    case UpgradeJob::Outcome::ConfirmedAfterSearch:
        break;
    case UpgradeJob::Outcome::UploadNotSent:
        prompter_.show(Message{texts_(225), texts_(203), MessageIcon::Error, MessageButtons::Ok});
        target = Step::Target;
        break;
    case UpgradeJob::Outcome::VersionUpError:
        prompter_.show(Message{texts_(206), texts_(203), MessageIcon::Error, MessageButtons::Ok});
        target = Step::Target;
        break;
    }
    // The stage the job reached (its last code may have come after its last tick).
    takeJobStage();
    takenOver_ = true;
    if (target == Step::Target)
        dropSavedConfig();
    upgradeJob_->tickTimer().stop();
    upgradeJob_->searchTimer().stop();
    if (!savedConfig_) {
        switchPage(target);
        return;
    }
    startRestore(target);
}

void ManualFlow::startRestore(Step after)
{
    shownStage_ = static_cast<int>(StatusCode::LoadingConfig);
    showStage(shownStage_);
    stepAfterRestore_ = after;
    worker_.run(
        [this, job = upgradeJob_.get(), backup = savedConfig_.get()](std::stop_token stop) {
            // The camera applies what it got, or the settings it kept when the restore failed.
            if (job->restoreSaved(*backup, stop) != UpgradeJob::RestoreOutcome::Stopped)
                clock_.sleepFor(job->options().settlePause, stop);
        },
        [this] {
            // A restored camera's deleted file leaves its folder empty: that goes too.
            if (savedConfig_)
                removeEmptyFolderOf(*savedConfig_);
            shownStage_ = static_cast<int>(StatusCode::Reconfiguring);
            showStage(shownStage_);
            awaitReconfigured();
        });
}

void ManualFlow::awaitReconfigured()
{
    auto over = std::make_shared<bool>(false);
    worker_.run(
        [job = upgradeJob_.get(), over](std::stop_token stop) {
            *over = job->awaitReconfigured(job->options().reconfigure, stop);
        },
        [this, over] {
            if (*over && step_ == Step::Progress)
                switchPage(stepAfterRestore_);
        });
}

void ManualFlow::dropSavedConfig()
{
    // The object goes; the file stays unless a successful restore deleted it.
    if (savedConfig_ && worker_.busy())
        worker_.cancel();
    if (savedConfig_ && !worker_.busy())
        removeEmptyFolderOf(*savedConfig_);
    savedConfig_.reset();
}

} // namespace zka
