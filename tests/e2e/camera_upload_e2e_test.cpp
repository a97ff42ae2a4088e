// The firmware upload, the configuration backup and the restore, through real sockets to simulated
// cameras in the network sandbox, at a time scale of 0.01 (60 s last 0.6 s).
#include "camera/CameraContext.h"
#include "camera/ConfigBackup.h"
#include "http/MultipartBody.h"
#include "camera_upload_canned_server.h"
#include "camsim/Fleet.h"
#include "resources/ResourceStore.h"
#include "resources/ResourceText.h"
#include "runtime/EventLoop.h"
#include "support/RecordingEvents.h"
#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <thread>

namespace zka {
namespace {

namespace fs = std::filesystem;
using camsim::CameraSpec;
using camsim::Fleet;
using camsim::RecordedRequest;
using namespace std::chrono_literals;

constexpr double kScale = 0.01;
const std::string kAdminCredential = "YWRtaW46YWRtaW4="; // admin:admin
const std::string kRootCredential = "cm9vdDpwYXNz";      // root:pass
constexpr std::size_t kPackageSize = 10014720;

using test::RecordingEvents;

bool eventually(const std::function<bool()>& done, std::chrono::milliseconds limit = 10s)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

std::string headerValue(const RecordedRequest& request, const std::string& name)
{
    for (const auto& [key, value] : request.headers)
        if (key == name)
            return value;
    return "<missing>";
}

std::size_t headerIndex(const RecordedRequest& request, const std::string& name)
{
    for (std::size_t i = 0; i < request.headers.size(); ++i)
        if (request.headers[i].first == name)
            return i;
    return request.headers.size();
}

std::span<const std::uint8_t> bytesOf(const std::string& text)
{
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

class UploadE2eTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        loopThread_ = std::jthread([this] { loop.run(); });
        char pattern[] = "/tmp/zka-upload-e2e-XXXXXX";
        programFiles_ = ::mkdtemp(pattern);
        ::setenv("ProgramFiles", programFiles_.c_str(), 1);
    }
    void TearDown() override
    {
        fleet.reset();
        loop.quit();
        fs::remove_all(programFiles_);
    }

    void startFleet(std::vector<CameraSpec> cameras)
    {
        fleet = std::make_unique<Fleet>(std::move(cameras), kScale);
        std::string error;
        ASSERT_TRUE(fleet->start(error)) << error;
    }
    static CameraSpec camera(const std::string& address = "127.0.0.2")
    {
        CameraSpec sim;
        sim.address = address;
        sim.stepSeconds = 0.25;
        sim.rebootSeconds = 1;
        return sim;
    }
    std::unique_ptr<CameraContext> context(const std::string& address = "127.0.0.2",
                                           const std::string& credential = kAdminCredential)
    {
        return std::make_unique<CameraContext>(CameraHost{clock, loop, events, prompter, texts}, address, credential,
                                               models);
    }
    std::vector<RecordedRequest> requestsTo(const std::string& path, const std::string& address = "127.0.0.2") const
    {
        std::vector<RecordedRequest> found;
        for (auto& request : fleet->requests(address))
            if (request.path == path)
                found.push_back(request);
        return found;
    }
    // Follows the camera's answer on a thread of its own, as the procedure does; done once it ended.
    static std::jthread readInBackground(CameraContext& ctx, std::atomic<bool>& done)
    {
        return std::jthread([&ctx, &done](std::stop_token stop) {
            ctx.readUploadAnswer(stop);
            done = true;
        });
    }
    static std::span<const std::uint8_t> package()
    {
        const auto bytes = embeddedResources().find(ResourceKind::Bin, 143);
        return bytes ? *bytes : std::span<const std::uint8_t>();
    }

    SystemClock clock{kScale};
    std::atomic<int> ticks{0};
    EventLoop loop{clock, [this](TimerId) { ticks.fetch_add(1); }};
    RecordingEvents events;
    test::ScriptedPrompter prompter;
    ResourceText texts{embeddedResources(), prompter};
    SupportedModels models{"ZKA-QM410"};
    std::unique_ptr<Fleet> fleet;
    std::string programFiles_;
    std::jthread loopThread_;
};

TEST_F(UploadE2eTest, PackageArrivesIntactAndProgressFollowsChunksThenSteps)
{
    ASSERT_EQ(package().size(), kPackageSize);
    startFleet({camera()});
    auto ctx = context();
    std::atomic<int> row{0};
    ctx->setListRow(&row);
    ctx->setFirmware(package(), "ver2.45");
    EXPECT_EQ(ctx->targetVersion(), "ver2.45");

    EXPECT_EQ(ctx->uploadFirmware(), 0);
    EXPECT_EQ(ctx->errorCode(), 4);
    EXPECT_EQ(row.load(), 6860); // one step per 1460-byte chunk
    EXPECT_FALSE(loop.isRunning(ctx->tickTimer()));

    ctx->readUploadAnswer();
    EXPECT_EQ(ctx->replyResult(), 1);
    // (0) announces 40 steps at 6860: 63 per step; step 40 sets 6860 + 40 * 63.
    EXPECT_EQ(ctx->emergencyStep(), 63);
    EXPECT_EQ(row.load(), 9380);
    EXPECT_FALSE(loop.isRunning(ctx->tickTimer()));
    ctx->closeUpload();

    const auto uploads = requestsTo("/command/versionup.cgi");
    ASSERT_EQ(uploads.size(), 1u);
    const RecordedRequest& upload = uploads.front();
    EXPECT_EQ(upload.uploadVerdict, "ok");
    EXPECT_EQ(upload.method, "POST");
    EXPECT_EQ(upload.bodyLength, 162u + kPackageSize + 47u);
    EXPECT_TRUE(upload.authorized);
    // The boundary of the header is the one of the body's delimiter lines.
    const std::string contentType = headerValue(upload, "Content-Type");
    const std::string boundary = contentType.substr(contentType.find("boundary=") + 9);
    EXPECT_EQ(contentType, "multipart/form-data; boundary=" + boundary);
    EXPECT_EQ(boundary.substr(0, 29), "---------------------------7d");
    EXPECT_EQ(boundary.size(), 39u);
    EXPECT_EQ(upload.uploadHead, MultipartBody(boundary, "setting_file", "upgrade.bin", 0).head());
    EXPECT_EQ(upload.uploadTail, "\r\n" + boundary + "--\r\n\r\n");
    EXPECT_EQ(headerValue(upload, "Accept"),
              "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
              "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*");
    EXPECT_EQ(headerValue(upload, "User-Agent"), "ZKA Upgrade Tool");
    EXPECT_EQ(headerValue(upload, "Content-Length"), std::to_string(162 + kPackageSize + 47));
    EXPECT_EQ(headerValue(upload, "Authorization"), "Basic " + kAdminCredential);
    const std::vector<std::string> order{"Content-Type",  "Accept-Encoding", "Connection",   "Proxy-Connection",
                                         "Cache-Control", "Content-Length",  "Authorization"};
    for (std::size_t i = 1; i < order.size(); ++i)
        EXPECT_LT(headerIndex(upload, order[i - 1]), headerIndex(upload, order[i])) << order[i];
    EXPECT_EQ(headerValue(upload, "Accept-Encoding"), "gzip, deflate");
    EXPECT_EQ(headerValue(upload, "Proxy-Connection"), "Keep-Alive");
    EXPECT_EQ(headerValue(upload, "Cache-Control"), "no-cache");
}

TEST_F(UploadE2eTest, ConnectionDroppedMidBodyIsASendFailureReportedPerMode)
{
    CameraSpec sim = camera();
    sim.dropDuringUpload = true;
    startFleet({sim});
    auto ctx = context();
    std::atomic<int> row{0};
    ctx->setListRow(&row);
    ctx->setFirmware(package(), "ver2.45");

    EXPECT_EQ(ctx->uploadFirmware(), -1);
    EXPECT_NE(ctx->errorCode(), 4); // the body never went out whole
    EXPECT_GT(row.load(), 0);
    EXPECT_LT(row.load(), 6860);
    EXPECT_TRUE(eventually([&] {
        const auto uploads = requestsTo("/command/versionup.cgi");
        return !uploads.empty() && uploads.front().uploadVerdict.find("dropped") != std::string::npos;
    }));

    // Batch row: status 10, no message. Manual: the network-error message, back to the target page.
    ctx->reportUploadFailure(true);
    EXPECT_EQ(ctx->errorCode(), 10);
    EXPECT_EQ(prompter.count(), 0u);
    ctx->setListRow(nullptr);
    ctx->reportUploadFailure(true);
    ASSERT_EQ(prompter.count(), 1u);
    const Message shown = prompter.messages().front();
    EXPECT_EQ(shown.text, texts(225));
    EXPECT_NE(shown.text.find("Network error occurred."), std::string::npos);
    EXPECT_EQ(shown.caption, texts(203));
    EXPECT_EQ(shown.icon, MessageIcon::Error);
    ctx->reportUploadFailure(false);
    const std::vector<std::pair<int, int>> expected{{1, 3}, {0, 1}};
    EXPECT_EQ(events.posted(), expected);
}

TEST_F(UploadE2eTest, NoAnswerWithinSixtySecondsIsAnIncompleteRequest)
{
    CameraSpec sim = camera();
    sim.slowAnswerSeconds = 150;
    startFleet({sim});
    auto ctx = context();
    ctx->setFirmware(package(), "ver2.45");
    // The camera would answer after 150 s; the 60 s receive time-out ends the wait first.
    EXPECT_EQ(ctx->uploadFirmware(), -2);
    EXPECT_EQ(ctx->errorCode(), 4); // the body was sent
    EXPECT_GE(ticks.load(), 20);    // the tick timer ran while the answer was awaited
    EXPECT_FALSE(loop.isRunning(ctx->tickTimer()));
}

TEST_F(UploadE2eTest, AMinuteOfSilenceInTheAnswerIsWaitedOut)
{
    // The camera flashes for 70 s between its reports: longer than the 60 s limit on the response
    // headers, well within the procedure's 180 s for the whole answer.
    CameraSpec sim = camera();
    sim.upgradeSteps = 2;
    sim.stepSeconds = 70;
    startFleet({sim});
    auto ctx = context();
    std::atomic<int> row{0};
    ctx->setListRow(&row);
    ctx->setFirmware(package(), "ver2.45");
    ASSERT_EQ(ctx->uploadFirmware(), 0);

    std::atomic<bool> readerDone{false};
    std::jthread reader = readInBackground(*ctx, readerDone);
    // 140 s of steps: 1.4 s here; the bound stands in for the procedure's 180 s.
    EXPECT_TRUE(eventually([&] { return readerDone.load(); }, 1800ms)) << "the answer was lost";
    reader.request_stop();
    reader.join();
    ctx->closeUpload();
    EXPECT_EQ(ctx->replyResult(), 1);
    EXPECT_EQ(row.load(), 6860 + 2 * ((9400 - 6860) / 2));
}

TEST_F(UploadE2eTest, ACameraThatStopsReadingIsASendFailureAfterSixtySeconds)
{
    CameraSpec sim = camera();
    sim.stallDuringUpload = true;
    startFleet({sim});
    auto ctx = context();
    std::atomic<int> bar{0};
    ctx->setProgressControl(&bar);
    ctx->setFirmware(package(), "ver2.45");

    std::atomic<int> result{1};
    const auto start = std::chrono::steady_clock::now();
    std::jthread upload([&](std::stop_token stop) { result = ctx->uploadFirmware(stop); });
    // 60 s without a byte going out: 0.6 s here, plus the time the first half takes.
    EXPECT_TRUE(eventually([&] { return result.load() != 1; }, 5s)) << "the upload hangs";
    upload.request_stop();
    upload.join();
    EXPECT_GE(std::chrono::steady_clock::now() - start, 600ms);
    EXPECT_EQ(result.load(), -1); // reported as the network error
    EXPECT_NE(ctx->errorCode(), 4);
    EXPECT_GT(bar.load(), 6860 / 2 - 100);
    EXPECT_LT(bar.load(), 6860);
    ASSERT_TRUE(eventually([&] {
        const auto uploads = requestsTo("/command/versionup.cgi");
        return !uploads.empty() && !uploads.front().uploadVerdict.empty();
    }));
    EXPECT_EQ(requestsTo("/command/versionup.cgi").front().uploadVerdict.rfind("stalled by the camera", 0), 0u);
}

TEST_F(UploadE2eTest, ACameraThatNeverAcceptsTheConnectionIsGivenUpAfterSixtySeconds)
{
    // A listening socket whose only place in its queue is taken: the next connection attempt is
    // neither accepted nor refused.
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int occupant = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(0x7F000003); // 127.0.0.3
    address.sin_port = htons(8090);
    ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 0), 0);
    ASSERT_EQ(::connect(occupant, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);

    auto ctx = context("127.0.0.3:8090");
    ctx->setFirmware(package(), "ver2.45");
    const std::string configuration = "[camera]\nname=restored\n";
    std::atomic<int> uploaded{1};
    std::atomic<int> restored{1};
    std::jthread attempts([&](std::stop_token stop) {
        uploaded = ctx->uploadFirmware(stop);
        ctx->setRestoreData(bytesOf(configuration));
        restored = ctx->restoreConfiguration(stop);
    });
    EXPECT_TRUE(eventually([&] { return restored.load() != 1; }, 5s)) << "connecting is not bounded";
    attempts.request_stop();
    attempts.join();
    EXPECT_EQ(uploaded.load(), -1);
    EXPECT_EQ(restored.load(), -1);
    ::close(occupant);
    ::close(listener);
}

TEST_F(UploadE2eTest, RefusedUploadIsNoProgressStream)
{
    startFleet({camera()});
    auto ctx = context("127.0.0.2", kRootCredential); // not this camera's login
    ctx->setFirmware(package(), "ver2.45");
    EXPECT_EQ(ctx->uploadFirmware(), 0); // the request ended: the camera answered
    const auto start = std::chrono::steady_clock::now();
    ctx->readUploadAnswer();
    EXPECT_EQ(ctx->replyResult(), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
}

TEST_F(UploadE2eTest, AnswerThatNeverEndsIsLeftOnAStopRequest)
{
    CameraSpec sim = camera();
    sim.answerNeverEnds = true;
    startFleet({sim});
    auto ctx = context();
    std::atomic<int> bar{0};
    ctx->setProgressControl(&bar);
    ctx->setFirmware(package(), "ver2.45");
    ASSERT_EQ(ctx->uploadFirmware(), 0);

    std::atomic<bool> readerDone{false};
    std::jthread reader = readInBackground(*ctx, readerDone);
    ASSERT_TRUE(eventually([&] { return bar.load() == 9380; }));
    // All steps came, the closing delimiter never does: the reader keeps waiting past the 60 s
    // receive time-out (0.6 s here), as the camera may still be writing.
    std::this_thread::sleep_for(900ms);
    EXPECT_FALSE(readerDone.load());
    EXPECT_TRUE(loop.isRunning(ctx->tickTimer()));

    const auto start = std::chrono::steady_clock::now();
    reader.request_stop();
    reader.join();
    ctx->closeUpload();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    EXPECT_EQ(ctx->replyResult(), 1);
    EXPECT_FALSE(loop.isRunning(ctx->tickTimer()));
}

TEST_F(UploadE2eTest, DestroyingTheContextWithAnUploadInFlightIsQuick)
{
    CameraSpec sim = camera();
    sim.answerNeverEnds = true;
    sim.stepSeconds = 100;
    startFleet({sim});
    auto ctx = context();
    ctx->setFirmware(package(), "ver2.45");
    ASSERT_EQ(ctx->uploadFirmware(), 0);
    const auto start = std::chrono::steady_clock::now();
    ctx.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
}

TEST_F(UploadE2eTest, EmergencyCameraGetsTheBodyWithoutAwaitingAnAnswer)
{
    CameraSpec sim = camera();
    sim.softVersion = "emergency";
    startFleet({sim});
    auto ctx = context();
    ASSERT_TRUE(ctx->checkSystemReply(ctx->runQuery("inq=system", 60000ms), false));
    ASSERT_TRUE(ctx->emergency());
    std::atomic<int> bar{0};
    ctx->setProgressControl(&bar);
    ctx->setFirmware(package(), "ver2.45");

    EXPECT_EQ(ctx->uploadFirmware(), 0);
    EXPECT_EQ(ctx->errorCode(), 4);
    EXPECT_EQ(bar.load(), 6860);
    EXPECT_EQ(ticks.load(), 0); // no wait for the end of the request
    const auto start = std::chrono::steady_clock::now();
    ctx->readUploadAnswer();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_EQ(ctx->replyResult(), 1);
    EXPECT_EQ(ctx->emergencyStep(), (9800 - 6860) / 180);
    EXPECT_EQ(bar.load(), 6860);
    ctx->closeUpload();
    // The camera records its verdict once it has read the whole body.
    ASSERT_TRUE(eventually([&] {
        const auto uploads = requestsTo("/command/versionup.cgi");
        return !uploads.empty() && !uploads.front().uploadVerdict.empty();
    }));
    EXPECT_EQ(requestsTo("/command/versionup.cgi").front().uploadVerdict, "ok");
}

TEST_F(UploadE2eTest, RestoreUsesTheFactoryLoginAndSwitchesToPresetForGood)
{
    CameraSpec sim = camera();
    sim.adminUser = "root";
    sim.adminPassword = "pass";
    sim.panTilt = true;
    startFleet({sim});
    auto ctx = context("127.0.0.2", kRootCredential);
    std::atomic<int> row{0};
    ctx->setListRow(&row);
    std::string configuration = "[camera]\nname=restored\n";
    configuration.resize(3000, '#'); // three pieces: 1460, 1460, 80
    ctx->setRestoreData(bytesOf(configuration));

    EXPECT_EQ(ctx->restoreConfiguration(), 0);
    EXPECT_EQ(ctx->errorCode(), 4);
    EXPECT_EQ(row.load(), 3);
    EXPECT_EQ(fleet->configuration("127.0.0.2"), configuration);

    // The camera reports pan-tilt once: every later restore takes the preset path.
    ctx->rememberSystemReply(ctx->runQuery("inq=system", 60000ms));
    ctx->detectPanTilt();
    EXPECT_TRUE(ctx->panTilt());
    ctx->rememberSystemReply("ModelName=ZKA-QM410&SoftVersion=2.45");
    ctx->detectPanTilt();
    EXPECT_TRUE(ctx->panTilt());
    configuration[0] = '{';
    EXPECT_EQ(ctx->restoreConfiguration(), 0);

    const auto plain = requestsTo("/command/all-configuration.cgi");
    const auto preset = requestsTo("/command/all-configuration-preset.cgi");
    ASSERT_EQ(plain.size(), 1u);
    ASSERT_EQ(preset.size(), 1u);
    for (const RecordedRequest& restore : {plain.front(), preset.front()}) {
        EXPECT_EQ(restore.uploadVerdict, "ok");
        EXPECT_EQ(headerValue(restore, "Authorization"), "Basic YWRtaW46YWRtaW4=");
        EXPECT_TRUE(restore.authorized);
        const std::string contentType = headerValue(restore, "Content-Type");
        const std::string boundary = contentType.substr(contentType.find("boundary=") + 9);
        EXPECT_EQ(restore.uploadHead, MultipartBody(boundary, "Restore", "temp.cfg", 0).head());
        EXPECT_EQ(headerValue(restore, "Content-Length"),
                  std::to_string(restore.uploadHead.size() + configuration.size() + boundary.size() + 8));
    }
    EXPECT_EQ(plain.front().payload.substr(0, 9), "[camera]\n");
    EXPECT_EQ(preset.front().payload, configuration);
    EXPECT_EQ(fleet->configuration("127.0.0.2"), configuration);
}

TEST_F(UploadE2eTest, RefusedRestoresFail)
{
    CameraSpec sim = camera();
    sim.restoreRefusals = 1; // read, then dropped without an answer
    startFleet({sim});
    auto ctx = context();
    const std::string configuration = "[camera]\nname=again\n";
    ctx->setRestoreData(bytesOf(configuration));
    EXPECT_EQ(ctx->restoreConfiguration(), -2);
    EXPECT_EQ(ctx->restoreConfiguration(), 0);

    // A camera that answers 401 to the factory login has not taken the configuration.
    test::CannedHttpServer refusing("127.0.0.3", 8080,
                                    "HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"cam\"\r\n"
                                    "Content-Length: 0\r\nConnection: close\r\n\r\n");
    ASSERT_TRUE(refusing.listening());
    auto other = context("127.0.0.3:8080");
    other->setRestoreData(bytesOf(configuration));
    EXPECT_EQ(other->restoreConfiguration(), -2);
    ASSERT_EQ(refusing.requests().size(), 1u);
    EXPECT_NE(refusing.requests().front().find("Authorization: Basic YWRtaW46YWRtaW4=\r\n"), std::string::npos);

    // Nothing to send (the saved file could not be read back): no request at all.
    other->setRestoreData({});
    EXPECT_EQ(other->restoreConfiguration(), -1);
    EXPECT_EQ(refusing.requests().size(), 1u);
    // Nobody listening: the request cannot be opened.
    auto absent = context("127.0.0.9:8080");
    absent->setRestoreData(bytesOf(configuration));
    EXPECT_EQ(absent->restoreConfiguration(), -1);
}

TEST_F(UploadE2eTest, AnEmergencyCamerasRestoreCountsOnlyWhenTheCameraAcceptedIt)
{
    CameraSpec sim = camera();
    sim.softVersion = "emergency";
    sim.restoreRefusals = 1; // the first restore is read, then dropped without an answer
    startFleet({sim});
    auto ctx = context();
    ASSERT_TRUE(ctx->checkSystemReply(ctx->runQuery("inq=system", 60000ms), false));
    ASSERT_TRUE(ctx->emergency());
    const std::string configuration = "[camera]\nname=emergency\n";
    ctx->setRestoreData(bytesOf(configuration));
    EXPECT_EQ(ctx->restoreConfiguration(), -2);
    EXPECT_EQ(ctx->restoreConfiguration(), 0);
    EXPECT_EQ(fleet->configuration("127.0.0.2"), configuration);
    EXPECT_EQ(ticks.load(), 0); // an emergency camera's display is not moved by ticks
}

class BackupE2eTest : public UploadE2eTest {
protected:
    ConfigBackup backup(const std::string& address, const std::string& credential = kAdminCredential,
                        bool deleteAfterRestore = true)
    {
        return ConfigBackup(clock, address, ConfigBackup::cameraFilePath("ZKA-QM410"), credential,
                            std::chrono::system_clock::now(), "ZKA-QM410", "S/../0002", deleteAfterRestore);
    }
    static unsigned mode(const std::string& path)
    {
        struct stat info {};
        return ::stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0u;
    }
    static std::string contents(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};

TEST_F(BackupE2eTest, SavedUserOnlyReadBackAndDeletedAfterRestore)
{
    CameraSpec sim = camera();
    sim.configuration = "[camera]\n" + std::string(2000, 'c') + "\n";
    startFleet({sim});
    auto saved = backup("127.0.0.2");
    ASSERT_TRUE(saved.saveFromCamera()) << saved.errorText();
    EXPECT_EQ(saved.errorText(), "");
    EXPECT_EQ(saved.savedSize(), sim.configuration.size());
    EXPECT_EQ(contents(saved.localPath()), sim.configuration);
    EXPECT_EQ(fs::path(saved.localPath()).filename(), "zka-qm410.S____0002.cfg");
    EXPECT_EQ(fs::path(saved.localPath()).parent_path().parent_path(),
              fs::path(programFiles_) / "VELM/ZKA FirmwareUpgrade/Configurations");
    EXPECT_EQ(mode(saved.localPath()), 0600u);
    EXPECT_EQ(mode(fs::path(saved.localPath()).parent_path().string()), 0700u);
    EXPECT_EQ(mode(programFiles_ + "/VELM"), 0700u);
    const auto download = requestsTo("/home/l4/zka-qm410.cfg");
    ASSERT_EQ(download.size(), 1u);
    EXPECT_EQ(headerValue(download.front(), "Authorization"), "Basic " + kAdminCredential);

    std::vector<std::uint8_t> buffer;
    ASSERT_TRUE(saved.readSaved(buffer));
    auto ctx = context();
    ctx->setRestoreData(buffer);
    ASSERT_EQ(ctx->restoreConfiguration(), 0);
    saved.markRestored();
    EXPECT_TRUE(saved.deleteSavedFile());
    EXPECT_FALSE(fs::exists(saved.localPath()));
}

TEST_F(BackupE2eTest, ChangedSavedFileIsNeverSent)
{
    startFleet({camera()});
    auto saved = backup("127.0.0.2");
    ASSERT_TRUE(saved.saveFromCamera()) << saved.errorText();
    std::ofstream(saved.localPath(), std::ios::app) << "tampered";
    std::vector<std::uint8_t> buffer{1, 2, 3};
    EXPECT_FALSE(saved.readSaved(buffer));
    EXPECT_TRUE(buffer.empty());
    auto ctx = context();
    ctx->setRestoreData(buffer);
    EXPECT_EQ(ctx->restoreConfiguration(), -1);
    EXPECT_TRUE(requestsTo("/command/all-configuration.cgi").empty());
    EXPECT_TRUE(fs::exists(saved.localPath())); // kept: no restore succeeded
}

TEST_F(BackupE2eTest, ErrorPagesAreNotSavedAsConfiguration)
{
    CameraSpec sim = camera();
    sim.htmlInsteadOfConfig = true;
    CameraSpec secured = camera("127.0.0.4");
    startFleet({sim, secured});

    // An HTML page with a success status: fails, the empty file stays.
    auto html = backup("127.0.0.2");
    EXPECT_FALSE(html.saveFromCamera());
    EXPECT_TRUE(fs::exists(html.localPath()));
    EXPECT_EQ(fs::file_size(html.localPath()), 0u);

    // A refused login (401): fails before any file is made, and an older file is left alone.
    auto refused = backup("127.0.0.4", kRootCredential);
    ASSERT_TRUE(ConfigBackup::makeFolders(refused.localPath(), programFiles_.size()));
    std::ofstream(refused.localPath()) << "older backup";
    EXPECT_FALSE(refused.saveFromCamera());
    EXPECT_NE(refused.errorText().find("401"), std::string::npos) << refused.errorText();
    EXPECT_EQ(contents(refused.localPath()), "older backup");

    // Nobody listening.
    auto absent = backup("127.0.0.9");
    EXPECT_FALSE(absent.saveFromCamera());
    EXPECT_FALSE(absent.errorText().empty());
}

TEST_F(BackupE2eTest, ADownloadOfMoreThanOneMegabyteIsNoConfiguration)
{
    CameraSpec largest = camera();
    largest.configuration = std::string(1024 * 1024, 'c');
    CameraSpec endless = camera("127.0.0.3");
    endless.configuration = std::string(1024 * 1024 + 1, 'e');
    startFleet({largest, endless});

    auto saved = backup("127.0.0.2");
    EXPECT_TRUE(saved.saveFromCamera()) << saved.errorText();
    EXPECT_EQ(saved.savedSize(), 1024u * 1024u);

    auto refused = backup("127.0.0.3");
    EXPECT_FALSE(refused.saveFromCamera());
    EXPECT_NE(refused.errorText().find("1048576"), std::string::npos) << refused.errorText();
    EXPECT_FALSE(fs::exists(refused.localPath()));
    std::vector<std::uint8_t> buffer;
    EXPECT_FALSE(refused.readSaved(buffer));
}

TEST_F(BackupE2eTest, HtmlMarkerInTheSecondBlockKeepsTheFirstBlockOnly)
{
    const std::string firstBlock(512, 'a');
    const std::string rest = "<HTML><BODY>busy</BODY></HTML>" + std::string(100, 'z');
    test::CannedHttpServer server("127.0.0.3", 8081,
                                  "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(512 + rest.size()) +
                                      "\r\nConnection: close\r\n\r\n" + firstBlock + rest);
    ASSERT_TRUE(server.listening());
    auto upper = backup("127.0.0.3:8081");
    EXPECT_FALSE(upper.saveFromCamera());
    EXPECT_EQ(contents(upper.localPath()), firstBlock);

    std::string lowerRest = rest;
    lowerRest.replace(0, 6, "<html>");
    test::CannedHttpServer lower("127.0.0.3", 8082,
                                 "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(512 + lowerRest.size()) +
                                     "\r\nConnection: close\r\n\r\n" + firstBlock + lowerRest);
    auto saved = backup("127.0.0.3:8082");
    EXPECT_TRUE(saved.saveFromCamera()) << saved.errorText();
    EXPECT_EQ(contents(saved.localPath()), firstBlock + lowerRest);
}

} // namespace
} // namespace zka
