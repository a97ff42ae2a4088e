// "zka-upgrade-cli discover" as an operator runs it, against the simulated camera fleet with its
// discovery faults, inside the network sandbox.

#include "camsim/Fleet.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace zka {
namespace {

using namespace std::chrono_literals;
using camsim::CameraSpec;

struct RunResult {
    int status = -1;
    std::string output;
    std::chrono::steady_clock::duration elapsed{};
};

// Runs a shell command; the CLI's path is "$0" in it.
RunResult run(const std::string& command)
{
    RunResult result;
    const auto started = std::chrono::steady_clock::now();
    FILE* pipe = ::popen(("sh -c '" + command + "' '" + ZKA_CLI_PATH + "'").c_str(), "r");
    if (pipe == nullptr)
        return result;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        result.output.append(buffer, got);
    const int status = ::pclose(pipe);
    result.elapsed = std::chrono::steady_clock::now() - started;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

CameraSpec camera(const std::string& host, void (*adjust)(CameraSpec&) = nullptr)
{
    CameraSpec result;
    result.address = "127.0.0." + host;
    result.serial = "P" + host;
    result.mac = "08:00:46:10:00:" + host;
    if (adjust != nullptr)
        adjust(result);
    return result;
}

TEST(DiscoverCommand, ListsTheSupportedCamerasOnceAndSkipsFaultyReplies)
{
    camsim::Fleet fleet({camera("2"),
                         camera("3", [](CameraSpec& c) { c.dhcp = true; c.model = "ZKA-QM410E"; c.softVersion = "3.10"; }),
                         camera("4", [](CameraSpec& c) { c.webPort = 8080; }),
                         camera("5", [](CameraSpec& c) { c.webPort = 8081; c.reportsWebPort = false; }),
                         camera("6", [](CameraSpec& c) { c.oversizedDatagram = true; }),
                         camera("7", [](CameraSpec& c) { c.zeroBeforeModel = true; }),
                         camera("8", [](CameraSpec& c) { c.ackNak = true; c.discoveryRepeats = 3; }),
                         camera("9", [](CameraSpec& c) { c.model = "ZKA-QM999"; }),
                         camera("10", [](CameraSpec& c) { c.answersDiscovery = false; })},
                        0.01);
    std::string error;
    ASSERT_TRUE(fleet.start(error)) << error;

    const auto result = run("exec \"$0\" discover --time-scale 0.01");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.output, "08:00:46:10:00:2\t127.0.0.2\tZKA-QM410\tP2\t2.30\n"
                             "08:00:46:10:00:3\tDHCP\tZKA-QM410E\tP3\t3.10\n"
                             "08:00:46:10:00:4\t127.0.0.4:8080\tZKA-QM410\tP4\t2.30\n"
                             "08:00:46:10:00:5\t127.0.0.5\tZKA-QM410\tP5\t2.30\n"
                             "08:00:46:10:00:8\t127.0.0.8\tZKA-QM410\tP8\t2.30\n");
    EXPECT_EQ(fleet.enquiriesReceived(), 2);
    // 10 s at scale 0.01, plus the start of a process.
    EXPECT_GE(result.elapsed, 100ms);
    EXPECT_LT(result.elapsed, 3000ms);
}

TEST(DiscoverCommand, ControlCharactersOfACameraAreShownEscapedNotSentToTheTerminal)
{
    // Any host on the segment can answer: its texts must not act on the operator's terminal, and
    // a tab in a field must not shift the columns.
    camsim::Fleet fleet({camera("2", [](CameraSpec& c) {
        c.serial = "P\x1b]0;x\x07";
        c.softVersion = "2.30\t\r\n\x9b";
    })},
                        0.01);
    std::string error;
    ASSERT_TRUE(fleet.start(error)) << error;

    const auto result = run("exec \"$0\" discover --time-scale 0.01");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.output, "08:00:46:10:00:2\t127.0.0.2\tZKA-QM410\tP\\x1B]0;x\\x07\t2.30\\x09\\x0D\\x0A\\x9B\n");
}

TEST(DiscoverCommand, FailedEnquiriesAreReportedAndTheRunEndsNormally)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "a nested network namespace needs root";
    // A namespace of its own without the broadcast route: neither enquiry can go out.
    const auto result = run("exec unshare -n sh -c \"ip link set lo up && exec \\\"\\$0\\\" discover "
                            "--time-scale 0.01\" \"$0\"");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.output, "Error : sendto\nError : sendto\n");
    EXPECT_GE(result.elapsed, 100ms);
}

} // namespace
} // namespace zka
