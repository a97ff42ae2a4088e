// "zka-upgrade-cli batch" rolling firmware out to a fleet: cameras that need no upgrade are left as
// they are, a canary goes first, and too many failures halt the batch (exit status 4).
#include "batch_cli_rig.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace zka::test {
namespace {

using camsim::CameraSpec;
using nlohmann::json;

std::size_t uploadsTo(const camsim::Fleet& fleet, const std::string& address)
{
    const auto requests = fleet.requests(address);
    return static_cast<std::size_t>(std::count_if(requests.begin(), requests.end(), [](const auto& request) {
        return request.path == "/command/versionup.cgi";
    }));
}

TEST_F(BatchCommandTest, CamerasAtTheirVersionOrLaterAreSkippedUnlessForcedOrAllowedToDowngrade)
{
    CameraSpec current = testCamera(3);
    current.softVersion = "2.45";
    CameraSpec later = testCamera(4);
    later.softVersion = "2.50";
    startFleet({testCamera(2), current, later});
    write("password", "admin\n");
    write("targets.txt", "127.0.0.2\n127.0.0.3\n127.0.0.4\n");
    const std::string batch = "targets.txt --user admin --password-file password --report report.json "
                              "--time-scale 0.01";

    const CliResult result = run(batch);
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_EQ(logOf(result.out), (std::vector<std::string>{
                                     "ZKA-QM410(127.0.0.2) Completed successfully.",
                                     "ZKA-QM410(127.0.0.3) Skipped (up to date).",
                                     "ZKA-QM410(127.0.0.4) Skipped (runs a newer version).",
                                     "1 completed, 2 skipped, 0 failed, 0 not started",
                                 }));
    EXPECT_NE(result.out.find("002\t127.0.0.3\tZKA-QM410\t2.45\tSkipped\t0%\tup to date\n"), std::string::npos)
        << result.out;
    const json report = json::parse(fileText(folder() + "/report.json"));
    EXPECT_EQ(report["summary"], json({{"completed", 1}, {"skipped", 2}, {"failed", 0}, {"notStarted", 0}}));
    const json& cameras = report["cameras"];
    ASSERT_EQ(cameras.size(), 3u);
    EXPECT_EQ(cameras[0]["outcome"], "completed");
    EXPECT_EQ(cameras[0]["failedStage"], nullptr);
    const std::vector<std::string> details{"up to date", "newer"};
    for (std::size_t i = 1; i < 3; ++i) {
        EXPECT_EQ(cameras[i]["outcome"], "skipped") << cameras[i];
        EXPECT_EQ(cameras[i]["detail"], details[i - 1]);
        EXPECT_EQ(cameras[i]["versionAfter"], cameras[i]["versionBefore"]);
        EXPECT_EQ(cameras[i]["failedStage"], nullptr);
        EXPECT_EQ(uploadsTo(*fleet_, "127.0.0." + std::to_string(2 + i)), 0u);
    }

    // Forced, and allowed to downgrade, every camera takes the firmware: the first one again.
    const CliResult forced = run(batch + " --force --allow-downgrade --parallel 3");
    EXPECT_EQ(forced.status, 0) << forced.out << forced.err;
    EXPECT_EQ(linesOf(forced.out).back(), "3 completed, 0 failed, 0 not started");
    EXPECT_EQ(uploadsTo(*fleet_, "127.0.0.2"), 2u);
    EXPECT_EQ(uploadsTo(*fleet_, "127.0.0.3"), 1u);
    EXPECT_EQ(uploadsTo(*fleet_, "127.0.0.4"), 1u);
}

TEST_F(BatchCommandTest, ACanaryThatFailsHaltsTheBatchAndOneThatCompletesGoesFirstAlone)
{
    CameraSpec refusing = testCamera(2);
    refusing.adminPassword = "secret";
    startFleet({refusing, testCamera(3), testCamera(4)});
    write("password", "admin\n");
    write("all.txt", "127.0.0.2\n127.0.0.3\n127.0.0.4\n");
    write("good.txt", "127.0.0.3\n127.0.0.4\n");
    const std::string login = " --user admin --password-file password --time-scale 0.01 --canary 1";

    const CliResult halted = run("all.txt --report report.json" + login);
    EXPECT_EQ(halted.status, 4) << halted.out << halted.err;
    EXPECT_EQ(logOf(halted.out), (std::vector<std::string>{
                                     "(127.0.0.2) Login error.",
                                     "    login refused",
                                     "(127.0.0.3) Not upgraded (halted after the canary).",
                                     "(127.0.0.4) Not upgraded (halted after the canary).",
                                     "0 completed, 1 failed, 2 not started",
                                 }));
    EXPECT_NE(halted.err.find("zka-upgrade-cli batch: halted after the canary"), std::string::npos) << halted.err;
    const json report = json::parse(fileText(folder() + "/report.json"));
    ASSERT_EQ(report["cameras"].size(), 3u);
    EXPECT_EQ(report["cameras"][0]["failedStage"], "inquiry");
    for (std::size_t i = 1; i < 3; ++i) {
        EXPECT_EQ(report["cameras"][i]["outcome"], "not-started");
        EXPECT_EQ(report["cameras"][i]["detail"], "halted after the canary");
    }
    EXPECT_TRUE(fleet_->requests("127.0.0.3").empty());
    EXPECT_TRUE(fleet_->requests("127.0.0.4").empty());

    // Two at a time, yet the second camera is asked only after the canary confirmed its new version.
    const CliResult passed = run("good.txt" + login);
    EXPECT_EQ(passed.status, 0) << passed.out << passed.err;
    EXPECT_GT(firstInquiry("127.0.0.4"), lastInquiry("127.0.0.3"));
}

TEST_F(BatchCommandTest, TheFailureLimitHaltsTheBatchWithTheStageEachCameraFailedIn)
{
    CameraSpec unsaved = testCamera(2);
    unsaved.htmlInsteadOfConfig = true;
    CameraSpec refusing = testCamera(3);
    refusing.adminPassword = "secret";
    startFleet({unsaved, refusing, testCamera(4), testCamera(5)});
    write("password", "admin\n");
    write("targets.txt", "127.0.0.2\n127.0.0.3\n127.0.0.4\n127.0.0.5\n");

    const CliResult result = run("targets.txt --user admin --password-file password --report report.json --retain "
                                 "--parallel 1 --max-failures 2 --time-scale 0.01");
    EXPECT_EQ(result.status, 4) << result.out << result.err;
    EXPECT_EQ(linesOf(result.out).back(), "0 completed, 2 failed, 2 not started");
    const json report = json::parse(fileText(folder() + "/report.json"));
    const json& cameras = report["cameras"];
    ASSERT_EQ(cameras.size(), 4u);
    EXPECT_EQ(cameras[0]["failedStage"], "saving");
    EXPECT_EQ(cameras[1]["failedStage"], "inquiry");
    for (std::size_t i = 2; i < 4; ++i) {
        EXPECT_EQ(cameras[i]["outcome"], "not-started");
        EXPECT_EQ(cameras[i]["detail"], "halted: failure limit");
        EXPECT_EQ(cameras[i]["failedStage"], nullptr);
    }
    EXPECT_TRUE(fleet_->requests("127.0.0.4").empty());
    EXPECT_TRUE(fleet_->requests("127.0.0.5").empty());
}

} // namespace
} // namespace zka::test
