#pragma once

// What the upgrade procedure's end-to-end tests share: a simulated fleet, a headless user-interface
// thread, the packaged resources, a backup folder of their own, and jobs whose status codes are
// traced as the user interface would see them.

#include "upgrade/UpgradeJob.h"
#include "camsim/Fleet.h"
#include "resources/PackagedResources.h"
#include "runtime/EventLoop.h"
#include "support/MessagePrint.h"
#include "support/RecordingOutcomes.h"
#include "support/ScopedEnv.h"
#include "support/ScriptedPrompter.h"
#include "upgrade/BatchScheduler.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace zka::test {

// Points "ProgramFiles" at a fresh folder for the life of the object.
class BackupRoot final {
public:
    BackupRoot();
    ~BackupRoot();
    BackupRoot(const BackupRoot&) = delete;
    BackupRoot& operator=(const BackupRoot&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Every regular file below the root.
    std::vector<std::filesystem::path> files() const;
    // Every time-stamped backup folder below the root.
    std::vector<std::filesystem::path> stampFolders() const;

private:
    ScopedEnv env_{"ProgramFiles", nullptr};
    std::filesystem::path path_;
};

// The packaged resources of this build, loaded once per test program.
const PackagedResources& packagedResources();

// The codes a job showed fit its expected course: the first and the last match, and the rest
// are some of the expected ones, in their order, none other.
testing::AssertionResult followsCourse(const std::vector<int>& seen, const std::vector<int>& course);

// Inquiries with a given body that the camera at address received.
int inquiriesReceived(const camsim::Fleet& fleet, const std::string& address, const std::string& body);

// A camera the tests upgrade, with the defaults the tests assume: address 127.0.0.N, a fast upload
// answer and a reboot shorter than the procedure's first pause.
camsim::CameraSpec testCamera(int host);

struct JobOptions {
    bool automatic = true; // a batch row (automatic mode) or a progress bar (manual mode)
    bool retain = false;
    bool keepBackup = false;
    bool emptyTarget = false; // no target version: the camera's answer is taken as the new version
};

class UpgradeRig final {
public:
    explicit UpgradeRig(std::vector<camsim::CameraSpec> cameras, double timeScale = 0.01);
    ~UpgradeRig();
    UpgradeRig(const UpgradeRig&) = delete;
    UpgradeRig& operator=(const UpgradeRig&) = delete;

    // Starts the fleet; false (with the reason in error) when a socket could not be bound.
    bool start(std::string& error);

    // A job for the camera at `address`, the rig's index-th, with a recorder of the outcomes it
    // tells.
    UpgradeJob& add(const std::string& address, JobOptions options = {});
    UpgradeJob& job(std::size_t index) { return *slots_.at(index)->job; }
    std::vector<UpgradeJob::Outcome> outcomes(std::size_t index) const { return slots_.at(index)->outcomes.told(); }
    // Deletes a job now and returns how long that took (real time).
    std::chrono::milliseconds destroy(std::size_t index);
    // The codes the job showed since it started, in order, without repeats, as a user-interface
    // timer saw them (a code that lasted only an instant may have been missed).
    std::vector<int> trace(std::size_t index) const;
    int progress(std::size_t index) const;

    // Runs the user-interface thread until done() holds or the nominal time passed.
    bool runUntil(const std::function<bool()>& done, Clock::Duration nominal);
    // Every job has a final code (9 or more).
    bool allFinal() const;

    // Requests the camera at address received, of one path.
    std::vector<camsim::RecordedRequest> requests(const std::string& address, const std::string& path) const;
    // Inquiries with a given body the camera received.
    int inquiries(const std::string& address, const std::string& body) const;

    SystemClock clock;
    EventLoop loop;
    BackupRoot backupRoot;
    camsim::Fleet fleet;
    const std::chrono::system_clock::time_point batchTime;

private:
    struct Slot {
        std::vector<int> trace;
        RecordingOutcomes outcomes;
        std::unique_ptr<UpgradeJob> job;
    };
    void watch();

    std::vector<std::unique_ptr<Slot>> slots_;
    TimerHandle watchTimer_;
};

// The system clock, whose calendar time a test can move forward: a maintenance window ends without
// a wait for the wall clock.
class MovableWallClock final : public Clock {
public:
    explicit MovableWallClock(double timeScale)
        : clock_(timeScale)
    {
    }
    TimePoint now() const override { return clock_.now(); }
    std::chrono::system_clock::time_point wallTime() const override { return clock_.wallTime() + shift_.load(); }
    bool sleepFor(Duration nominal, std::stop_token stop = {}) const override { return clock_.sleepFor(nominal, stop); }
    std::chrono::nanoseconds toReal(Duration nominal) const override { return clock_.toReal(nominal); }
    double timeScale() const override { return clock_.timeScale(); }
    // From now on the calendar reads `by` later.
    void moveWallTime(std::chrono::system_clock::duration by) { shift_.store(shift_.load() + by); }

private:
    SystemClock clock_;
    // Read by the cameras' workers as well.
    std::atomic<std::chrono::system_clock::duration> shift_{};
};

// A batch of simulated cameras run by the BatchScheduler on a headless user-interface thread, with
// every change of a row recorded together with the status codes that all rows showed just then.
class BatchRig final : public BatchObserver {
public:
    struct Change {
        std::size_t row;
        std::vector<int> codes; // every row's status code right after the change
    };

    explicit BatchRig(std::vector<camsim::CameraSpec> cameras, int parallel = BatchScheduler::kDefaultParallel,
                      double timeScale = 0.01);
    ~BatchRig() override;
    BatchRig(const BatchRig&) = delete;
    BatchRig& operator=(const BatchRig&) = delete;

    bool start(std::string& error);
    // The target for a camera of the fleet as discovery describes it, with the login admin/admin.
    UpgradeTarget target(std::size_t camera) const;
    // A target known by its address alone.
    static UpgradeTarget addressOnly(const std::string& dotted, const std::string& password = "admin");
    // Adds every camera of the fleet, in order, and starts the batch with these options.
    void addFleet();
    void startBatch(bool retain = false, bool keepBackup = false);
    // Runs the user-interface thread until the batch has ended; false when the nominal time passed.
    bool runBatch(Clock::Duration nominal = std::chrono::hours(1));
    // Destroys the scheduler now (as a closing window would) and returns how long that took.
    std::chrono::milliseconds destroyScheduler();

    // The distinct codes a row showed, in order (0 included).
    std::vector<int> course(std::size_t row) const;
    // The most rows that were in progress (a code from 1 to 8) at once.
    int mostInProgress() const;
    const std::vector<Change>& changes() const { return changes_; }
    bool ended() const { return ended_; }
    const ProgressRow& row(std::size_t index) const { return scheduler->row(index); }
    int inquiries(const std::string& address, const std::string& body) const;

    void rowChanged(std::size_t row) override;
    void batchEnded() override;

    MovableWallClock clock;
    EventLoop loop;
    BackupRoot backupRoot;
    camsim::Fleet fleet;
    ScriptedPrompter prompter;
    std::unique_ptr<BatchScheduler> scheduler;
    // Called after each recorded change (e.g. to abort at a chosen moment).
    std::function<void(const Change&)> onChange;

private:
    std::vector<Change> changes_;
    bool ended_ = false;
};

} // namespace zka::test
