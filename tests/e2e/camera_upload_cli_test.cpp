// zka-upgrade-cli backup against a simulated camera in the network sandbox.
#include "camsim/Fleet.h"
#include "support/ScopedEnv.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>

namespace zka {
namespace {

namespace fs = std::filesystem;

struct CliRun {
    int status = -1;
    std::string output;
};

CliRun runCli(const std::string& arguments)
{
    CliRun run;
    const std::string command = std::string(ZKA_CLI_PATH) + " " + arguments + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return run;
    char buffer[512];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        run.output.append(buffer, n);
    const int raw = ::pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

unsigned mode(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0u;
}

TEST(BackupCommandTest, SavesAUserOnlyFileUnderProgramFiles)
{
    char pattern[] = "/tmp/zka-backup-cli-XXXXXX";
    const std::string root = ::mkdtemp(pattern);
    const test::ScopedEnv programFiles("ProgramFiles", root.c_str());
    test::ScopedEnv password("ZKA_PASSWORD", "pass");

    camsim::CameraSpec sim;
    sim.address = "127.0.0.2";
    sim.adminUser = "root";
    sim.adminPassword = "pass";
    sim.configuration = "[camera]\nname=from-the-camera\n";
    camsim::Fleet fleet({sim}, 0.01);
    std::string error;
    ASSERT_TRUE(fleet.start(error)) << error;

    const CliRun saved = runCli("backup 127.0.0.2 --serial 'AB/12' --user root");
    ASSERT_EQ(saved.status, 0) << saved.output;
    const std::string path = saved.output.substr(0, saved.output.find('\n'));
    EXPECT_EQ(path.rfind(root + "/VELM/ZKA FirmwareUpgrade/Configurations/", 0), 0u) << path;
    EXPECT_EQ(fs::path(path).filename(), "zka-qm410.AB_12.cfg");
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), sim.configuration);
    EXPECT_EQ(mode(path), 0600u);
    EXPECT_EQ(mode(fs::path(path).parent_path().string()), 0700u);

    // A refused login: the reason and exit status 1.
    password.set("wrong");
    const CliRun refused = runCli("backup 127.0.0.2 --serial S1 --user root");
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.output.find("401"), std::string::npos) << refused.output;
    // A usage error.
    EXPECT_EQ(runCli("backup 127.0.0.2 --user root").status, 64);

    fleet.stop();
    fs::remove_all(root);
}

} // namespace
} // namespace zka
