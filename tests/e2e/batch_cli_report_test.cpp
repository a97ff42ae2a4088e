// The report of "zka-upgrade-cli batch" as it stands on disk while the batch runs, and a batch of
// the cameras an earlier report did not see through (--retry).
#include "batch_cli_rig.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <csignal>
#include <filesystem>

namespace zka::test {
namespace {

using camsim::CameraSpec;
using nlohmann::json;

TEST_F(BatchCommandTest, AKilledBatchLeavesTheReportOfEveryCameraThatHadEnded)
{
    CameraSpec never = testCamera(4);
    never.afterUpgrade = camsim::AfterUpgrade::NeverBack;
    // The third upload comes after the first two cameras have ended.
    const CliProcess batch = startOneAtATime({testCamera(2), testCamera(3), never});
    ASSERT_TRUE(waitForUploads(3));
    batch.signal(SIGKILL);
    batch.wait();

    const json report = json::parse(fileText(folder() + "/report.json"), nullptr, false);
    ASSERT_FALSE(report.is_discarded()) << fileText(folder() + "/report.json");
    EXPECT_EQ(report["schemaVersion"], 1);
    const json& cameras = report["cameras"];
    ASSERT_EQ(cameras.size(), 3u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(cameras[i]["outcome"], "completed") << cameras[i];
        EXPECT_EQ(cameras[i]["versionAfter"], "2.45");
    }
    EXPECT_NE(cameras[2]["outcome"], "completed");
    EXPECT_EQ(report["summary"]["completed"], 2);
}

TEST_F(BatchCommandTest, ARetryTakesTheCamerasOfAnEarlierReportThatDidNotComplete)
{
    CameraSpec ownPort = testCamera(4);
    ownPort.webPort = 8080;
    startFleet({testCamera(2), testCamera(3), ownPort, testCamera(5), testCamera(6)});
    write("password", "admin\n");
    const auto camera = [](const std::string& address, int port, const std::string& outcome) {
        return json{{"id", 1}, {"address", address}, {"port", port}, {"outcome", outcome}};
    };
    const json earlier = {
        {"schemaVersion", 1},
        {"cameras", {camera("127.0.0.2", 80, "completed"), camera("127.0.0.3", 80, "failed"),
                     camera("127.0.0.4", 8080, "not-started"), camera("127.0.0.5", 80, "skipped"),
                     camera("127.0.0.6", 80, "abandoned")}},
        {"summary", {{"completed", 1}, {"failed", 2}, {"notStarted", 1}}},
    };
    write("earlier.json", earlier.dump());

    // The earlier report may be the one this batch writes.
    const CliResult result =
        run("--retry earlier.json --user admin --password-file password --report earlier.json --time-scale 0.01");
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_EQ(logOf(result.out), (std::vector<std::string>{
                                     "ZKA-QM410(127.0.0.3) Completed successfully.",
                                     "ZKA-QM410(127.0.0.4:8080) Completed successfully.",
                                     "ZKA-QM410(127.0.0.6) Completed successfully.",
                                     "3 completed, 0 failed, 0 not started",
                                 }));
    EXPECT_TRUE(fleet_->requests("127.0.0.2").empty());
    EXPECT_TRUE(fleet_->requests("127.0.0.5").empty());
    EXPECT_EQ(json::parse(fileText(folder() + "/earlier.json"))["cameras"].size(), 3u);

    // Every camera of the new report completed: nothing is left to retry.
    const CliResult again = run("--retry earlier.json --user admin --password-file password --time-scale 0.01");
    EXPECT_EQ(again.status, 0) << again.out << again.err;
    EXPECT_NE(again.err.find("nothing to retry"), std::string::npos) << again.err;
}

} // namespace
} // namespace zka::test
