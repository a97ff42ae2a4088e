// The firmware upload and the restore, through real sockets to simulated cameras in the network
// sandbox, at a time scale of 0.01 (60 s last 0.6 s).
#include "camera_upload_fixture.h"

#include "http/MultipartBody.h"
#include "camera_upload_canned_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zka::test {
namespace {

TEST_F(UploadE2eTest, PackageArrivesIntactAndProgressFollowsChunksThenSteps)
{
    ASSERT_EQ(package().size(), kPackageSize);
    startFleet({camera()});
    auto job = makeJob();
    job->setOptions(UpgradeJob::Options::batch(false, true, clock.wallTime()));
    job->setFirmware(package(), "ver2.45");

    EXPECT_EQ(job->uploadFirmware(), 0);
    EXPECT_EQ(job->errorCode(), 4);
    EXPECT_EQ(job->progress(), 6860); // one step per 1460-byte chunk
    EXPECT_FALSE(job->tickTimer().running());

    job->readUploadAnswer();
    EXPECT_EQ(job->replyResult(), 1);
    // (0) announces 40 steps at 6860: 63 per step; step 40 sets 6860 + 40 * 63.
    EXPECT_EQ(job->emergencyStep(), 63);
    EXPECT_EQ(job->progress(), 9380);
    EXPECT_FALSE(job->tickTimer().running());
    job->closeUpload();

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
    auto job = makeJob();
    job->setOptions(UpgradeJob::Options::batch(false, true, clock.wallTime()));
    job->setFirmware(package(), "ver2.45");

    EXPECT_EQ(job->uploadFirmware(), -1);
    EXPECT_NE(job->errorCode(), 4); // the body never went out whole
    EXPECT_GT(job->progress(), 0);
    EXPECT_LT(job->progress(), 6860);
    EXPECT_TRUE(eventually([&] {
        const auto uploads = requestsTo("/command/versionup.cgi");
        return !uploads.empty() && uploads.front().uploadVerdict.find("dropped") != std::string::npos;
    }));

    // Batch row: status 10, nothing told. Manual: the network error is told to the front end, which
    // shows its message and goes back to the target page.
    job->reportUploadFailure();
    EXPECT_EQ(job->errorCode(), 10);
    EXPECT_TRUE(outcomes.told().empty());
    job->setOptions({});
    job->reportUploadFailure();
    EXPECT_EQ(outcomes.told(), std::vector<UpgradeJob::Outcome>{UpgradeJob::Outcome::UploadNotSent});
    EXPECT_EQ(prompter.count(), 0u);
}

TEST_F(UploadE2eTest, NoAnswerWithinSixtySecondsIsAnIncompleteRequest)
{
    CameraSpec sim = camera();
    sim.slowAnswerSeconds = 150;
    startFleet({sim});
    auto job = makeJob();
    job->setFirmware(package(), "ver2.45");
    // The camera would answer after 150 s; the 60 s receive time-out ends the wait first.
    EXPECT_EQ(job->uploadFirmware(), -2);
    EXPECT_EQ(job->errorCode(), 4); // the body was sent
    EXPECT_GE(ticks.load(), 20);    // the tick timer ran while the answer was awaited
    EXPECT_FALSE(job->tickTimer().running());
}

TEST_F(UploadE2eTest, AMinuteOfSilenceInTheAnswerIsWaitedOut)
{
    // The camera flashes for 70 s between its reports: longer than the 60 s limit on the response
    // headers, well within the procedure's 180 s for the whole answer.
    CameraSpec sim = camera();
    sim.upgradeSteps = 2;
    sim.stepSeconds = 70;
    startFleet({sim});
    auto job = makeJob();
    job->setOptions(UpgradeJob::Options::batch(false, true, clock.wallTime()));
    job->setFirmware(package(), "ver2.45");
    ASSERT_EQ(job->uploadFirmware(), 0);

    std::atomic<bool> readerDone{false};
    std::jthread reader = readInBackground(*job, readerDone);
    // 140 s of steps: 1.4 s here; the bound stands in for the procedure's 180 s.
    EXPECT_TRUE(eventually([&] { return readerDone.load(); }, 1800ms)) << "the answer was lost";
    reader.request_stop();
    reader.join();
    job->closeUpload();
    EXPECT_EQ(job->replyResult(), 1);
    EXPECT_EQ(job->progress(), 6860 + 2 * ((9400 - 6860) / 2));
}

TEST_F(UploadE2eTest, ACameraThatStopsReadingIsASendFailureAfterSixtySeconds)
{
    CameraSpec sim = camera();
    sim.stallDuringUpload = true;
    startFleet({sim});
    auto job = makeJob();
    job->setFirmware(package(), "ver2.45");

    std::atomic<int> result{1};
    const auto start = std::chrono::steady_clock::now();
    std::jthread upload([&](std::stop_token stop) { result = job->uploadFirmware(stop); });
    // 60 s without a byte going out (0.6 s here, but never under a second of real time), plus the
    // time the first half takes.
    EXPECT_TRUE(eventually([&] { return result.load() != 1; }, 10s)) << "the upload hangs";
    upload.request_stop();
    upload.join();
    EXPECT_GE(std::chrono::steady_clock::now() - start, 600ms);
    EXPECT_EQ(result.load(), -1); // reported as the network error
    EXPECT_NE(job->errorCode(), 4);
    EXPECT_GT(job->progress(), 6860 / 2 - 100);
    EXPECT_LT(job->progress(), 6860);
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

    auto job = makeJob("127.0.0.3:8090");
    job->setFirmware(package(), "ver2.45");
    const std::string configuration = "[camera]\nname=restored\n";
    std::atomic<int> uploaded{1};
    std::atomic<int> restored{1};
    std::jthread attempts([&](std::stop_token stop) {
        uploaded = job->uploadFirmware(stop);
        job->setRestoreData(bytesOf(configuration));
        restored = job->restoreConfiguration(stop);
    });
    EXPECT_TRUE(eventually([&] { return restored.load() != 1; }, 10s)) << "connecting is not bounded";
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
    auto job = makeJob("127.0.0.2", kRootCredential); // not this camera's login
    job->setFirmware(package(), "ver2.45");
    EXPECT_EQ(job->uploadFirmware(), 0); // the request ended: the camera answered
    const auto start = std::chrono::steady_clock::now();
    job->readUploadAnswer();
    EXPECT_EQ(job->replyResult(), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
}

TEST_F(UploadE2eTest, AnswerThatNeverEndsIsLeftOnAStopRequest)
{
    CameraSpec sim = camera();
    sim.answerNeverEnds = true;
    startFleet({sim});
    auto job = makeJob();
    job->setFirmware(package(), "ver2.45");
    ASSERT_EQ(job->uploadFirmware(), 0);

    std::atomic<bool> readerDone{false};
    std::jthread reader = readInBackground(*job, readerDone);
    ASSERT_TRUE(eventually([&] { return job->progress() == 9380; }));
    // All steps came, the closing delimiter never does: the reader keeps waiting past the 60 s
    // receive time-out (a second of real time here), as the camera may still be writing.
    std::this_thread::sleep_for(1200ms);
    EXPECT_FALSE(readerDone.load());
    EXPECT_TRUE(job->tickTimer().running());

    const auto start = std::chrono::steady_clock::now();
    reader.request_stop();
    reader.join();
    job->closeUpload();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    EXPECT_EQ(job->replyResult(), 1);
    EXPECT_FALSE(job->tickTimer().running());
}

TEST_F(UploadE2eTest, DestroyingTheJobWithAnUploadInFlightIsQuick)
{
    CameraSpec sim = camera();
    sim.answerNeverEnds = true;
    sim.stepSeconds = 100;
    startFleet({sim});
    auto job = makeJob();
    job->setFirmware(package(), "ver2.45");
    ASSERT_EQ(job->uploadFirmware(), 0);
    const auto start = std::chrono::steady_clock::now();
    job.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
}

TEST_F(UploadE2eTest, EmergencyCameraGetsTheBodyWithoutAwaitingAnAnswer)
{
    CameraSpec sim = camera();
    sim.softVersion = "emergency";
    startFleet({sim});
    auto job = makeJob();
    ASSERT_TRUE(job->checkSystemReply(job->client().query("inq=system", 60000ms).text));
    ASSERT_TRUE(job->emergency());
    job->setFirmware(package(), "ver2.45");

    EXPECT_EQ(job->uploadFirmware(), 0);
    EXPECT_EQ(job->errorCode(), 4);
    EXPECT_EQ(job->progress(), 6860);
    EXPECT_EQ(ticks.load(), 0); // no wait for the end of the request
    const auto start = std::chrono::steady_clock::now();
    job->readUploadAnswer();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_EQ(job->replyResult(), 1);
    EXPECT_EQ(job->emergencyStep(), (9800 - 6860) / 180);
    EXPECT_EQ(job->progress(), 6860);
    job->closeUpload();
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
    auto job = makeJob("127.0.0.2", kRootCredential);
    job->setOptions(UpgradeJob::Options::batch(false, true, clock.wallTime()));
    std::string configuration = "[camera]\nname=restored\n";
    configuration.resize(3000, '#'); // three pieces: 1460, 1460, 80
    job->setRestoreData(bytesOf(configuration));

    EXPECT_EQ(job->restoreConfiguration(), 0);
    EXPECT_EQ(job->errorCode(), 4);
    EXPECT_EQ(job->progress(), 3);
    EXPECT_EQ(fleet->configuration("127.0.0.2"), configuration);

    // The camera reports pan-tilt once: every later restore takes the preset path.
    job->rememberSystemReply(job->client().query("inq=system", 60000ms).text);
    job->detectPanTilt();
    EXPECT_TRUE(job->panTilt());
    job->rememberSystemReply("ModelName=ZKA-QM410&SoftVersion=2.45");
    job->detectPanTilt();
    EXPECT_TRUE(job->panTilt());
    configuration[0] = '{';
    EXPECT_EQ(job->restoreConfiguration(), 0);

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
    auto job = makeJob();
    const std::string configuration = "[camera]\nname=again\n";
    job->setRestoreData(bytesOf(configuration));
    EXPECT_EQ(job->restoreConfiguration(), -2);
    EXPECT_EQ(job->restoreConfiguration(), 0);

    // A camera that answers 401 to the factory login has not taken the configuration.
    CannedHttpServer refusing("127.0.0.3", 8080,
                                    "HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"cam\"\r\n"
                                    "Content-Length: 0\r\nConnection: close\r\n\r\n");
    ASSERT_TRUE(refusing.listening());
    auto other = makeJob("127.0.0.3:8080");
    other->setRestoreData(bytesOf(configuration));
    EXPECT_EQ(other->restoreConfiguration(), -2);
    ASSERT_EQ(refusing.requests().size(), 1u);
    EXPECT_NE(refusing.requests().front().find("Authorization: Basic YWRtaW46YWRtaW4=\r\n"), std::string::npos);

    // Nothing to send (the saved file could not be read back): no request at all.
    other->setRestoreData({});
    EXPECT_EQ(other->restoreConfiguration(), -1);
    EXPECT_EQ(refusing.requests().size(), 1u);
    // Nobody listening: the request cannot be opened.
    auto absent = makeJob("127.0.0.9:8080");
    absent->setRestoreData(bytesOf(configuration));
    EXPECT_EQ(absent->restoreConfiguration(), -1);
}

TEST_F(UploadE2eTest, AnEmergencyCamerasRestoreCountsOnlyWhenTheCameraAcceptedIt)
{
    CameraSpec sim = camera();
    sim.softVersion = "emergency";
    sim.restoreRefusals = 1; // the first restore is read, then dropped without an answer
    startFleet({sim});
    auto job = makeJob();
    ASSERT_TRUE(job->checkSystemReply(job->client().query("inq=system", 60000ms).text));
    ASSERT_TRUE(job->emergency());
    const std::string configuration = "[camera]\nname=emergency\n";
    job->setRestoreData(bytesOf(configuration));
    EXPECT_EQ(job->restoreConfiguration(), -2);
    EXPECT_EQ(job->restoreConfiguration(), 0);
    EXPECT_EQ(fleet->configuration("127.0.0.2"), configuration);
    EXPECT_EQ(ticks.load(), 0); // an emergency camera's display is not moved by ticks
}

} // namespace
} // namespace zka::test
