// The report of "zka-upgrade-cli batch" as it stands on disk while the batch runs, the events a
// follower reads while it runs (--events), and a batch of the cameras an earlier report did not see
// through (--retry), and the fleet table of several segments' reports (report).
#include "batch_cli_rig.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <csignal>
#include <filesystem>
#include <map>

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

// Every line is JSON; each camera's lines come in order and end with its final code and cause as the
// report gives them; the last line is the summary, with the report's totals.
void expectEventsAgreeWithTheReport(const std::string& events, const json& report)
{
    const auto lines = linesOf(events);
    ASSERT_GE(lines.size(), 2u) << events;
    std::map<int, std::vector<json>> byCamera;
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        const json line = json::parse(lines[i], nullptr, false);
        ASSERT_FALSE(line.is_discarded()) << lines[i];
        EXPECT_EQ(line["event"], "row") << lines[i];
        byCamera[line["id"].get<int>()].push_back(line);
    }
    const json summary = json::parse(lines.back(), nullptr, false);
    ASSERT_FALSE(summary.is_discarded()) << lines.back();
    EXPECT_EQ(summary["event"], "summary");
    for (const auto& [key, count] : report["summary"].items())
        EXPECT_EQ(summary[key], count) << key;
    ASSERT_EQ(byCamera.size(), report["cameras"].size()) << events;
    for (const json& camera : report["cameras"]) {
        const std::vector<json>& seen = byCamera[camera["id"].get<int>()];
        ASSERT_FALSE(seen.empty()) << camera;
        for (std::size_t i = 1; i < seen.size(); ++i)
            EXPECT_LE(seen[i - 1]["time"].get<std::string>(), seen[i]["time"].get<std::string>());
        const json& last = seen.back();
        EXPECT_EQ(last["address"], camera["address"]);
        EXPECT_EQ(last["port"], camera["port"]);
        EXPECT_EQ(last["statusCode"], camera["finalCode"]) << last;
        EXPECT_EQ(last["stage"], camera["statusWord"]);
        EXPECT_EQ(last["detail"], camera["detail"]);
    }
}

TEST_F(BatchCommandTest, EventsFollowEveryCameraToItsEndAndCloseWithTheSummary)
{
    CameraSpec ownPort = testCamera(3);
    ownPort.webPort = 8080;
    startFleet({testCamera(2), ownPort});
    write("password", "admin\n");
    write("targets.txt", "127.0.0.2\n127.0.0.3:8080\n127.0.0.9\n");
    // Forced: the second run upgrades the cameras the first one brought up to date.
    const std::string batch = "targets.txt --user admin --password-file password --report report.json "
                              "--force --time-scale 0.01 --events ";

    const CliResult toFile = run(batch + "events.jsonl");
    EXPECT_EQ(toFile.status, 1) << toFile.out << toFile.err;
    const std::string events = fileText(folder() + "/events.jsonl");
    const json report = json::parse(fileText(folder() + "/report.json"));
    expectEventsAgreeWithTheReport(events, report);
    // The upload's progress shows on the way.
    EXPECT_NE(events.find("\"stage\":\"Uploading\""), std::string::npos) << events;
    EXPECT_EQ(logOf(toFile.out).back(), "2 completed, 1 failed, 0 not started");

    // On standard output the events take the place of the terminal's lines and log.
    const CliResult toOutput = run(batch + "-");
    EXPECT_EQ(toOutput.status, 1) << toOutput.out << toOutput.err;
    expectEventsAgreeWithTheReport(toOutput.out, json::parse(fileText(folder() + "/report.json")));
    EXPECT_EQ(logOf(toOutput.err).back(), "2 completed, 1 failed, 0 not started") << toOutput.err;
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


TEST_F(BatchCommandTest, TheReportsOfSeveralSegmentsMakeOneFleetTable)
{
    CameraSpec refusing = testCamera(3);
    refusing.adminPassword = "secret";
    const CliResult batch = startOneAtATime({testCamera(2), refusing}).wait();
    ASSERT_EQ(batch.status, 1) << batch.out << batch.err;
    std::filesystem::create_directory(folder() + "/reports");
    std::filesystem::rename(folder() + "/report.json", folder() + "/reports/north.json");
    json south = json::parse(fileText(folder() + "/reports/north.json"));
    south["cameras"] = json::array({south["cameras"][0]});
    write("reports/south-vlan.json", south.dump());
    write("reports/notes.txt", "not a report");

    const CliResult fleet = run("reports --label south=reports/south-vlan.json --csv fleet.csv", "report");
    EXPECT_EQ(fleet.status, 1) << fleet.out << fleet.err;
    EXPECT_EQ(fleet.out, "SEGMENT  ID  ADDRESS    MODEL      VERSION       OUTCOME    DETAIL\n"
                         "north    1   127.0.0.2  ZKA-QM410  2.30 -> 2.45  completed\n"
                         "north    2   127.0.0.3  -          -             failed     login refused\n"
                         "south    1   127.0.0.2  ZKA-QM410  2.30 -> 2.45  completed\n"
                         "\n"
                         "north: 1 completed, 0 skipped, 1 failed, 0 not started, 0 abandoned (2 cameras)\n"
                         "south: 1 completed, 0 skipped, 0 failed, 0 not started, 0 abandoned (1 camera)\n"
                         "all 2 segments: 2 completed, 0 skipped, 1 failed, 0 not started, 0 abandoned (3 cameras)\n");
    EXPECT_EQ(linesOf(fileText(folder() + "/fleet.csv")).size(), 4u);

    // Every camera of the south segment completed.
    EXPECT_EQ(run("reports/south-vlan.json", "report").status, 0);

    // A file that is no report, or one of a later layout, is named and refused.
    south["schemaVersion"] = 2;
    write("reports/later.json", south.dump());
    const CliResult later = run("reports/south-vlan.json reports/later.json", "report");
    EXPECT_EQ(later.status, 64);
    EXPECT_EQ(later.err, "zka-upgrade-cli report: reports/later.json: not a report of zka-upgrade-cli batch: a "
                         "schema version other than 1\n");
    EXPECT_EQ(later.out, "");
    const CliResult notes = run("reports/notes.txt", "report");
    EXPECT_EQ(notes.status, 64);
    EXPECT_NE(notes.err.find("reports/notes.txt: not a report of zka-upgrade-cli batch: not JSON"), std::string::npos);
}

} // namespace
} // namespace zka::test
