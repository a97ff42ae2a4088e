// Batch reports read for the fleet report, and the fleet table with its totals and its CSV.
#include "cli/FleetTable.h"
#include "cli/ReportedBatch.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>

namespace zka::cli {
namespace {

using nlohmann::json;

json camera(int id, const std::string& address, const std::string& outcome, json detail = nullptr)
{
    return {{"id", id},           {"address", address},       {"port", 80},          {"model", "ZKA-QM410"},
            {"serial", nullptr},  {"versionBefore", "2.30"},  {"versionAfter", "2.45"},
            {"outcome", outcome}, {"detail", std::move(detail)}};
}

ReportedBatch batchOf(json cameras, int leftOut = 0)
{
    json summary = {{"completed", 0}};
    if (leftOut > 0)
        summary["leftOut"] = leftOut;
    const json report = {{"schemaVersion", 1}, {"cameras", std::move(cameras)}, {"summary", summary}};
    ReportedBatch batch = ReportedBatch::fromText(report.dump());
    EXPECT_EQ(batch.fault, "");
    return batch;
}

TEST(FleetTable, ReadsEachCameraAndCountsEverySegmentAndTheFleet)
{
    json ownPort = camera(2, "10.0.0.3", "skipped", "up to date");
    ownPort["port"] = 8080;
    json unknown = camera(3, "10.0.0.4", "not-started");
    unknown["versionBefore"] = nullptr;
    unknown["versionAfter"] = nullptr;
    unknown["model"] = nullptr;
    const ReportedBatch first = batchOf({camera(1, "10.0.0.2", "completed"), ownPort, unknown});
    ASSERT_EQ(first.cameras.size(), 3u);
    EXPECT_EQ(first.cameras[1].address, (CameraAddress{{10, 0, 0, 3}, 8080}));
    EXPECT_EQ(first.cameras[1].detail, "up to date");
    EXPECT_EQ(first.cameras[2].model, "");

    // Two segments at the same addresses, as two VLANs may be; the second left one camera out.
    FleetTable table;
    table.add("north", first);
    table.add("south", batchOf({camera(1, "10.0.0.2", "failed", "login refused"), camera(2, "10.0.0.3", "abandoned")}, 1));
    EXPECT_EQ(table.text(),
              "SEGMENT  ID  ADDRESS        MODEL      VERSION       OUTCOME      DETAIL\n"
              "north    1   10.0.0.2       ZKA-QM410  2.30 -> 2.45  completed\n"
              "north    2   10.0.0.3:8080  ZKA-QM410  2.30 -> 2.45  skipped      up to date\n"
              "north    3   10.0.0.4       -          -             not-started\n"
              "south    1   10.0.0.2       ZKA-QM410  2.30 -> 2.45  failed       login refused\n"
              "south    2   10.0.0.3       ZKA-QM410  2.30 -> 2.45  abandoned\n"
              "\n"
              "north: 1 completed, 1 skipped, 0 failed, 1 not started, 0 abandoned (3 cameras)\n"
              "south: 0 completed, 0 skipped, 1 failed, 1 not started, 1 abandoned (3 cameras)\n"
              "all 2 segments: 1 completed, 1 skipped, 1 failed, 2 not started, 1 abandoned (6 cameras)\n");
    EXPECT_FALSE(table.totals().allDone());

    FleetTable done;
    done.add("north", batchOf({camera(1, "10.0.0.2", "completed"), camera(2, "10.0.0.3", "skipped")}));
    EXPECT_TRUE(done.totals().allDone());
}

TEST(FleetTable, TextsFromCamerasNeitherActOnTheTerminalNorBecomeFormulasInTheSpreadsheet)
{
    json odd = camera(1, "10.0.0.2", "failed", "no answer, \"twice\"\nthen\x1b[2J");
    odd["model"] = "=HYPERLINK(\"x\")";
    odd["versionBefore"] = "-1";
    FleetTable table;
    table.add("lab", batchOf({odd}));
    const std::string text = table.text();
    EXPECT_NE(text.find("no answer, \"twice\"\\x0Athen\\x1B[2J"), std::string::npos) << text;
    EXPECT_EQ(table.csv(), "segment,id,address,model,version before,version after,outcome,detail\r\n"
                           "lab,1,10.0.0.2,\"'=HYPERLINK(\"\"x\"\")\",'-1,2.45,failed,"
                           "\"no answer, \"\"twice\"\"\nthen\x1b[2J\"\r\n");
}

} // namespace
} // namespace zka::cli
