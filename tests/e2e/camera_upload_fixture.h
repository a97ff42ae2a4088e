#pragma once

// What the end-to-end tests of the upload, the restore and the backup share: a headless
// user-interface thread, a simulated fleet at a time scale of 0.01 (60 s last 0.6 s), a backup folder
// of their own, and helpers to read what the cameras received.

#include "upgrade/UpgradeJob.h"
#include "camera/ConfigBackup.h"
#include "camsim/Fleet.h"
#include "resources/ResourceStore.h"
#include "resources/ResourceText.h"
#include "runtime/EventLoop.h"
#include "support/MessagePrint.h"
#include "support/RecordingOutcomes.h"
#include "support/ScopedEnv.h"
#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
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

class UploadE2eTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        loopThread_ = std::jthread([this] { loop.run(); });
        char pattern[] = "/tmp/zka-upload-e2e-XXXXXX";
        programFiles_ = ::mkdtemp(pattern);
        programFilesEnv_.emplace("ProgramFiles", programFiles_.c_str());
    }
    void TearDown() override
    {
        fleet.reset();
        loop.quit();
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
    std::unique_ptr<UpgradeJob> context(const std::string& address = "127.0.0.2",
                                           const std::string& credential = kAdminCredential)
    {
        auto made = std::make_unique<UpgradeJob>(UpgradeJob::Seams{clock, loop}, address, credential, models);
        made->setTickListener([this](bool) { ticks.fetch_add(1); });
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
    static std::jthread readInBackground(UpgradeJob& ctx, std::atomic<bool>& done)
    {
        return std::jthread([&ctx, &done](std::stop_token stop) {
            ctx.readUploadAnswer(stop);
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
    EventLoop loop{clock};
    RecordingOutcomes outcomes;
    ScriptedPrompter prompter;
    ResourceText texts{embeddedResources(), prompter};
    SupportedModels models{"ZKA-QM410"};
    std::unique_ptr<Fleet> fleet;
    std::string programFiles_;
    std::optional<test::ScopedEnv> programFilesEnv_;
    std::jthread loopThread_;
};

} // namespace zka::test
