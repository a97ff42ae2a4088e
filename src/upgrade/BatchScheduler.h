#pragma once

#include "upgrade/UpgradeJob.h"
#include "resources/FirmwareDescription.h"
#include "upgrade/BatchObserver.h"
#include "upgrade/BatchRowText.h"
#include "upgrade/ProgressRow.h"
#include "upgrade/StartInquiry.h"
#include "upgrade/UpgradeTarget.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zka {

class PackagedResources;

// The automatic batch, without a toolkit: one row and one UpgradeJob per camera, and the
// scheduler that starts the jobs one after another, copies each one's status into its row and
// deletes each one when it has ended. The wizard's progress list and the command line are views
// over it (BatchObserver).
//
// Rules of the tick (33 ms): only the first `parallel` positions (2 by default) are
// worked on; at most one camera starts per tick, after its inquiries (run on a worker; a camera
// whose inquiries are pending counts as busy); no camera starts in a tick in which a camera ahead
// of it saves its configuration or uploads; a camera with a final code leaves the list and the
// one behind it moves up into its position. An abort starts nothing new, lets the running cameras
// finish, and drops every waiting camera at once when no camera runs any more.
//
// A rollout policy (the command line's; the wizard keeps the default) leaves a camera as it is when
// its inquiries show it needs no upgrade, lets a canary go alone, and halts the batch as an abort
// does when the canary fails, too many cameras failed or the maintenance window ended. It is asked
// each time a camera is about to begin.
//
// Everything is called on the user-interface thread, the thread that delivers the ticks of the
// scheduler's and its jobs' timers. Destroying the scheduler in any state stops and joins
// every thread it started.
class BatchScheduler final {
public:
    static constexpr Clock::Duration kTimerPeriod{33};
    static constexpr int kDefaultParallel = 2;
    static constexpr int kMaxParallel = 16;
    static constexpr std::size_t kMaxRows = 256;

    struct Seams {
        const Clock& clock;
        TimerService& timers;
        Prompter& prompter;
    };

    // The resources give the model list, the package names and the texts; the firmware the
    // packages and the new versions. Both, and the seams, must outlive the scheduler. parallel is
    // the number of positions worked on per tick, 1 to 16.
    BatchScheduler(Seams seams, const PackagedResources& resources, FirmwareDescription firmware,
                   int parallel = kDefaultParallel);
    ~BatchScheduler();
    BatchScheduler(const BatchScheduler&) = delete;
    BatchScheduler& operator=(const BatchScheduler&) = delete;

    void addObserver(BatchObserver& observer);
    void removeObserver(BatchObserver& observer);

    // ---- Filling the batch (before start) ----
    // Appends a row for the target, at position rowCount(), with its job. A row whose job
    // cannot be made (a login too long for the credential) ends at once with code 10. False, adding
    // nothing, when the list already holds kMaxRows rows.
    bool addUpgradeTarget(const UpgradeTarget& target);
    // What every job does with the camera's settings, and the time stamp of the backup folder.
    void setBatchOptions(bool retain, bool deleteSaved, std::chrono::system_clock::time_point batchStart);
    // The rules of a staged rollout; by default nothing is skipped and nothing halts the batch.
    void setRolloutPolicy(RolloutPolicy policy) { policy_ = std::move(policy); }
    // Deletes every row and job; stops a pending inquiry and the timer first.
    void clearRows();

    // ---- Running it ----
    // Starts the scheduler's timer; it stops itself once no job is left.
    void start();
    // The operator's abort: nothing new starts; waiting rows are dropped once none runs.
    void requestStop();
    bool stopRequested() const { return stopRequested_; }
    // What made the batch start no further camera (the operator's abort or the rollout policy);
    // None when nothing did. Kept after the batch ended, until its rows are cleared.
    BatchHalt halt() const { return halt_; }
    // The timer runs: the batch is under way.
    bool running() const { return running_; }

    // ---- Reading it ----
    std::size_t rowCount() const { return rows_.size(); }
    const ProgressRow& row(std::size_t index) const { return *rows_.at(index); }
    // The jobs still held: cameras not yet ended.
    std::size_t jobCount() const { return jobs_.size(); }
    // The job whose tag is `tag`, or null.
    UpgradeJob* findJob(int tag) const;
    // The texts of the rows, for every view of the batch.
    const BatchRowText& rowText() const { return rowText_; }
    // The upgrade log's closing line: "Saved configurations: FOLDER" with the batch's backup
    // folder when it keeps any file; empty otherwise.
    std::string savedConfigurationsLine() const;
    // Cameras that ended, whatever their outcome: those the abort left unstarted are not among them.
    std::size_t proceededCount() const;
    // Cameras still in the batch that have not begun their upgrade: the ones an abort would leave.
    std::size_t waitingCount() const;
    int parallel() const { return parallel_; }

private:
    // A camera still in the batch: its job (in row order of creation) and, once its inquiries
    // refused it, the code it ends with.
    struct Entry {
        int tag = 0;
        std::unique_ptr<UpgradeJob> job;
        int refusal = 0;
        std::string refusalDetail;
        // Once its inquiries showed it needs no upgrade: why it ends without one.
        SkipReason skip = SkipReason::None;
    };

    void tick();
    int codeOf(const Entry& entry) const;
    // Not yet begun: no inquiry launched, no code, not skipped.
    bool isWaiting(const Entry& entry) const;
    // The cameras completed, failed and under way, for the rollout policy.
    BatchTally tally() const;
    // Asks the policy whether one more camera may begin; halts the batch when the policy says so.
    bool mayBegin();
    // Works on a waiting camera: launches its inquiries or, once they ended, starts it. True while
    // the camera counts as busy for those behind it.
    bool advanceWaiting(Entry& entry, bool busy);
    // Fills what the row of a camera known by its address alone learns from its answer; true when
    // the row changed.
    bool describe(ProgressRow& row, Entry& entry, const StartInquiry::Outcome& outcome);
    void startCamera(Entry& entry, const StartInquiry::Outcome& outcome);
    void endSkipped(ProgressRow& row, const Entry& entry);
    void showCode(int tag, int code);
    void finish(std::size_t position, int code);
    // Copies each job's progress into its row: the views read the rows.
    void copyProgress();
    // Copies the path of the camera's saved configuration into its row once it exists.
    void noteSaved(const Entry& entry);
    // With an abort requested and no camera running, drops every waiting camera; true when it did.
    bool dropIfStopped();
    void endRow(ProgressRow& row, int code);
    void notifyRow(std::size_t row);

    const Clock& clock_;
    TimerService& timers_;
    Prompter& prompter_;
    const PackagedResources& resources_;
    const FirmwareDescription firmware_;
    const int parallel_;
    const BatchRowText rowText_;

    // What every camera's job is started with.
    bool retain_ = false;
    bool deleteSaved_ = true;
    std::chrono::system_clock::time_point batchStart_{};
    RolloutPolicy policy_;

    std::vector<BatchObserver*> observers_;
    std::vector<std::unique_ptr<ProgressRow>> rows_;
    bool stopRequested_ = false;
    BatchHalt halt_ = BatchHalt::None;
    bool running_ = false;
    bool inTick_ = false;
    // Declared after the rows they write and the seams they use: destroyed (stopped and joined) first.
    std::vector<Entry> jobs_;
    std::unique_ptr<StartInquiry> pending_;
    // The scheduler's tick; declared last, so that no tick comes while the rest goes.
    TimerHandle timer_;
};

} // namespace zka
