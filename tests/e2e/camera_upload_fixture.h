#pragma once

// What the end-to-end tests of the upload, the restore and the backup share: timers that only
// count their ticks, a simulated fleet at a time scale of 0.01 (60 s last 0.6 s), a backup folder
// of their own, and helpers to read what the cameras received.

#include "upgrade/UpgradeJob.h"
#include "camera/ConfigBackup.h"
#include "camsim/Fleet.h"
#include "resources/ResourceStore.h"
#include "resources/ResourceText.h"
#include "runtime/TimerService.h"
#include "support/MessagePrint.h"
#include "support/RecordingOutcomes.h"
#include "support/ScopedEnv.h"
#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace zka::test {

namespace fs = std::filesystem;
using camsim::CameraSpec;
using camsim::Fleet;
using camsim::RecordedRequest;
using namespace std::chrono_literals;

inline constexpr double kScale = 0.01;
inline const std::string kAdminCredential = "YWRtaW46YWRtaW4="; // admin:admin
inline const std::string kRootCredential = "cm9vdDpwYXNz";      // root:pass
inline constexpr std::size_t kPackageSize = 10014720;

inline bool eventually(const std::function<bool()>& done, std::chrono::milliseconds limit = 10s)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

inline std::string headerValue(const RecordedRequest& request, const std::string& name)
{
    for (const auto& [key, value] : request.headers)
        if (key == name)
            return value;
    return "<missing>";
}

inline std::size_t headerIndex(const RecordedRequest& request, const std::string& name)
{
    for (std::size_t i = 0; i < request.headers.size(); ++i)
        if (request.headers[i].first == name)
            return i;
    return request.headers.size();
}

inline std::span<const std::uint8_t> bytesOf(const std::string& text)
{
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// Timers that run without delivering their ticks: each tick of a running timer is only counted, so
// what a test measures of a transfer's progress is the transfer's own.
class CountingTimers final : public TimerService {
public:
    CountingTimers(const Clock& clock, std::atomic<int>& ticks)
        : clock_(clock)
        , ticks_(ticks)
        , ticker_([this](std::stop_token stop) { run(stop); })
    {
    }

protected:
    void armTimer(TimerId id, Clock::Duration period) override
    {
        {
            std::lock_guard lock(mutex_);
            running_[id] = period;
        }
        changed_.notify_all();
    }
    void disarmTimer(TimerId id) override
    {
        std::lock_guard lock(mutex_);
        running_.erase(id);
    }
    bool timerArmed(TimerId id) override
    {
        std::lock_guard lock(mutex_);
        return running_.count(id) != 0;
    }

private:
    void run(std::stop_token stop)
    {
        std::unique_lock lock(mutex_);
        while (!stop.stop_requested()) {
            if (running_.empty()) {
                changed_.wait(lock, stop, [this] { return !running_.empty(); });
                continue;
            }
            const auto period = clock_.toReal(running_.begin()->second);
            changed_.wait_for(lock, stop, period, [] { return false; });
            if (!running_.empty())
                ticks_.fetch_add(1);
        }
    }

    const Clock& clock_;
    std::atomic<int>& ticks_;
    std::mutex mutex_;
    std::condition_variable_any changed_;
    std::map<TimerId, Clock::Duration> running_;
    std::jthread ticker_;
};

class UploadE2eTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/zka-upload-e2e-XXXXXX";
        programFiles_ = ::mkdtemp(pattern);
        programFilesEnv_.emplace("ProgramFiles", programFiles_.c_str());
    }
    void TearDown() override
    {
        fleet.reset();
        programFilesEnv_.reset();
        fs::remove_all(programFiles_);
    }

    void startFleet(std::vector<CameraSpec> cameras)
    {
        fleet = std::make_unique<Fleet>(std::move(cameras), kScale);
        std::string error;
        ASSERT_TRUE(fleet->start(error)) << error;
    }
    static CameraSpec camera(const std::string& address = "127.0.0.2")
    {
        CameraSpec sim;
        sim.address = address;
        sim.stepSeconds = 0.25;
        sim.rebootSeconds = 1;
        return sim;
    }
    std::unique_ptr<UpgradeJob> makeJob(const std::string& address = "127.0.0.2",
                                           const std::string& credential = kAdminCredential)
    {
        auto made = std::make_unique<UpgradeJob>(UpgradeJob::Seams{clock, timers}, address, credential, models);
        outcomes.listenTo(*made);
        return made;
    }
    std::vector<RecordedRequest> requestsTo(const std::string& path, const std::string& address = "127.0.0.2") const
    {
        std::vector<RecordedRequest> found;
        for (auto& request : fleet->requests(address))
            if (request.path == path)
                found.push_back(request);
        return found;
    }
    // Follows the camera's answer on a thread of its own, as the procedure does; done once it ended.
    static std::jthread readInBackground(UpgradeJob& job, std::atomic<bool>& done)
    {
        return std::jthread([&job, &done](std::stop_token stop) {
            job.readUploadAnswer(stop);
            done = true;
        });
    }
    static std::span<const std::uint8_t> package()
    {
        const auto bytes = embeddedResources().find(ResourceKind::Bin, 143);
        return bytes ? *bytes : std::span<const std::uint8_t>();
    }

    SystemClock clock{kScale};
    std::atomic<int> ticks{0};
    CountingTimers timers{clock, ticks};
    RecordingOutcomes outcomes;
    ScriptedPrompter prompter;
    ResourceText texts{embeddedResources(), prompter};
    SupportedModels models{"ZKA-QM410"};
    std::unique_ptr<Fleet> fleet;
    std::string programFiles_;
    std::optional<test::ScopedEnv> programFilesEnv_;
};

} // namespace zka::test
