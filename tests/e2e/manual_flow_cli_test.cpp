// zka-upgrade-cli upgrade against simulated cameras in the network sandbox: what the terminal
// shows, the exit status and the backup files left under ProgramFiles.
#include "procedure_rig.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <sys/wait.h>

namespace zka::test {
namespace {

using camsim::AfterUpgrade;

struct CliRun {
    int status = -1;
    std::vector<std::string> lines;

    bool has(const std::string& line) const { return std::find(lines.begin(), lines.end(), line) != lines.end(); }
    // The first line that starts with prefix, without the prefix; empty when none does.
    std::string after(const std::string& prefix) const
    {
        for (const auto& line : lines) {
            if (line.rfind(prefix, 0) == 0)
                return line.substr(prefix.size());
        }
        return {};
    }
    std::size_t indexOf(const std::string& line) const
    {
        return static_cast<std::size_t>(std::find(lines.begin(), lines.end(), line) - lines.begin());
    }
    std::string text() const
    {
        std::string all;
        for (const auto& line : lines)
            all += line + "\n";
        return all;
    }
};

CliRun runCli(const std::string& arguments)
{
    CliRun run;
    const std::string command = std::string(ZKA_CLI_PATH) + " " + arguments + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return run;
    std::string output;
    char buffer[512];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        output.append(buffer, n);
    const int raw = ::pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);)
        run.lines.push_back(line);
    return run;
}

class UpgradeCommandTest : public testing::Test {
protected:
    void SetUp() override
    {
        auto plain = testCamera(2);
        auto refused = testCamera(3);
        refused.restoreRefusals = 4;
        auto old = testCamera(4);
        old.afterUpgrade = AfterUpgrade::OldVersion;
        auto escaping = testCamera(7);
        escaping.softVersion = "2.30\x1b]0;owned\x07\x1b[2J";
        fleet_ = std::make_unique<camsim::Fleet>(
            std::vector<camsim::CameraSpec>{plain, refused, old, testCamera(5), testCamera(6), escaping}, 0.01);
        std::string error;
        ASSERT_TRUE(fleet_->start(error)) << error;
        ::setenv("ZKA_PASSWORD", "admin", 1);
    }
    void TearDown() override
    {
        fleet_->stop();
        ::unsetenv("ZKA_PASSWORD");
    }

    BackupRoot root_;
    std::unique_ptr<camsim::Fleet> fleet_;
};

TEST_F(UpgradeCommandTest, UpgradesAndPrintsStagesProgressMessagesAndTheResult)
{
    const CliRun run = runCli("upgrade 127.0.0.2 --user admin --time-scale 0.01");
    ASSERT_EQ(run.status, 0) << run.text();
    EXPECT_EQ(run.lines.back(), "Completed");
    EXPECT_TRUE(run.has("target 127.0.0.2: current version ver2.30, new version ver2.45")) << run.text();
    EXPECT_TRUE(run.has("Information: Proceed to the firmware upgrade?"));
    EXPECT_TRUE(run.has("status: Version up is in progress. Do not turn off the power."));
    EXPECT_LT(run.indexOf("stage: Uploading"), run.indexOf("stage: Overwriting"));
    EXPECT_LT(run.indexOf("stage: Overwriting"), run.lines.size());
    EXPECT_TRUE(run.has("result 127.0.0.2: Firmware program was successfully updated to the camera.   "
                        "Target camera version is \"2.45\"."))
        << run.text();
    const std::regex progress(R"(progress \d{1,3}\.\d\d %)");
    EXPECT_TRUE(std::any_of(run.lines.begin(), run.lines.end(),
                            [&](const std::string& line) { return std::regex_match(line, progress); }));
    // Without --retain nothing is saved.
    EXPECT_TRUE(root_.files().empty());
    EXPECT_EQ(fleet_->reportedVersion("127.0.0.2"), "2.45");

    // A version that holds escape sequences is printed escaped, never raw.
    const CliRun escaped = runCli("upgrade 127.0.0.7 --user admin --time-scale 0.01");
    EXPECT_TRUE(escaped.has("target 127.0.0.7: current version ver2.30\\x1B]0;owned\\x07\\x1B[2J, new version ver2.45"))
        << escaped.text();
    EXPECT_EQ(escaped.text().find('\x1b'), std::string::npos);
}

TEST_F(UpgradeCommandTest, RetainRestoresTheSettingsAndBackupKeepsTheFile)
{
    const CliRun retained = runCli("upgrade 127.0.0.5 --user admin --retain --time-scale 0.01");
    ASSERT_EQ(retained.status, 0) << retained.text();
    const std::string saved = retained.after("configuration saved to ");
    EXPECT_EQ(saved.rfind(root_.path().string() + "/VELM/ZKA FirmwareUpgrade/Configurations/", 0), 0u) << saved;
    EXPECT_FALSE(std::filesystem::exists(saved));
    EXPECT_TRUE(retained.has("the saved configuration was restored and its file deleted"));
    EXPECT_TRUE(retained.has("stage: Loading config file"));
    EXPECT_TRUE(retained.has("stage: Reconfiguring"));
    EXPECT_EQ(retained.lines.back(), "Completed");

    // A password file instead of the environment.
    const std::string passwordFile = (root_.path() / "password").string();
    std::ofstream(passwordFile) << "admin\n";
    ::unsetenv("ZKA_PASSWORD");
    const CliRun kept =
        runCli("upgrade 127.0.0.6 --user admin --password-file '" + passwordFile + "' --retain --backup --time-scale 0.01");
    ASSERT_EQ(kept.status, 0) << kept.text();
    // Written with the default umask, the file can be read by others: used, with a warning.
    EXPECT_TRUE(kept.has("zka-upgrade-cli upgrade: warning: other users can read the password file \"" + passwordFile +
                         "\"; make it readable by you only (chmod 600)"))
        << kept.text();
    const std::string backup = kept.after("backup file: ");
    ASSERT_FALSE(backup.empty()) << kept.text();
    EXPECT_EQ(std::filesystem::path(backup).filename(), "zka-qm410.S000006.cfg");
    std::ifstream in(backup, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), fleet_->cameras()[4].configuration);
}

TEST_F(UpgradeCommandTest, FailuresEndWithTheirMessageAndExitStatusOne)
{
    // Four refused restores: the message, the file kept, and not a success.
    const CliRun refused = runCli("upgrade 127.0.0.3 --user admin --retain --time-scale 0.01");
    EXPECT_EQ(refused.status, 1) << refused.text();
    EXPECT_TRUE(refused.has("Information: Fault to upload configuration!")) << refused.text();
    const std::string kept = refused.after("backup file: ");
    EXPECT_TRUE(std::filesystem::exists(kept)) << refused.text();
    EXPECT_EQ(refused.lines.back().rfind("Failed: Fault to upload configuration!", 0), 0u);

    const CliRun old = runCli("upgrade 127.0.0.4 --user admin --time-scale 0.01");
    EXPECT_EQ(old.status, 1);
    EXPECT_TRUE(old.has("Information: Version up error.")) << old.text();
    EXPECT_EQ(old.lines.back(), "Failed: Version up error.");

    const CliRun wrongLogin = runCli("upgrade 127.0.0.2 --user someone --time-scale 0.01");
    EXPECT_EQ(wrongLogin.status, 1);
    EXPECT_TRUE(wrongLogin.has("Information: Please enter correct user name and password for the administrator."))
        << wrongLogin.text();
    EXPECT_EQ(wrongLogin.lines.back(), "Failed: Please enter correct user name and password for the administrator.");
    for (const auto& request : fleet_->requests("127.0.0.2"))
        EXPECT_NE(request.path, "/command/versionup.cgi");
    const CliRun nobody = runCli("upgrade 127.0.0.9 --user admin --time-scale 0.01");
    EXPECT_EQ(nobody.status, 1);
    EXPECT_EQ(nobody.lines.back(), "Failed: Cannot find the camera. (The camera may be turned off.)") << nobody.text();

    // Usage errors.
    EXPECT_EQ(runCli("upgrade 300.0.0.2 --user admin").status, 64);
    EXPECT_EQ(runCli("upgrade 127.0.0.2:81 --user admin").status, 64);
    EXPECT_EQ(runCli("upgrade 127.0.0.2").status, 64);
    // A password file without an end is refused after its first 4 KiB.
    const CliRun endless = runCli("upgrade 127.0.0.2 --user admin --password-file /dev/zero");
    EXPECT_EQ(endless.status, 64);
    EXPECT_TRUE(endless.has("zka-upgrade-cli upgrade: the password file \"/dev/zero\" is longer than 4096 bytes"))
        << endless.text();
    ::unsetenv("ZKA_PASSWORD");
    EXPECT_EQ(runCli("upgrade 127.0.0.2 --user admin").status, 64);
}

} // namespace
} // namespace zka::test
