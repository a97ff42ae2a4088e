// "zka-upgrade-cli batch" as an operator runs it against simulated cameras in the network sandbox:
// its lines, log, report and exit status, its usage errors, and SIGINT/SIGTERM.
#include "batch_cli_rig.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <csignal>
#include <regex>

namespace zka::test {
namespace {

using namespace std::chrono_literals;
using camsim::CameraSpec;
using nlohmann::json;

TEST_F(BatchCommandTest, DiscoveredAndListedCamerasWithTheirLinesLogReportAndExitStatus)
{
    CameraSpec escaping = testCamera(3);
    escaping.softVersion = "2.30\x1b[5m";
    CameraSpec hidden = testCamera(4);
    hidden.answersDiscovery = false;
    startFleet({testCamera(2), escaping, hidden});
    write("password", "admin\n");
    write("targets.txt", "127.0.0.4\r\n127.0.0.2\r\n127.0.0.9\r\n");

    const CliResult result = run("targets.txt --discover --user admin --password-file password --retain --backup "
                                 "--report report.json --time-scale 0.01");
    EXPECT_EQ(result.status, 1) << result.out << result.err;
    EXPECT_EQ(result.err, "zka-upgrade-cli batch: 127.0.0.2: A camera with this IP address already exists.\n");
    const std::string reportText = fileText(folder() + "/report.json");
    EXPECT_EQ(reportText.rfind("{\n  \"schemaVersion\": 1,\n", 0), 0u) << reportText;
    const json report = json::parse(reportText);
    // The log closes with the folder that keeps the saved configurations.
    const std::string kept = std::filesystem::path(report["cameras"][0]["savedConfiguration"].get<std::string>())
                                 .parent_path()
                                 .string();
    EXPECT_EQ(logOf(result.out), (std::vector<std::string>{
                                     "ZKA-QM410(127.0.0.2) Completed successfully.",
                                     "ZKA-QM410(127.0.0.3) Completed successfully.",
                                     "ZKA-QM410(127.0.0.4) Completed successfully.",
                                     "(127.0.0.9) Network error (missing target).",
                                     "    no answer",
                                     "Saved configurations: " + kept,
                                     "3 completed, 1 failed, 0 not started",
                                 }));
    EXPECT_NE(result.out.find("002\t127.0.0.3\tZKA-QM410\t2.30\\x1B[5m\t"), std::string::npos) << result.out;
    EXPECT_EQ(result.out.find('\x1b'), std::string::npos);
    // A failed row keeps the progress it reached and names its cause.
    EXPECT_NE(result.out.find("004\t127.0.0.9\t\t\tError1\t0%\tno answer\n"), std::string::npos) << result.out;

    EXPECT_EQ(report["summary"], json({{"completed", 3}, {"failed", 1}, {"notStarted", 0}}));
    const json& cameras = report["cameras"];
    ASSERT_EQ(cameras.size(), 4u);
    const std::regex iso(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ)");
    for (std::size_t i = 0; i < 3; ++i) {
        const json& camera = cameras[i];
        EXPECT_EQ(camera["id"], i + 1);
        EXPECT_EQ(camera["address"], "127.0.0." + std::to_string(2 + i));
        EXPECT_EQ(camera["port"], 80);
        EXPECT_EQ(camera["model"], "ZKA-QM410");
        EXPECT_EQ(camera["serial"], fleet_->cameras()[i].serial);
        EXPECT_EQ(camera["versionAfter"], "2.45");
        EXPECT_EQ(camera["finalCode"], 9);
        EXPECT_EQ(camera["statusWord"], "Completed");
        EXPECT_EQ(camera["detail"], nullptr);
        EXPECT_TRUE(std::regex_match(camera["started"].get<std::string>(), iso)) << camera["started"];
        EXPECT_TRUE(std::regex_match(camera["ended"].get<std::string>(), iso)) << camera["ended"];
        // With --backup the saved file stays, holding the camera's configuration.
        EXPECT_EQ(fileText(camera["savedConfiguration"].get<std::string>()), fleet_->cameras()[i].configuration);
    }
    EXPECT_EQ(cameras[0]["versionBefore"], "2.30");
    // A camera only listed is known from its own answer.
    EXPECT_EQ(cameras[2]["logLine"], "ZKA-QM410(127.0.0.4) Completed successfully.");
    const json& missing = cameras[3];
    EXPECT_EQ(missing["finalCode"], 10);
    EXPECT_EQ(missing["statusWord"], "Error1");
    EXPECT_EQ(missing["outcome"], "failed");
    EXPECT_EQ(missing["model"], nullptr);
    EXPECT_EQ(missing["versionBefore"], nullptr);
    EXPECT_EQ(missing["savedConfiguration"], nullptr);
    EXPECT_EQ(missing["logLine"], "(127.0.0.9) Network error (missing target).");
    EXPECT_EQ(missing["detail"], "no answer");
}

TEST_F(BatchCommandTest, PerCameraLoginsTargetsFromStandardInputAndThreeAtATime)
{
    CameraSpec own = testCamera(3);
    own.adminPassword = "other";
    startFleet({testCamera(2), own, testCamera(4)});
    write("password", "admin\n");
    write("logins.txt", "# per camera\n\n127.0.0.3\tadmin   other\n", 0644);
    write("targets.txt", "127.0.0.2\n127.0.0.3\n127.0.0.4\n");

    const CliResult result = run("- --logins logins.txt --user admin --password-file password --parallel 3 "
                                 "--time-scale 0.01 <targets.txt");
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_EQ(linesOf(result.out).back(), "3 completed, 0 failed, 0 not started");
    // Three at once: the third camera was asked before the first one's last inquiry after its reboot.
    {
        std::lock_guard lock(mutex_);
        for (const std::string address : {"127.0.0.2", "127.0.0.4"})
            ASSERT_TRUE(std::any_of(systemInquiries_.begin(), systemInquiries_.end(),
                                    [&](const auto& entry) { return entry.first == address; }));
    }
    EXPECT_LT(firstInquiry("127.0.0.4"), lastInquiry("127.0.0.2"));
    EXPECT_NE(result.err.find("warning: other users can read the logins file \"logins.txt\""), std::string::npos)
        << result.err;
}

TEST_F(BatchCommandTest, AddressesPastThe256thAreLeftOutCountedAsNotStartedAndFailTheRun)
{
    startFleet({testCamera(2), testCamera(3)});
    write("password", "admin\n");
    std::string targets;
    for (std::size_t i = 0; i < 256; ++i)
        targets += "127.0.0.2\n";
    write("targets.txt", targets + "127.0.0.3\n127.0.0.4\n");

    const CliResult result =
        run("targets.txt --user admin --password-file password --report report.json --time-scale 0.01");
    EXPECT_EQ(result.status, 1) << result.out << result.err;
    EXPECT_NE(result.err.find("zka-upgrade-cli batch: targets.txt: 2 addresses past the 256th are left out\n"),
              std::string::npos)
        << result.err;
    EXPECT_EQ(linesOf(result.out).back(), "1 completed, 0 failed, 2 not started");
    const json report = json::parse(fileText(folder() + "/report.json"));
    EXPECT_EQ(report["summary"], json({{"completed", 1}, {"failed", 0}, {"notStarted", 2}, {"leftOut", 2}}));
    EXPECT_TRUE(fleet_->requests("127.0.0.3").empty());
}

TEST_F(BatchCommandTest, UsageErrorsExit64BeforeAnyCameraIsTouched)
{
    startFleet({testCamera(2), testCamera(3)});
    write("password", "admin\n");
    write("targets.txt", "127.0.0.2\n127.0.0.3\n");
    write("faulty.txt", "127.0.0.2\n\n127.0.0.300\n");
    write("logins.txt", "127.0.0.2 admin\n");
    write("only-two.txt", "127.0.0.2 admin admin\n");
    write("foreign.json", "{\"cameras\": [{\"address\": \"127.0.0.2\"}], \"summary\": {}}\n");
    const std::string login = " --user admin --password-file password";
    const std::vector<std::string> refused{
        "--user admin --password-file password",
        "targets.txt" + login + " --parallel 17",
        "targets.txt" + login + " --parallel 0",
        "targets.txt --user admin",
        "targets.txt" + login + " --bogus",
        "targets.txt other.txt" + login,
        "targets.txt" + login + " --time-scale 0",
        "missing.txt" + login,
        "faulty.txt" + login,
        "targets.txt" + login + " --logins logins.txt",
        "targets.txt --logins only-two.txt --password-file password",
        "targets.txt" + login + " --report no/such/folder/report.json",
        "targets.txt" + login + " --events no/such/folder/events.jsonl",
        "--retry foreign.json" + login,
        "--retry targets.txt" + login,
        "--retry missing.json" + login,
        "targets.txt --retry foreign.json" + login,
        "targets.txt" + login + " --canary 0",
        "targets.txt" + login + " --max-failures 0",
        "targets.txt" + login + " --max-failures 101%",
        "targets.txt" + login + " --max-failures ten",
        "targets.txt" + login + " --stop-at 24:00",
        "targets.txt" + login + " --stop-at 6",
    };
    for (const auto& arguments : refused) {
        const CliResult result = run(arguments);
        EXPECT_EQ(result.status, 64) << arguments << "\n" << result.out << result.err;
        EXPECT_EQ(result.out, "") << arguments;
    }
    EXPECT_EQ(run("faulty.txt" + login).err,
              "zka-upgrade-cli batch: faulty.txt:3: an address number above 255: \"127.0.0.300\"\n");
    EXPECT_EQ(run("targets.txt" + login + " --logins logins.txt").err,
              "zka-upgrade-cli batch: logins.txt:1: expected ADDRESS[:PORT] NAME PASSWORD\n");
    EXPECT_EQ(run("targets.txt --logins only-two.txt --password-file password").err,
              "zka-upgrade-cli batch: no login for 127.0.0.3: give --user or a line in --logins\n");
    EXPECT_EQ(run("--retry foreign.json" + login).err,
              "zka-upgrade-cli batch: foreign.json: not a report of zka-upgrade-cli batch: camera 1 has no camera's "
              "address and port\n");
    EXPECT_TRUE(fleet_->requests("127.0.0.2").empty());
    EXPECT_TRUE(fleet_->requests("127.0.0.3").empty());
}

TEST_F(BatchCommandTest, EveryHelpSaysAWaitLastsXTimesAsLong)
{
    for (const std::string command : {"discover", "inquire", "backup", "upgrade", "package", "batch"}) {
        FILE* pipe = ::popen((std::string(ZKA_CLI_PATH) + " " + command + " --help").c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string help;
        char buffer[4096];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            help.append(buffer, got);
        EXPECT_EQ(::pclose(pipe), 0) << command;
        EXPECT_EQ(help.rfind("usage: zka-upgrade-cli " + command, 0), 0u) << help;
        // The clock makes every wait X times as long: X = 0.01 is a quick run.
        EXPECT_EQ(help.find("as fast"), std::string::npos) << command;
        // Every command with timed waits takes a time scale and says what it does.
        const bool waits = command != std::string("package") && command != std::string("backup");
        EXPECT_EQ(help.find("--time-scale X") != std::string::npos, waits) << command;
        EXPECT_EQ(help.find("times as long") != std::string::npos, waits) << command;
    }
}

TEST_F(BatchCommandTest, AFirstSignalAbortsAndTheWaitingCamerasAreNotStarted)
{
    const CliProcess batch = startOneAtATime({testCamera(2), testCamera(3), testCamera(4)});
    ASSERT_TRUE(waitForUploads(1));
    batch.signal(SIGINT);
    const CliResult result = batch.wait();
    EXPECT_EQ(result.status, 1) << result.out << result.err;
    EXPECT_NE(result.err.find("aborting"), std::string::npos) << result.err;
    EXPECT_EQ(logOf(result.out), (std::vector<std::string>{"ZKA-QM410(127.0.0.2) Completed successfully.",
                                                           "(127.0.0.3) Not upgraded (the batch was aborted).",
                                                           "(127.0.0.4) Not upgraded (the batch was aborted).",
                                                           "1 completed, 0 failed, 2 not started"}));
    const json report = json::parse(fileText(folder() + "/report.json"));
    EXPECT_EQ(report["cameras"][0]["outcome"], "completed");
    EXPECT_EQ(report["cameras"][0]["detail"], nullptr);
    EXPECT_EQ(report["cameras"][1]["finalCode"], 0);
    EXPECT_EQ(report["cameras"][1]["statusWord"], "Standby");
    EXPECT_EQ(report["cameras"][1]["outcome"], "not-started");
    EXPECT_EQ(report["cameras"][1]["detail"], "not upgraded: the batch was aborted");
    EXPECT_EQ(report["cameras"][1]["started"], nullptr);
    EXPECT_TRUE(fleet_->requests("127.0.0.3").empty());
    EXPECT_TRUE(fleet_->requests("127.0.0.4").empty());
}

TEST_F(BatchCommandTest, AnAbortWhileTheNextCamerasInquiryIsInFlightNeverStartsIt)
{
    // The second camera's user inquiry is answered only long after the abort, while the first camera
    // still reboots.
    CameraSpec next = testCamera(3);
    next.userInquirySeconds = 200;
    startFleet({testCamera(2), next});
    write("password", "admin\n");
    write("targets.txt", "127.0.0.2\n127.0.0.3\n");

    const CliProcess batch(folder(), "targets.txt --user admin --password-file password --report report.json "
                                     "--time-scale 0.01");
    ASSERT_TRUE(waitForRequest("127.0.0.3", "inq=user"));
    batch.signal(SIGINT);
    const CliResult result = batch.wait();
    EXPECT_NE(result.status, 0) << result.out << result.err;
    {
        std::lock_guard lock(mutex_);
        EXPECT_EQ(uploads_, 1);
    }
    const auto requests = fleet_->requests("127.0.0.3");
    EXPECT_TRUE(std::none_of(requests.begin(), requests.end(),
                             [](const auto& r) { return r.path == "/command/versionup.cgi"; }));
    const json report = json::parse(fileText(folder() + "/report.json"));
    EXPECT_EQ(report["cameras"][0]["finalCode"], 9);
    EXPECT_EQ(report["cameras"][1]["started"], nullptr);
}

TEST_F(BatchCommandTest, The257thCameraIsLeftOut)
{
    startFleet({testCamera(2)});
    write("password", "admin\n");
    // 256 addresses where nothing answers, then the camera.
    std::string targets;
    for (int i = 0; i < 256; ++i)
        targets += "127.0." + std::to_string(1 + i / 200) + "." + std::to_string(1 + i % 200) + "\n";
    write("targets.txt", targets + "127.0.0.2\n");

    const CliResult result = run("targets.txt --user admin --password-file password --report report.json "
                                 "--parallel 16 --time-scale 0.01");
    EXPECT_NE(result.status, 0) << result.err;
    const json report = json::parse(fileText(folder() + "/report.json"));
    EXPECT_EQ(report["cameras"].size(), 256u);
    for (const json& camera : report["cameras"])
        EXPECT_NE(camera["address"], "127.0.0.2");
    EXPECT_TRUE(fleet_->requests("127.0.0.2").empty());
}

TEST_F(BatchCommandTest, ASecondSignalLeavesAtOnceNamingTheCamerasInTheMiddleOfAnUpgrade)
{
    CameraSpec never = testCamera(2);
    never.afterUpgrade = camsim::AfterUpgrade::NeverBack;
    startFleet({never, testCamera(3)});
    write("password", "admin\n");
    write("targets.txt", "127.0.0.2\n127.0.0.3\n");

    const CliProcess batch(folder(), "targets.txt --user admin --password-file password --retain --backup "
                                     "--report report.json --time-scale 0.01");
    ASSERT_TRUE(waitForUploads(1));
    batch.signal(SIGINT);
    batch.signal(SIGTERM);
    const CliResult result = batch.wait();
    EXPECT_EQ(result.status, 130) << result.out << result.err;
    EXPECT_NE(result.err.find("left while these cameras were in the middle of an upgrade:\n  001 127.0.0.2 ZKA-QM410 "),
              std::string::npos)
        << result.err;
    // The camera's settings may need restoring by hand: its saved file is named on the console and
    // in the report.
    const json report = json::parse(fileText(folder() + "/report.json"));
    EXPECT_EQ(report["cameras"][0]["outcome"], "abandoned");
    const json& saved = report["cameras"][0]["savedConfiguration"];
    ASSERT_TRUE(saved.is_string()) << report.dump();
    EXPECT_EQ(fileText(saved.get<std::string>()), fleet_->cameras()[0].configuration);
    EXPECT_NE(result.err.find(", configuration saved in " + saved.get<std::string>() + "\n"), std::string::npos)
        << result.err;
    // The camera that never comes back would hold a normal end for 20 inquiries.
    EXPECT_LT(result.elapsed, 10s);
}

} // namespace
} // namespace zka::test
