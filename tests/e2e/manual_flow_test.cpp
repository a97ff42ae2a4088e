// The manual upgrade flow against simulated cameras, as the wizard's manual pages drive it: what
// the pages show, every message, what the camera received and what is left on disk.
#include "procedure_rig.h"

#include "support/RawHttpServer.h"
#include "upgrade/ManualFlow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace zka::test {
namespace {

using camsim::AfterUpgrade;
using Events = std::vector<std::string>;
using Step = ManualFlow::Step;

// The wizard's page number of each step, as the recorded events name it.
int pageNumber(Step step)
{
    return 3 + static_cast<int>(step);
}
constexpr Clock::Duration kLimit = std::chrono::minutes(30);

const Message kConfirm{"Proceed to the firmware upgrade?", "Information", MessageIcon::Question,
                       MessageButtons::OkCancel};
const Message kNotSuitable{"This firmware is not suitable for the target camera.", "Information",
                           MessageIcon::Question, MessageButtons::Ok};
const Message kRestoreFault{"Fault to upload configuration!", "Information", MessageIcon::Error, MessageButtons::Ok};
const Message kCannotSave{"Cannot save camera's configuration!", "Information", MessageIcon::Error, MessageButtons::Ok};
const Message kVersionUpError{"Version up error.", "Information", MessageIcon::Error, MessageButtons::Ok};
const Message kNetworkError{"Network error occurred.\r\nPlease retry the upgrade without shutting down the power.",
                            "Information", MessageIcon::Error, MessageButtons::Ok};

// The view: everything the flow reports, as short lines.
class RecordingView final : public ManualFlowObserver {
public:
    void pageShown(Step step) override { add("page " + std::to_string(pageNumber(step))); }
    void busyChanged(bool busy) override { busy_ = busy; }
    void stageChanged(int stage) override { add("stage " + std::to_string(stage)); }
    void statusTextChanged(const std::string& text) override { add("status " + text); }
    void targetDescribed(const std::string& address, const std::string& current, const std::string& next) override
    {
        add("target " + address + " " + current + " " + next);
    }
    void setupDataChanged(bool retain, bool backup) override
    {
        add(std::string("setup ") + (retain ? "retain" : "discard") + (backup ? " backup" : ""));
    }
    void emergencyImageShown(bool shown) override { add(shown ? "emergency shown" : "emergency hidden"); }
    void configurationSaved(const std::string& path) override { savedPath = path; }
    void resultShown(const std::string& address, const std::string& version) override
    {
        add("result " + address + " " + version);
    }

    bool busy() const { return busy_; }
    // The lines that start with prefix, in order.
    Events only(const std::string& prefix) const
    {
        Events found;
        for (const auto& line : lines) {
            if (line.rfind(prefix, 0) == 0)
                found.push_back(line);
        }
        return found;
    }
    bool has(const std::string& line) const { return std::find(lines.begin(), lines.end(), line) != lines.end(); }

    Events lines;
    std::string savedPath;

private:
    void add(std::string line) { lines.push_back(std::move(line)); }
    bool busy_ = false;
};

// Posts to the loop, or holds the posts back until release().
class GatedDispatcher final : public Dispatcher {
public:
    explicit GatedDispatcher(Dispatcher& target) : target_(target) {}
    void post(std::function<void()> task) override
    {
        {
            std::lock_guard lock(mutex_);
            if (held_) {
                heldTasks_.push_back(std::move(task));
                return;
            }
        }
        target_.post(std::move(task));
    }
    void hold()
    {
        std::lock_guard lock(mutex_);
        held_ = true;
    }
    std::size_t release()
    {
        std::vector<std::function<void()>> tasks;
        {
            std::lock_guard lock(mutex_);
            held_ = false;
            tasks.swap(heldTasks_);
        }
        for (auto& task : tasks)
            target_.post(std::move(task));
        return tasks.size();
    }

private:
    Dispatcher& target_;
    std::mutex mutex_;
    bool held_ = false;
    std::vector<std::function<void()>> heldTasks_;
};

// A manual flow on a headless user-interface thread, against a fleet.
class FlowRig {
public:
    explicit FlowRig(std::vector<camsim::CameraSpec> cameras, double timeScale = 0.01)
        : clock(timeScale)
        , loop(clock)
        , dispatcher(loop)
        , fleet(std::move(cameras), timeScale)
    {
        flow = std::make_unique<ManualFlow>(
            ManualFlow::Seams{clock, loop, dispatcher, prompter, packagedResources().texts()}, packagedResources(), view);
    }
    ~FlowRig()
    {
        flow.reset();
        fleet.stop();
    }

    bool start()
    {
        std::string error;
        const bool started = fleet.start(error);
        EXPECT_TRUE(started) << error;
        // Wakes the loop now and then, so that runUntil() sees changes that post nothing.
        heartbeat = loop.startTimer(std::chrono::milliseconds(100), [] {});
        return started;
    }
    bool runUntil(const std::function<bool()>& done) { return loop.runUntil(done, kLimit); }
    // Next on the target page, then Next on page 4 with the answer OK; runs to the end of the upgrade.
    void upgrade(const std::string& address, bool retain, bool backup, const std::string& login = "admin:admin")
    {
        ASSERT_TRUE(flow->submitTarget(address, login, retain, backup));
        ASSERT_TRUE(runUntil([&] { return !flow->busy(); }));
        ASSERT_EQ(flow->step(), Step::Confirm);
        ASSERT_TRUE(flow->confirmUpgrade());
        ASSERT_TRUE(runUntil([&] { return !flow->busy() && flow->step() != Step::Confirm && flow->step() != Step::Progress; }));
    }

    SystemClock clock;
    EventLoop loop;
    GatedDispatcher dispatcher;
    ScriptedPrompter prompter;
    RecordingView view;
    BackupRoot backupRoot;
    camsim::Fleet fleet;
    std::unique_ptr<ManualFlow> flow;
    TimerHandle heartbeat;
};

TEST(ManualFlowTest, UpgradesWithoutSavingShowsTheResultAndRetriesWithAnEmergencyCamera)
{
    auto camera = testCamera(2);
    camera.docType = "NTSC";
    auto emergency = testCamera(3);
    emergency.softVersion = "emergency";
    FlowRig rig({camera, emergency});
    ASSERT_TRUE(rig.start());
    rig.upgrade("127.0.0.2", false, true);
    ASSERT_EQ(rig.flow->step(), Step::Result);

    EXPECT_EQ(rig.view.only("page"), (Events{"page 4", "page 5", "page 6"}));
    EXPECT_TRUE(rig.view.has("target 127.0.0.2 ver2.30 ver2.45"));
    EXPECT_TRUE(rig.view.has("setup discard backup"));
    EXPECT_TRUE(rig.view.has("status Version up is in progress. Do not turn off the power."));
    // Stage 0 on the confirmation, then the job's codes as its ticks and its navigation show them.
    const Events stages = rig.view.only("stage");
    ASSERT_GE(stages.size(), 4u);
    EXPECT_EQ(Events(stages.begin(), stages.begin() + 3), (Events{"stage 0", "stage 3", "stage 4"}));
    EXPECT_EQ(stages.back(), "stage 9");
    EXPECT_EQ(rig.view.lines.back(), "result 127.0.0.2 ver2.45");
    EXPECT_EQ(rig.prompter.messages(), (std::vector<Message>{kConfirm}));
    EXPECT_EQ(rig.flow->cameraSerial(), "S000002");
    // Two checks of the target (one per Next), one upload, nothing saved.
    EXPECT_EQ(rig.fleet.requests("127.0.0.2").front().body, "inq=system");
    int users = 0;
    for (const auto& request : rig.fleet.requests("127.0.0.2"))
        users += request.body == "inq=user" ? 1 : 0;
    EXPECT_EQ(users, 2);
    EXPECT_TRUE(rig.backupRoot.files().empty());
    EXPECT_EQ(rig.fleet.reportedVersion("127.0.0.2"), "2.45");
    EXPECT_EQ(rig.flow->job()->currentVersion(), "ver2.30");
    EXPECT_EQ(rig.flow->job()->latestVersion(), "ver2.45");

    // "Re-try" leads back to the target page; the job stays until the next upgrade.
    EXPECT_TRUE(rig.flow->back());
    EXPECT_EQ(rig.flow->step(), Step::Target);
    EXPECT_NE(rig.flow->job(), nullptr);

    // A camera with emergency firmware: accepted without the user inquiry, the emergency image
    // while it rewrites its firmware, completed when it reports the new version.
    rig.view.lines.clear();
    rig.upgrade("127.0.0.3", false, false);
    ASSERT_EQ(rig.flow->step(), Step::Result);
    EXPECT_TRUE(rig.view.has("target 127.0.0.3 unknown ver2.45"));
    EXPECT_TRUE(rig.view.has("emergency shown"));
    for (const auto& request : rig.fleet.requests("127.0.0.3"))
        EXPECT_NE(request.body, "inq=user");
    EXPECT_EQ(rig.flow->job()->latestVersion(), "ver2.45");
    EXPECT_EQ(rig.view.lines.back(), "result 127.0.0.3 ver2.45");
}

TEST(ManualFlowTest, RetainRestoresTheSettingsKeepsTheFileWhenAskedAndReportsAFailedRestore)
{
    auto deleted = testCamera(2);
    auto kept = testCamera(3);
    kept.panTilt = true;
    auto refused = testCamera(4);
    refused.restoreRefusals = 4;
    FlowRig rig({deleted, kept, refused});
    ASSERT_TRUE(rig.start());

    rig.upgrade("127.0.0.2", true, false);
    ASSERT_EQ(rig.flow->step(), Step::Result);
    // Saved before the upload; the restore and the reconfiguration wait come before the result.
    const Events stages = rig.view.only("stage");
    EXPECT_EQ(stages.front(), "stage 0");
    EXPECT_EQ(stages[1], "stage 2");
    EXPECT_EQ(Events(stages.end() - 2, stages.end()), (Events{"stage 7", "stage 8"}));
    EXPECT_EQ(std::count(stages.begin(), stages.end(), "stage 9"), 0); // no "Completed" before the restore
    EXPECT_EQ(rig.prompter.messages(), (std::vector<Message>{kConfirm}));
    const auto restores = rig.fleet.requests("127.0.0.2");
    const auto restore = std::find_if(restores.begin(), restores.end(),
                                      [](const auto& r) { return r.path == "/command/all-configuration.cgi"; });
    ASSERT_NE(restore, restores.end());
    EXPECT_EQ(restore->payload, rig.fleet.cameras()[0].configuration);
    EXPECT_FALSE(rig.view.savedPath.empty());
    EXPECT_FALSE(std::filesystem::exists(rig.view.savedPath));
    // Its folder held nothing else: it went with the file.
    EXPECT_TRUE(rig.backupRoot.stampFolders().empty());
    EXPECT_FALSE(rig.flow->restoreFailed());

    // Again, on another camera, keeping the saved file: it stays, and the restore took the
    // pan-tilt path.
    ASSERT_TRUE(rig.flow->back());
    rig.view.lines.clear();
    rig.upgrade("127.0.0.3", true, true);
    ASSERT_EQ(rig.flow->step(), Step::Result);
    ASSERT_TRUE(std::filesystem::exists(rig.view.savedPath));
    EXPECT_EQ(std::filesystem::path(rig.view.savedPath).filename(), "zka-qm410.S000003.cfg");
    std::ifstream in(rig.view.savedPath, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), rig.fleet.cameras()[1].configuration);
    bool preset = false;
    for (const auto& request : rig.fleet.requests("127.0.0.3"))
        preset = preset || request.path == "/command/all-configuration-preset.cgi";
    EXPECT_TRUE(preset);

    // Four refused restores: the message before the result page, and the file stays.
    ASSERT_TRUE(rig.flow->back());
    rig.prompter.clear();
    rig.upgrade("127.0.0.4", true, false);
    ASSERT_EQ(rig.flow->step(), Step::Result);
    EXPECT_EQ(rig.prompter.messages(), (std::vector<Message>{kConfirm, kRestoreFault}));
    EXPECT_TRUE(rig.flow->restoreFailed());
    EXPECT_TRUE(std::filesystem::exists(rig.view.savedPath));
    int attempts = 0;
    for (const auto& request : rig.fleet.requests("127.0.0.4"))
        attempts += request.path == "/command/all-configuration.cgi" ? 1 : 0;
    EXPECT_EQ(attempts, 4);
}

TEST(ManualFlowTest, AStaleStatusCannotSkipThePendingRestore)
{
    auto camera = testCamera(2);
    camera.afterUpgrade = AfterUpgrade::Immediate;
    FlowRig rig({camera});
    ASSERT_TRUE(rig.start());
    ASSERT_TRUE(rig.flow->submitTarget("127.0.0.2", "admin:admin", true, false));
    ASSERT_TRUE(rig.runUntil([&] { return !rig.flow->busy(); }));
    ASSERT_TRUE(rig.flow->confirmUpgrade());
    ASSERT_TRUE(rig.runUntil([&] { return rig.flow->job() != nullptr; }));
    // The job reports 9 and posts its navigation; before that is handled, a tick and a redraw
    // ask for the status.
    rig.dispatcher.hold();
    ASSERT_TRUE(rig.runUntil([&] { return rig.flow->job()->errorCode() == 9; }));
    ASSERT_TRUE(rig.runUntil([&] { return rig.flow->job()->workerDone(); }));
    const TimerHandle& tick = rig.flow->job()->tickTimer();
    tick.start(std::chrono::milliseconds(1000));
    rig.loop.runUntil([] { return false; }, std::chrono::milliseconds(3000));
    tick.stop();
    rig.flow->followStatus();
    EXPECT_EQ(rig.flow->step(), Step::Progress);
    EXPECT_FALSE(rig.view.has("stage 9"));
    EXPECT_EQ(rig.dispatcher.release(), 1u); // the navigation
    ASSERT_TRUE(rig.runUntil([&] { return rig.flow->step() == Step::Result; }));
    EXPECT_EQ(rig.prompter.messages(), (std::vector<Message>{kConfirm}));
    EXPECT_TRUE(rig.view.has("stage 7"));
    EXPECT_FALSE(rig.flow->restoreFailed());
}

TEST(ManualFlowTest, RefusedTargetsStayOnTheirPageWithTheMessages)
{
    auto camera = testCamera(2);
    camera.userName = "operator";
    camera.userPassword = "secret";
    auto foreign = testCamera(3);
    foreign.model = "XYZ-100";
    FlowRig rig({camera, foreign});
    ASSERT_TRUE(rig.start());
    const auto check = [&](const std::string& address, const std::string& login) {
        rig.prompter.clear();
        EXPECT_TRUE(rig.flow->submitTarget(address, login, false, false));
        EXPECT_FALSE(rig.flow->submitTarget(address, login, false, false)); // busy
        EXPECT_TRUE(rig.runUntil([&] { return !rig.flow->busy(); }));
        EXPECT_EQ(rig.flow->step(), Step::Target);
        return rig.prompter.messages();
    };
    const std::string information = "Information";
    const Message wrongModel{"This program works for the ZKA-QM410. Please select the correct camera.", information,
                             MessageIcon::Warning};
    // A refused login already fails the system inquiry: it reads as the login's fault, not the model's.
    const Message wrongLogin{"Please enter correct user name and password for the administrator.", information,
                             MessageIcon::Warning};
    const Message notFound{"Cannot find the camera. (The camera may be turned off.)", information,
                           MessageIcon::Warning};
    // Each refusal is told once, by its cause: "not suitable" only for a camera of another model.
    EXPECT_EQ(check("127.0.0.2", "admin:wrong"), (std::vector<Message>{wrongLogin}));
    EXPECT_EQ(check("127.0.0.2", "operator:secret"),
              (std::vector<Message>{
                  {"Level 4 users other than Administrator cannot run the program.", information, MessageIcon::Warning}}));
    EXPECT_EQ(check("127.0.0.3", "admin:admin"), (std::vector<Message>{wrongModel, kNotSuitable}));
    // Nobody at that address: no reply at all is a camera not found, not one of another model.
    EXPECT_EQ(check("127.0.0.9", "admin:admin"), (std::vector<Message>{notFound}));

    // Cancelled confirmation: still page 4, nothing uploaded.
    ASSERT_TRUE(rig.flow->submitTarget("127.0.0.2", "admin:admin", false, false));
    ASSERT_TRUE(rig.runUntil([&] { return !rig.flow->busy(); }));
    rig.prompter.answerNext(MessageAnswer::Cancel);
    EXPECT_TRUE(rig.flow->confirmUpgrade());
    EXPECT_EQ(rig.flow->step(), Step::Confirm);
    EXPECT_FALSE(rig.flow->busy());
    for (const auto& request : rig.fleet.requests("127.0.0.2"))
        EXPECT_NE(request.path, "/command/versionup.cgi");
    EXPECT_TRUE(rig.flow->back());
    EXPECT_EQ(rig.flow->step(), Step::Target);
}

TEST(ManualFlowTest, ACameraThatLeavesTheUserInquiryUnansweredIsNotFound)
{
    // The camera answers the system inquiry and drops the user inquiry without a word.
    RawHttpServer camera([](RawHttpServer::Connection& connection) {
        const std::string request = connection.readRequest();
        if (request.find("inq=system") == std::string::npos) {
            connection.reset();
            return;
        }
        const std::string reply = "ModelName=ZKA-QM410&Serial=S0000002&SoftVersion=2.30&DocType=";
        connection.send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(reply.size()) +
                        "\r\nConnection: close\r\n\r\n" + reply);
    });
    FlowRig rig({});
    ASSERT_TRUE(rig.start());
    ASSERT_TRUE(rig.flow->submitTarget(camera.address(), "admin:admin", false, false));
    ASSERT_TRUE(rig.runUntil([&] { return !rig.flow->busy(); }));
    EXPECT_EQ(rig.flow->step(), Step::Target);
    const Message notFound{"Cannot find the camera. (The camera may be turned off.)", "Information",
                           MessageIcon::Warning, MessageButtons::Ok};
    EXPECT_EQ(rig.prompter.messages(), (std::vector<Message>{notFound}));
    ASSERT_EQ(camera.requests().size(), 2u);
    EXPECT_NE(camera.requests()[1].find("inq=user"), std::string::npos);
}

TEST(ManualFlowTest, TheReconfigurationWaitEndsAfter150SecondsWhenTheCameraStaysSilent)
{
    auto silent = testCamera(2);
    silent.silentAfterRestore = true; // takes the configuration, then never answers again
    // At 0.06 a 20 s inquiry lasts 1.2 s, above the second of real time no time-out goes under, so
    // the inquiries are counted at their own length.
    FlowRig rig({silent}, 0.06);
    ASSERT_TRUE(rig.start());
    ASSERT_TRUE(rig.flow->submitTarget("127.0.0.2", "admin:admin", true, false));
    ASSERT_TRUE(rig.runUntil([&] { return !rig.flow->busy(); }));
    ASSERT_TRUE(rig.flow->confirmUpgrade());
    ASSERT_TRUE(rig.runUntil([&] { return rig.view.has("stage 8"); }));
    const auto waitBegan = rig.clock.now();
    ASSERT_TRUE(rig.runUntil([&] { return rig.flow->step() == Step::Result; }));
    const auto waited = std::chrono::duration_cast<std::chrono::seconds>(rig.clock.now() - waitBegan);
    // Inquiries of up to 20 s each, one per tick: the first one that ends after 149 s ends the
    // wait (the upper bound is loose for slow builds; without the cap the wait never ends).
    EXPECT_GT(waited.count(), 149);
    EXPECT_LT(waited.count(), 240);
    int inquiries = 0;
    bool restored = false;
    for (const auto& request : rig.fleet.requests("127.0.0.2")) {
        restored = restored || request.path == "/command/all-configuration.cgi";
        inquiries += restored && request.body == "inq=system" ? 1 : 0;
    }
    EXPECT_GE(inquiries, 6);
    EXPECT_LE(inquiries, 9);
    // The restore itself succeeded: no message but the confirmation.
    EXPECT_EQ(rig.prompter.messages(), (std::vector<Message>{kConfirm}));
    EXPECT_FALSE(rig.flow->restoreFailed());
}

TEST(ManualFlowTest, FailuresOfTheSaveOrTheUpgradeReturnToTheTargetPage)
{
    auto html = testCamera(2);
    html.htmlInsteadOfConfig = true;
    auto old = testCamera(3);
    old.afterUpgrade = AfterUpgrade::OldVersion;
    auto dropped = testCamera(4);
    dropped.dropDuringUpload = true;
    FlowRig rig({html, old, dropped});
    ASSERT_TRUE(rig.start());

    rig.upgrade("127.0.0.2", true, false);
    EXPECT_EQ(rig.flow->step(), Step::Target);
    EXPECT_EQ(rig.prompter.messages(), (std::vector<Message>{kConfirm, kCannotSave}));
    for (const auto& request : rig.fleet.requests("127.0.0.2"))
        EXPECT_NE(request.path, "/command/versionup.cgi");

    rig.prompter.clear();
    rig.upgrade("127.0.0.3", true, false);
    EXPECT_EQ(rig.flow->step(), Step::Target);
    EXPECT_EQ(rig.prompter.messages(), (std::vector<Message>{kConfirm, kVersionUpError}));
    // The saved file stays: the upgrade failed before any restore.
    ASSERT_FALSE(rig.view.savedPath.empty());
    EXPECT_TRUE(std::filesystem::exists(rig.view.savedPath));
    for (const auto& request : rig.fleet.requests("127.0.0.3"))
        EXPECT_EQ(request.path.find("all-configuration"), std::string::npos);

    // The firmware did not go out: the network error, and back to the target page.
    rig.prompter.clear();
    rig.upgrade("127.0.0.4", false, false);
    EXPECT_EQ(rig.flow->step(), Step::Target);
    EXPECT_EQ(rig.prompter.messages(), (std::vector<Message>{kConfirm, kNetworkError}));
}

TEST(ManualFlowTest, DeletingTheFlowInAnyStateReturnsQuickly)
{
    auto hangingCheck = testCamera(2);
    hangingCheck.slowAnswerSeconds = 15; // the check's inquiry waits
    auto slowSave = testCamera(3);
    slowSave.slowAnswerSeconds = 8; // within the check's 20 s, long for the save
    auto restore = testCamera(4);
    auto silent = testCamera(5);
    silent.silentAfterRestore = true;
    const auto upgraded = [](const ManualFlow& flow) { return flow.job() && flow.job()->workerDone(); };
    struct Case {
        camsim::CameraSpec camera;
        std::function<bool(const FlowRig&)> reached;
    };
    const std::vector<Case> cases{
        // checking the target
        {hangingCheck, [](const FlowRig& rig) { return rig.flow->busy(); }},
        // saving the configuration
        {slowSave, [](const FlowRig& rig) { return rig.flow->step() == Step::Progress && rig.flow->busy(); }},
        // the job uploading
        {testCamera(6), [](const FlowRig& rig) { return rig.flow->job() && rig.flow->job()->errorCode() == 4; }},
        // restoring
        {restore, [&](const FlowRig& rig) { return rig.flow->busy() && upgraded(*rig.flow); }},
        // an inquiry of the reconfiguration wait hangs
        {silent, [&](const FlowRig& rig) {
             return rig.flow->busy() && upgraded(*rig.flow) && rig.flow->reconfiguring();
         }},
    };
    for (const auto& item : cases) {
        FlowRig rig({item.camera});
        ASSERT_TRUE(rig.start());
        const bool slowCheck = item.camera.address == "127.0.0.2";
        ASSERT_TRUE(rig.flow->submitTarget(item.camera.address, "admin:admin", true, false));
        if (!slowCheck) {
            ASSERT_TRUE(rig.runUntil([&] { return !rig.flow->busy(); }));
            ASSERT_TRUE(rig.flow->confirmUpgrade());
        }
        ASSERT_TRUE(rig.runUntil([&] { return item.reached(rig); })) << item.camera.address;
        const auto begin = std::chrono::steady_clock::now();
        rig.flow.reset();
        EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(1000)) << item.camera.address;
        // Neither the reconfigure timer nor the upgrade's tick timer runs on: only the heartbeat.
        EXPECT_EQ(rig.loop.runningTimerCount(), 1u);
        // Nothing queued for the deleted flow runs: it would show a page, a stage or a message.
        const Events shown = rig.view.lines;
        const std::size_t messages = rig.prompter.count();
        const bool busy = rig.view.busy();
        rig.loop.runUntil([] { return false; }, std::chrono::seconds(2));
        EXPECT_EQ(rig.view.lines, shown) << item.camera.address;
        EXPECT_EQ(rig.prompter.count(), messages) << item.camera.address;
        EXPECT_EQ(rig.view.busy(), busy) << item.camera.address;
    }
}

} // namespace
} // namespace zka::test
