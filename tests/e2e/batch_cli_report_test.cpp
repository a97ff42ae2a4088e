// The report of "zka-upgrade-cli batch" as it stands on disk while the batch runs.
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

} // namespace
} // namespace zka::test
