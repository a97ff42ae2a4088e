// The report of "zka-upgrade-cli batch" as it stands on disk while the batch runs, the events a
// follower reads while it runs (--events), and a batch of the cameras an earlier report did not see
// through (--retry), the fleet table of several segments' reports (report), and the verdicts of a
// check (--check).
#include "batch_cli_rig.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <csignal>
#include <filesystem>
#include <functional>
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

// The check asks every camera what a real start would, and with --retain downloads its configuration,
// but uploads nothing and writes nothing beside its report.
TEST_F(BatchCommandTest, ACheckGivesEveryCameraItsVerdictAndChangesNothing)
{
    const auto withSpec = [](int host, const std::function<void(CameraSpec&)>& change) {
        CameraSpec camera = testCamera(host);
        change(camera);
        return camera;
    };
    startFleet({
        testCamera(2),
        withSpec(3, [](CameraSpec& c) { c.softVersion = "2.45"; }),
        withSpec(4, [](CameraSpec& c) { c.softVersion = "2.100"; }),
        withSpec(5, [](CameraSpec& c) { c.adminPassword = "secret"; }),
        withSpec(6, [](CameraSpec& c) { c.model = "ZKA-XY999"; }),
        withSpec(7, [](CameraSpec& c) { c.softVersion = "emergency"; }),
        withSpec(8, [](CameraSpec& c) { c.htmlInsteadOfConfig = true; }),
        withSpec(9, [](CameraSpec& c) { c.notACamera = true; }),
        withSpec(10, [](CameraSpec& c) { c.userName = "guard", c.userPassword = "guard"; }),
    });
    write("password", "admin\n");
    write("logins.txt", "127.0.0.10 guard guard\n");
    write("targets.txt", "127.0.0.2\n127.0.0.3\n127.0.0.4\n127.0.0.5\n127.0.0.6\n127.0.0.7\n127.0.0.8\n"
                         "127.0.0.9\n127.0.0.10\n127.0.0.11\n");
    const CliResult result = run("targets.txt --check --retain --user admin --password-file password --logins "
                                 "logins.txt --report check.json --time-scale 0.01");
    EXPECT_EQ(result.status, 1) << result.out << result.err;

    const json report = json::parse(fileText(folder() + "/check.json"));
    EXPECT_EQ(report["schemaVersion"], 1);
    std::vector<std::vector<std::string>> verdicts;
    for (const json& camera : report["cameras"]) {
        verdicts.push_back({camera["address"], camera["verdict"], camera["reason"].is_null() ? "" : camera["reason"],
                            camera["outcome"]});
    }
    using V = std::vector<std::string>;
    EXPECT_EQ(verdicts, (std::vector<V>{
                            V{"127.0.0.2", "ready", "", "not-started"},
                            V{"127.0.0.3", "up-to-date", "", "skipped"},
                            V{"127.0.0.4", "newer", "", "skipped"},
                            V{"127.0.0.5", "refused", "login refused", "failed"},
                            V{"127.0.0.6", "refused", "not a supported model", "failed"},
                            V{"127.0.0.7", "ready", "", "not-started"},
                            V{"127.0.0.8", "refused",
                              "configuration not readable: the camera sent an HTML page instead of its configuration",
                              "failed"},
                            V{"127.0.0.9", "refused", "not a camera", "failed"},
                            V{"127.0.0.10", "refused", "not the administrator's login", "failed"},
                            V{"127.0.0.11", "refused", "no answer", "failed"},
                        }));
    EXPECT_EQ(report["cameras"][0]["versionAfter"], "2.45");
    // The table on standard output says the same.
    const auto lines = linesOf(result.out);
    ASSERT_EQ(lines.size(), 13u) << result.out;
    EXPECT_EQ(lines[1], "1   127.0.0.2   ZKA-QM410  2.30 -> 2.45     ready");
    EXPECT_EQ(lines[7], "7   127.0.0.8   ZKA-QM410  2.30 -> 2.45     refused     configuration not readable: the "
                        "camera sent an HTML page instead of its configuration");
    EXPECT_EQ(lines.back(), "2 ready, 1 up to date, 1 newer, 6 refused");

    // The configuration was read from the ready cameras, and nothing was uploaded or saved.
    EXPECT_EQ(inquiriesReceived(*fleet_, "127.0.0.2", "inq=user"), 1);
    for (const std::string address : {"127.0.0.2", "127.0.0.7"}) {
        const auto requests = fleet_->requests(address);
        EXPECT_TRUE(std::any_of(requests.begin(), requests.end(), [](const auto& r) { return r.method == "GET"; }))
            << address;
    }
    {
        std::lock_guard lock(mutex_);
        EXPECT_EQ(uploads_, 0);
    }
    EXPECT_TRUE(root_.stampFolders().empty());
    EXPECT_EQ(root_.files().size(), 6u); // password, logins, targets, the report, the output

    // Ready and up to date is a fleet that may go ahead.
    write("targets.txt", "127.0.0.2\n127.0.0.3\n");
    const CliResult ready = run("targets.txt --check --user admin --password-file password --time-scale 0.01");
    EXPECT_EQ(ready.status, 0) << ready.out << ready.err;
}

// Ctrl+C stops a check at once: the inquiry under way is dropped and no further camera is asked.
TEST_F(BatchCommandTest, AStoppedCheckAsksNoFurtherCamera)
{
    std::vector<CameraSpec> cameras{testCamera(2), testCamera(3)};
    for (CameraSpec& camera : cameras)
        camera.slowAnswerSeconds = 6000; // beyond the inquiries' time-out: unstopped, each would be refused
    startFleet(cameras);
    write("password", "admin\n");
    write("targets.txt", "127.0.0.2\n127.0.0.3\n");
    const CliProcess check(folder(), "targets.txt --check --parallel 1 --user admin --password-file password "
                                     "--report check.json --time-scale 0.01");
    ASSERT_TRUE(waitForRequest("127.0.0.2", "inq=system"));
    check.signal(SIGINT);
    const CliResult result = check.wait();
    EXPECT_EQ(result.status, 1) << result.out << result.err;
    EXPECT_LT(result.elapsed, std::chrono::seconds(30));
    const json report = json::parse(fileText(folder() + "/check.json"));
    for (const json& camera : report["cameras"])
        EXPECT_EQ(camera["verdict"], "not-checked") << camera;
    EXPECT_TRUE(fleet_->requests("127.0.0.3").empty());
    EXPECT_EQ(linesOf(result.out).back(), "0 ready, 0 up to date, 0 newer, 0 refused, 2 not checked");
}

} // namespace
} // namespace zka::test
