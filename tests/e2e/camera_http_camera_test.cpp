// Inquiries of an UpgradeJob's client and the "inquire" command against the simulated cameras,
// through real sockets in the network sandbox: what the operator is told, what a batch row gets,
// and what the camera received.
#include "camera/CameraClient.h"
#include "upgrade/TargetCheck.h"
#include "upgrade/UpgradeJob.h"
#include "upgrade/VerdictWords.h"
#include "http/Credential.h"
#include "camera/InquiryReply.h"
#include "http/QueryRequest.h"
#include "camera_http_host.h"
#include "camsim/Fleet.h"

#include <gtest/gtest.h>

#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

namespace zka {
namespace {

using namespace std::chrono_literals;
using test::CameraTestHost;

constexpr double kScale = 0.01;
constexpr auto kSlack = 400ms; // loose: sanitizer builds on a busy machine

camsim::CameraSpec cameraAt(const std::string& address)
{
    camsim::CameraSpec camera;
    camera.address = address;
    camera.serial = "S" + address.substr(address.rfind('.') + 1);
    camera.mac = "08:00:46:00:00:" + address.substr(address.rfind('.') + 1);
    return camera;
}

enum Camera { Plain, WithViewer, OtherModel, Emergency, Oversized, Slow, Port8080, Hostile, Count };

std::vector<camsim::CameraSpec> fleetCameras()
{
    std::vector<camsim::CameraSpec> cameras;
    for (int i = 0; i < Count; ++i)
        cameras.push_back(cameraAt("127.0.0." + std::to_string(20 + i)));
    cameras[WithViewer].userName = "viewer";
    cameras[WithViewer].userPassword = "look";
    cameras[OtherModel].model = "ZKA-QM999";
    cameras[Emergency].softVersion = "emergency";
    cameras[Oversized].oversizedInquiry = true;
    cameras[Slow].slowAnswerSeconds = 250; // 2.5 s real: longer than any 20000 ms inquiry time-out here
    cameras[Port8080].webPort = 8080;
    cameras[Hostile].serial = "S27\x1b]0;owned\x07\x1b[2J";
    return cameras;
}

std::string addressOf(const camsim::CameraSpec& camera)
{
    return camera.webPort == 80 ? camera.address : camera.address + ":" + std::to_string(camera.webPort);
}

// Each case has a fleet of its own: what one case asked of a camera never shows in another's
// record of requests, whatever order the cases run in.
class CameraInquiryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fleet = std::make_unique<camsim::Fleet>(fleetCameras(), kScale);
        std::string error;
        ASSERT_TRUE(fleet->start(error)) << error;
    }
    void TearDown() override { fleet.reset(); }

    std::unique_ptr<UpgradeJob> jobFor(Camera camera, const std::string& user = "admin",
                                           const std::string& password = "admin")
    {
        return std::make_unique<UpgradeJob>(env.host(), addressOf(fleet->cameras()[camera]),
                                            *makeCredential(user, password), env.models);
    }
    // The verdict of one reply, as the target check gives it for this job's login.
    TargetVerdict systemVerdict(const std::string& reply) const
    {
        return TargetCheck::judgeSystem(reply, CameraIdentity::fromSystemReply(reply, env.models));
    }
    static TargetVerdict userVerdict(const UpgradeJob& job, const std::string& reply)
    {
        return TargetCheck(job.supportedModels(), job.credential()).judgeUser(reply);
    }
    std::string warning(TargetVerdict verdict) const { return refusalWarning(verdict, env.texts, "ZKA-QM410"); }
    std::vector<camsim::RecordedRequest> received(Camera camera) const { return fleet->requests(fleet->cameras()[camera].address); }

    std::unique_ptr<camsim::Fleet> fleet;
    CameraTestHost env{kScale};
};

TEST_F(CameraInquiryTest, ManualCheckOfAnAdministratorsCamera)
{
    auto job = jobFor(Plain);
    const std::string system = job->client().query("inq=system", 20000ms).text;
    ASSERT_TRUE(job->checkSystemReply(system)) << system;
    const CameraIdentity info = CameraIdentity::fromSystemReply(system, env.models);
    EXPECT_EQ(info.model, "ZKA-QM410");
    EXPECT_EQ(info.versionText(), "2.30");
    EXPECT_EQ(info.serial, "S20");
    EXPECT_EQ(readDocType(system), "");
    EXPECT_EQ(job->currentVersion(), "ver2.30");
    EXPECT_FALSE(job->emergency());
    EXPECT_EQ(userVerdict(*job, job->client().query("inq=user", 20000ms).text), TargetVerdict::Accepted);
    EXPECT_EQ(env.prompter.count(), 0u);

    const auto requests = received(Plain);
    ASSERT_EQ(requests.size(), 2u);
    const auto& first = requests[0];
    EXPECT_EQ(first.method, "POST");
    EXPECT_EQ(first.path, "/command/inquiry.cgi");
    EXPECT_EQ(first.body, "inq=system");
    EXPECT_TRUE(first.authorized);
    const std::vector<std::pair<std::string, std::string>> headers{
        {"Host", "127.0.0.20"},
        {"User-Agent", "ZKA Upgrade Tool"},
        {"Authorization", "Basic YWRtaW46YWRtaW4="},
        {"Content-Length", "10"},
    };
    EXPECT_EQ(first.headers, headers);
    EXPECT_EQ(requests[1].body, "inq=user");
}

TEST_F(CameraInquiryTest, RefusedAndInsufficientLogins)
{
    auto wrong = jobFor(Plain, "admin", "wrong");
    EXPECT_EQ(wrong->client().query("inq=user", 20000ms).text, "401 Unauthorized");
    // A refused login still gets the model check's answer on a system inquiry: none.
    EXPECT_EQ(wrong->client().query("inq=system", 20000ms).text, "401 Unauthorized");
    const TargetVerdict refused = userVerdict(*wrong, "401 Unauthorized");

    auto viewer = jobFor(WithViewer, "viewer", "look");
    const std::string user = viewer->client().query("inq=user", 20000ms).text;
    EXPECT_NE(user.find("Administrator="), std::string::npos);
    const TargetVerdict notAdministrator = userVerdict(*viewer, user);
    EXPECT_EQ((std::vector<std::string>{warning(refused), warning(notAdministrator)}),
              (std::vector<std::string>{"Please enter correct user name and password for the administrator.",
                                        "Level 4 users other than Administrator cannot run the program."}));

    // In the batch the same refusals are the row's login error.
    auto batchWrong = jobFor(Plain, "admin", "wrong");
    EXPECT_EQ(rowRefusal(userVerdict(*batchWrong, batchWrong->client().query("inq=user", 20000ms).text)).code, 12);
    auto batchViewer = jobFor(WithViewer, "viewer", "look");
    EXPECT_EQ(rowRefusal(userVerdict(*batchViewer, batchViewer->client().query("inq=user", 20000ms).text)).code, 12);
    EXPECT_EQ(env.prompter.count(), 0u);
}

TEST_F(CameraInquiryTest, UnsupportedModelAndEmergencyFirmware)
{
    auto other = jobFor(OtherModel);
    const std::string otherReply = other->client().query("inq=system", 20000ms).text;
    EXPECT_FALSE(other->checkSystemReply(otherReply));
    EXPECT_EQ(CameraIdentity::fromSystemReply(otherReply, env.models).model, "ZKA-QM999");
    EXPECT_EQ(warning(systemVerdict(otherReply)),
              "This program works for the ZKA-QM410. Please select the correct camera.");

    auto emergency = jobFor(Emergency);
    const std::string emergencyReply = emergency->client().query("inq=system", 20000ms).text;
    EXPECT_TRUE(emergency->checkSystemReply(emergencyReply));
    EXPECT_TRUE(emergency->emergency());
    EXPECT_EQ(emergency->currentVersion(), "unknown");
    EXPECT_EQ(CameraIdentity::fromSystemReply(emergencyReply, env.models).versionText(), "unknown");
}

TEST_F(CameraInquiryTest, OversizedReplyIsCutAt5120Bytes)
{
    auto job = jobFor(Oversized);
    const std::string reply = job->client().query("inq=system", 20000ms).text;
    EXPECT_EQ(reply.size(), kReplyCapacity);
    EXPECT_EQ(reply.rfind("ModelName=ZKA-QM410&Serial=S24&SoftVersion=2.30", 0), 0u);
    EXPECT_TRUE(job->checkSystemReply(reply));
}

TEST_F(CameraInquiryTest, SlowCameraIsCutByTheTimeOut)
{
    // A 20000 ms inquiry of the slow camera on a host at `scale`: no reply, after `least` to `most`.
    const auto expectCutAfter = [this](double scale, std::chrono::milliseconds least, std::chrono::milliseconds most,
                                       bool answeredGivenLonger) {
        CameraTestHost host(scale);
        UpgradeJob job(host.host(), addressOf(fleet->cameras()[Slow]), *makeCredential("admin", "admin"),
                           host.models);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(job.client().query("inq=system", 20000ms).text, "");
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_GE(took, least) << scale;
        EXPECT_LE(took, most) << scale;
        // Given longer than the camera needs, the same inquiry is answered.
        if (answeredGivenLonger) {
            EXPECT_TRUE(job.checkSystemReply(job.client().query("inq=system", 60000ms).text));
        }
    };
    // At 0.075 the time-out lasts 1.5 s, above the second that no time-out goes under: the time-out
    // itself is measured, within a quarter.
    expectCutAfter(0.075, 1125ms, 1875ms, true);
    // Scaled down to 200 ms, it still waits a second of real time: a camera slowed by a busy machine
    // is not taken for one that does not answer.
    expectCutAfter(0.01, 1000ms, 1250ms, false);
}

TEST_F(CameraInquiryTest, PolledNetworkInquiryOnPort8080)
{
    CameraClient client(env.clock, addressOf(fleet->cameras()[Port8080]), *makeCredential("admin", "admin"));
    client.startQuery("inq=network");
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!client.queryFinished() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(5ms);
    ASSERT_TRUE(client.queryFinished());
    const std::string mac = CameraIdentity::fromSystemReply(client.polledReply().text, {}).mac;
    EXPECT_EQ(mac, "08-00-46-00-00-26");
    const auto requests = received(Port8080);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].headers.front(), (std::pair<std::string, std::string>{"Host", "127.0.0.26:8080"}));
    EXPECT_EQ(requests[0].body, "inq=network");
}

// ---- the command line ----

struct RunResult {
    int status = -1;
    std::string output;
};

RunResult runCli(const std::string& arguments, const std::string& environment = "ZKA_PASSWORD=admin")
{
    RunResult result;
    const std::string command = "env -u ZKA_PASSWORD " + environment + " '" + ZKA_CLI_PATH + "' inquire " + arguments + " 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return result;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.output.append(buffer, got);
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// Runs the inquire command with its standard output on a pseudo-terminal.
RunResult runOnTerminal(const std::string& arguments)
{
    RunResult result;
    int terminal = -1;
    const pid_t child = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    if (child < 0)
        return result;
    if (child == 0) {
        ::setenv("ZKA_PASSWORD", "admin", 1);
        const std::string command = "exec '" + std::string(ZKA_CLI_PATH) + "' inquire " + arguments;
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    char buffer[4096];
    for (ssize_t got; (got = ::read(terminal, buffer, sizeof buffer)) > 0;)
        result.output.append(buffer, static_cast<std::size_t>(got));
    ::close(terminal);
    int status = 0;
    ::waitpid(child, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

TEST_F(CameraInquiryTest, InquireCommandShowsControlCharactersEscapedOnATerminal)
{
    const auto shown = runOnTerminal("127.0.0.27 system --user admin");
    EXPECT_EQ(shown.status, 0);
    EXPECT_NE(shown.output.find("&Serial=S27\\x1B]0;owned\\x07\\x1B[2J&"), std::string::npos) << shown.output;
    EXPECT_EQ(shown.output.find('\x1b'), std::string::npos);
    // Into a pipe or a file the reply goes as it came.
    const auto piped = runCli("127.0.0.27 system --user admin");
    EXPECT_NE(piped.output.find("&Serial=S27\x1b]0;owned\x07\x1b[2J&"), std::string::npos);
}

TEST_F(CameraInquiryTest, InquireCommandExitStatuses)
{
    const auto system = runCli("127.0.0.20 system --user admin");
    EXPECT_EQ(system.status, 0);
    EXPECT_EQ(system.output.rfind("ModelName=ZKA-QM410&Serial=S20&SoftVersion=2.30&", 0), 0u) << system.output;

    // Options may come first; the password from the first line of a file.
    const std::string passwordFile = ::testing::TempDir() + "camera_http_password." + std::to_string(::getpid());
    std::ofstream(passwordFile) << "admin\r\nsecond line\n";
    const auto network = runCli("--user admin --password-file " + passwordFile + " 127.0.0.26:8080 network", "");
    EXPECT_EQ(network.status, 0);
    EXPECT_EQ(network.output.rfind("MacAddress=08:00:46:00:00:26&", 0), 0u) << network.output;
    std::remove(passwordFile.c_str());

    EXPECT_EQ(runCli("127.0.0.20 user --user admin", "ZKA_PASSWORD=wrong").output, "401 Unauthorized\n");
    EXPECT_EQ(runCli("127.0.0.20 user --user admin", "ZKA_PASSWORD=wrong").status, 2);
    // The slow camera outlasts the 20000 ms time-out at the same scale as the simulator.
    EXPECT_EQ(runCli("127.0.0.25 system --user admin --time-scale 0.01").status, 3);
    EXPECT_EQ(runCli("127.0.0.99 system --user admin").status, 3);

    EXPECT_EQ(runCli("127.0.0.20 firmware --user admin").status, 64);
    EXPECT_EQ(runCli("127.0.0.20 system").status, 64);
    EXPECT_EQ(runCli("127.0.0.20 system --user admin", "").status, 64);
    EXPECT_EQ(runCli("127.0.0.20 system --user admin --password admin").status, 64);
    EXPECT_EQ(runCli("127.0.0.20:0 system --user admin").status, 64);
    EXPECT_EQ(runCli("127.0.0.20/x system --user admin").status, 64);
    const auto longLogin = runCli("127.0.0.20 system --user " + std::string(30, 'u'), "ZKA_PASSWORD=" + std::string(27, 'p'));
    EXPECT_EQ(longLogin.status, 64);
    // 57 bytes exactly still fit.
    EXPECT_EQ(runCli("127.0.0.20 system --user " + std::string(29, 'u'), "ZKA_PASSWORD=" + std::string(27, 'p')).status, 2);
    EXPECT_EQ(received(Plain).back().headers[2].second, "Basic " + *makeCredential(std::string(29, 'u'), std::string(27, 'p')));
}

} // namespace
} // namespace zka
