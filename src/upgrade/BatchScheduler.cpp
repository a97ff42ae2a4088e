#include "upgrade/BatchScheduler.h"

#include "camera/BackupLocation.h"
#include "camera/StatusCode.h"
#include "http/Credential.h"
#include "resources/PackagedResources.h"
#include "upgrade/CameraAddressList.h"

#include <algorithm>
#include <filesystem>
#include <new>

namespace zka {

namespace {

constexpr int kProgressFull = 10000;
constexpr int kFirstFinal = static_cast<int>(StatusCode::Completed);

bool isSavingOrUploading(int code)
{
    return code == static_cast<int>(StatusCode::SavingConfig) || code == static_cast<int>(StatusCode::Uploading);
}

std::string withoutVerPrefix(const std::string& version)
{
    return version.rfind("ver", 0) == 0 ? version.substr(3) : version;
}

} // namespace

BatchScheduler::BatchScheduler(Seams seams, const PackagedResources& resources, FirmwareDescription firmware,
                               int parallel)
    : clock_(seams.clock)
    , timers_(seams.timers)
    , prompter_(seams.prompter)
    , resources_(resources)
    , firmware_(std::move(firmware))
    , parallel_(std::clamp(parallel, 1, kMaxParallel))
    , rowText_(resources_.texts())
{
    timer_ = timers_.makeTimer([this] { tick(); });
}

BatchScheduler::~BatchScheduler()
{
    timer_.stop();
    // The inquiry uses a job: it goes first; each job then stops and joins its own threads.
    pending_.reset();
    jobs_.clear();
}

void BatchScheduler::addObserver(BatchObserver& observer)
{
    observers_.push_back(&observer);
}

void BatchScheduler::removeObserver(BatchObserver& observer)
{
    observers_.erase(std::remove(observers_.begin(), observers_.end(), &observer), observers_.end());
}

bool BatchScheduler::addUpgradeTarget(const UpgradeTarget& target)
{
    if (rows_.size() >= kMaxRows)
        return false;
    const int position = static_cast<int>(rows_.size());
    auto row = std::make_unique<ProgressRow>();
    row->index = position;
    row->address = CameraAddress{target.address, target.port}.text();
    row->model = target.model;
    row->version = target.version;
    row->ipAddress = target.address;
    row->httpPort = target.port;
    row->dhcp = target.dhcp ? 1 : 0;
    row->currentVersion = target.version;
    row->serial = target.serial;
    row->mac = target.mac;
    ProgressRow& added = *row;
    rows_.push_back(std::move(row));

    Entry entry;
    entry.tag = position;
    const auto credential = makeCredential(target.name, target.password);
    if (credential) {
        try {
            const UpgradeJob::Seams host{clock_, timers_};
            entry.job = std::make_unique<UpgradeJob>(host, added.address, *credential,
                                                         resources_.supportedModels(), target.serial);
        } catch (const std::bad_alloc&) {
            entry.job.reset();
        }
    }
    if (!entry.job) {
        // Nothing can follow this camera: it ends before the batch begins.
        added.detail = credential ? "out of memory" : "the login is too long";
        added.failedStage = ReportedStage::Inquiry;
        endRow(added, static_cast<int>(StatusCode::NetworkError));
        return true;
    }
    entry.job->setMacAddress(target.mac);
    entry.job->setFirmware(firmware_.package(0), firmware_.newVersionFor(added.currentVersion));
    jobs_.push_back(std::move(entry));
    return true;
}

void BatchScheduler::setBatchOptions(bool retain, bool deleteSaved, std::chrono::system_clock::time_point batchStart)
{
    retain_ = retain;
    deleteSaved_ = deleteSaved;
    batchStart_ = batchStart;
}

void BatchScheduler::clearRows()
{
    timer_.stop();
    running_ = false;
    stopRequested_ = false;
    halt_ = BatchHalt::None;
    pending_.reset();
    jobs_.clear();
    rows_.clear();
}

void BatchScheduler::start()
{
    running_ = true;
    timer_.start(kTimerPeriod);
}

void BatchScheduler::requestStop()
{
    stopRequested_ = true;
    if (halt_ == BatchHalt::None)
        halt_ = BatchHalt::Aborted;
}

UpgradeJob* BatchScheduler::findJob(int tag) const
{
    for (const Entry& entry : jobs_) {
        if (entry.tag == tag)
            return entry.job.get();
    }
    return nullptr;
}

std::string BatchScheduler::savedConfigurationsLine() const
{
    for (const auto& row : rows_) {
        if (!row->savedConfiguration.empty())
            return "Saved configurations: " + std::filesystem::path(row->savedConfiguration).parent_path().string()
                   + "\r\n";
    }
    return {};
}

std::size_t BatchScheduler::proceededCount() const
{
    return static_cast<std::size_t>(
        std::count_if(rows_.begin(), rows_.end(),
                      [](const auto& row) { return row->finalStatus != 0 || row->skipped != SkipReason::None; }));
}

std::size_t BatchScheduler::waitingCount() const
{
    return static_cast<std::size_t>(
        std::count_if(jobs_.begin(), jobs_.end(), [this](const Entry& entry) { return isWaiting(entry); }));
}

int BatchScheduler::codeOf(const Entry& entry) const
{
    return entry.refusal != 0 ? entry.refusal : entry.job->errorCode();
}

bool BatchScheduler::isWaiting(const Entry& entry) const
{
    return codeOf(entry) == 0 && entry.skip == SkipReason::None;
}

BatchTally BatchScheduler::tally() const
{
    BatchTally tally;
    const auto count = [&tally](int code) {
        if (code == kFirstFinal)
            ++tally.completed;
        else if (code > kFirstFinal)
            ++tally.failed;
    };
    // Rows that ended have left the entries; those still held are counted from their jobs.
    for (const auto& row : rows_)
        count(row->finalStatus);
    for (const Entry& entry : jobs_) {
        const int code = codeOf(entry);
        if (entry.skip != SkipReason::None)
            continue;
        if (code >= kFirstFinal)
            count(code);
        else if (code != 0 || (pending_ && pending_->tag() == entry.tag))
            ++tally.underWay;
    }
    return tally;
}

bool BatchScheduler::mayBegin()
{
    const BatchTally now = tally();
    const BatchHalt halt = policy_.haltFor(now, clock_.wallTime());
    if (halt == BatchHalt::None)
        return policy_.mayBegin(now);
    halt_ = halt;
    stopRequested_ = true;
    return false;
}

void BatchScheduler::tick()
{
    if (inTick_)
        return;
    inTick_ = true;
    copyProgress();
    bool busy = false;
    std::size_t position = 0;
    while (position < jobs_.size()) {
        Entry& entry = jobs_[position];
        const int code = codeOf(entry);
        if (position >= static_cast<std::size_t>(parallel_)) {
            // Beyond the positions worked on: the word only.
            showCode(entry.tag, code);
            ++position;
            continue;
        }
        if (code >= kFirstFinal || entry.skip != SkipReason::None) {
            finish(position, code);
            if (dropIfStopped())
                break;
            // The camera behind moved into this position; it still counts against the limit.
            continue;
        }
        if (!stopRequested_ && code == 0) {
            busy = advanceWaiting(entry, busy);
            showCode(entry.tag, codeOf(entry));
        } else {
            busy = busy || isSavingOrUploading(code);
            showCode(entry.tag, code);
            noteSaved(entry);
        }
        if (dropIfStopped())
            break;
        ++position;
    }
    const bool ended = jobs_.empty() && running_;
    if (ended) {
        // No camera runs any more: the batch's folder goes when every file in it went.
        if (retain_)
            removeFolderIfEmpty(backupFolderPath(backupRoot(), batchStart_));
        timer_.stop();
        running_ = false;
        stopRequested_ = false;
    }
    inTick_ = false;
    if (ended) {
        for (BatchObserver* observer : observers_)
            observer->batchEnded();
    }
}

bool BatchScheduler::advanceWaiting(Entry& entry, bool busy)
{
    if (pending_ && pending_->tag() == entry.tag) {
        if (!pending_->finished())
            return true;
        // The abort was checked again on the way here: a camera whose inquiries ended after it
        // is never started.
        const StartInquiry::Outcome outcome = pending_->outcome();
        pending_.reset();
        if (!outcome.accepted) {
            // Its code is final: the next tick ends the row.
            entry.refusal = outcome.refusal;
            entry.refusalDetail = outcome.detail;
            return busy;
        }
        if (outcome.skip != SkipReason::None) {
            // Nothing to upload: the next tick ends the row with the version the camera reported.
            ProgressRow& row = *rows_[static_cast<std::size_t>(entry.tag)];
            describe(row, entry, outcome);
            row.versionAfter = outcome.version;
            entry.skip = outcome.skip;
            return busy;
        }
        startCamera(entry, outcome);
        return true;
    }
    if (busy || pending_ || !mayBegin())
        return busy;
    rows_[static_cast<std::size_t>(entry.tag)]->started = clock_.wallTime();
    pending_ = std::make_unique<StartInquiry>(entry.job->client(), resources_.supportedModels(), firmware_,
                                              policy_.versions, entry.tag);
    return true;
}

bool BatchScheduler::describe(ProgressRow& row, Entry& entry, const StartInquiry::Outcome& outcome)
{
    bool described = false;
    if (row.model.empty() && !outcome.model.empty()) {
        row.model = outcome.model;
        described = true;
    }
    if (row.currentVersion.empty() && !outcome.version.empty()) {
        row.currentVersion = outcome.version;
        row.version = outcome.version;
        described = true;
    }
    if (row.serial.empty() && !outcome.serial.empty()) {
        row.serial = outcome.serial;
        entry.job->setSerial(outcome.serial);
    }
    return described;
}

void BatchScheduler::startCamera(Entry& entry, const StartInquiry::Outcome& outcome)
{
    ProgressRow& row = *rows_[static_cast<std::size_t>(entry.tag)];
    // The job upgrades the camera the inquiry accepted: it knows its version and whether it runs
    // emergency firmware.
    entry.job->recordIdentity(outcome.identity);
    const bool described = describe(row, entry, outcome);
    // The slot by the loader's names, never the one-camera selection of the manual mode.
    const std::size_t slot = resources_.slotFor(outcome.docType);
    entry.job->setFirmware(firmware_.package(slot), firmware_.newVersionFor(row.currentVersion));
    entry.job->setOptions(UpgradeJob::Options::batch(retain_, deleteSaved_, batchStart_));
    entry.job->start();
    if (described)
        notifyRow(static_cast<std::size_t>(entry.tag));
}

void BatchScheduler::showCode(int tag, int code)
{
    ProgressRow& row = *rows_[static_cast<std::size_t>(tag)];
    if (row.statusCode == code)
        return;
    row.statusCode = code;
    notifyRow(static_cast<std::size_t>(tag));
}

void BatchScheduler::finish(std::size_t position, int code)
{
    Entry entry = std::move(jobs_[position]);
    jobs_.erase(jobs_.begin() + static_cast<std::ptrdiff_t>(position));
    if (pending_ && pending_->tag() == entry.tag)
        pending_.reset();
    ProgressRow& row = *rows_[static_cast<std::size_t>(entry.tag)];
    if (entry.skip != SkipReason::None) {
        endSkipped(row, entry);
        return;
    }
    const std::string latest = withoutVerPrefix(entry.job->latestVersion());
    const std::string saved = entry.job->savedConfigPath();
    if (code != kFirstFinal) {
        row.detail = !entry.refusalDetail.empty() ? entry.refusalDetail : entry.job->failureDetail();
        // A camera its inquiries refused failed before its upgrade began.
        const auto stage = entry.job->failedStage();
        row.failedStage = entry.refusal != 0 ? ReportedStage::Inquiry
                                             : reportedStage(stage.value_or(entry.job->stage()));
    }
    // The row keeps the progress the job reached; the job's threads are joined here, and from now
    // on nothing writes the row but this thread.
    row.progress.store(entry.job->progress());
    entry.job.reset();
    if (code == kFirstFinal)
        row.version = latest;
    row.versionAfter = latest;
    std::error_code ignored;
    // A file deleted after its restore is no longer there to be named.
    row.savedConfiguration = !saved.empty() && std::filesystem::exists(saved, ignored) ? saved : std::string();
    endRow(row, code);
}

void BatchScheduler::copyProgress()
{
    for (const Entry& entry : jobs_)
        rows_[static_cast<std::size_t>(entry.tag)]->progress.store(entry.job->progress());
}

void BatchScheduler::endSkipped(ProgressRow& row, const Entry& entry)
{
    row.skipped = entry.skip;
    row.detail = skipDetail(entry.skip);
    row.ended = clock_.wallTime();
    notifyRow(static_cast<std::size_t>(row.index));
}

void BatchScheduler::noteSaved(const Entry& entry)
{
    // Named as soon as it exists: an operator who leaves mid-batch needs it to restore by hand.
    ProgressRow& row = *rows_[static_cast<std::size_t>(entry.tag)];
    if (row.savedConfiguration.empty())
        row.savedConfiguration = entry.job->savedConfigPath();
}

void BatchScheduler::endRow(ProgressRow& row, int code)
{
    row.statusCode = code;
    // A failed camera keeps the progress it reached: a full bar would read as done.
    if (code == kFirstFinal)
        row.progress.store(kProgressFull);
    row.finalStatus = code;
    row.ended = clock_.wallTime();
    notifyRow(static_cast<std::size_t>(row.index));
}

bool BatchScheduler::dropIfStopped()
{
    if (!stopRequested_ || jobs_.empty())
        return false;
    if (std::any_of(jobs_.begin(), jobs_.end(), [this](const Entry& entry) { return !isWaiting(entry); }))
        return false;
    // Every camera left is waiting: none of them starts. An inquiry in flight is stopped and joined
    // before its job goes.
    pending_.reset();
    std::vector<Entry> dropped = std::move(jobs_);
    jobs_.clear();
    for (Entry& entry : dropped) {
        entry.job.reset();
        ProgressRow& row = *rows_[static_cast<std::size_t>(entry.tag)];
        row.finalStatus = 0;
        row.started.reset();
        row.notStartedBy = halt_;
        // The abort's words are older than the rollout's halts, and read as they always did.
        row.detail = halt_ == BatchHalt::Aborted ? "not upgraded: " + std::string(haltReason(halt_))
                                                 : std::string(haltReason(halt_));
        notifyRow(static_cast<std::size_t>(entry.tag));
    }
    return true;
}

void BatchScheduler::notifyRow(std::size_t row)
{
    for (BatchObserver* observer : observers_)
        observer->rowChanged(row);
}

} // namespace zka
