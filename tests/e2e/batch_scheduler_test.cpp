// The automatic batch against simulated cameras: which camera starts when, what each row shows at
// the end, the abort, the log lines and the backups of cameras that share a serial.
#include "procedure_rig.h"

#include "camera/StatusCode.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace zka::test {
namespace {

using namespace std::chrono_literals;
using camsim::AfterUpgrade;
using camsim::CameraSpec;

const std::string& status(const BatchRig& rig, const ProgressRow& row)
{
    return rig.scheduler->rowText().statusWord(row);
}

std::string logLine(const BatchRig& rig, std::size_t row)
{
    return rig.scheduler->rowText().logLine(rig.row(row));
}

std::string fileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::size_t requestsTo(const BatchRig& rig, const std::string& address, const std::string& path)
{
    const auto requests = rig.fleet.requests(address);
    return static_cast<std::size_t>(
        std::count_if(requests.begin(), requests.end(), [&](const auto& request) { return request.path == path; }));
}

// The codes all rows showed when `row` first left Standby.
std::vector<int> codesWhenStarted(const BatchRig& rig, std::size_t row)
{
    for (const auto& change : rig.changes()) {
        if (change.row == row && change.codes[row] != 0)
            return change.codes;
    }
    return {};
}

TEST(BatchSchedulerTest, TwoAtATimeInRowOrderAndNoStartWhileACameraAheadSavesOrUploads)
{
    // The first camera is slow to answer its user inquiry: nothing behind it may inquire meanwhile.
    CameraSpec slow = testCamera(2);
    slow.userInquirySeconds = 5;
    CameraSpec dhcp = testCamera(4);
    dhcp.dhcp = true;
    BatchRig rig({slow, testCamera(3), dhcp});
    std::string error;
    ASSERT_TRUE(rig.start(error)) << error;
    rig.addFleet();
    rig.startBatch(/*retain=*/true);
    ASSERT_TRUE(rig.runBatch());

    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(followsCourse(rig.course(i), {0, 2, 3, 4, 6, 7, 4, 8, 9})) << "row " << i;
        EXPECT_EQ(rig.row(i).finalStatus, 9);
        EXPECT_EQ(status(rig, rig.row(i)), "Completed");
        EXPECT_EQ(rig.row(i).version, "2.45");
        EXPECT_EQ(rig.row(i).progress.load(), 10000);
        // Retain without Backup: each file went once its restore was accepted.
        EXPECT_EQ(rig.row(i).savedConfiguration, "");
    }
    EXPECT_EQ(rig.mostInProgress(), 2);
    const auto second = codesWhenStarted(rig, 1);
    ASSERT_EQ(second.size(), 3u);
    EXPECT_NE(second[0], 0);
    EXPECT_NE(second[0], 2);
    EXPECT_NE(second[0], 3);
    const auto third = codesWhenStarted(rig, 2);
    ASSERT_EQ(third.size(), 3u);
    EXPECT_TRUE(third[0] == 9 || third[1] == 9) << third[0] << " " << third[1];

    EXPECT_EQ(logLine(rig, 0), "ZKA-QM410(127.0.0.2) Completed successfully.\r\n");
    EXPECT_EQ(logLine(rig, 2), "ZKA-QM410(DHCP:127.0.0.4) Completed successfully.\r\n");
    EXPECT_TRUE(rig.backupRoot.files().empty());
    // Every file went: so did the batch's folder.
    EXPECT_TRUE(rig.backupRoot.stampFolders().empty());
    EXPECT_EQ(rig.scheduler->jobCount(), 0u);
    EXPECT_EQ(rig.loop.runningTimerCount(), 0u); // the scheduler's timer stopped itself
}

TEST(BatchSchedulerTest, AnAbortWhileUploadingFinishesThatCameraAndDropsTheWaitingOnesAtOnce)
{
    BatchRig rig({testCamera(2), testCamera(3), testCamera(4)});
    std::string error;
    ASSERT_TRUE(rig.start(error)) << error;
    rig.addFleet();
    rig.onChange = [&rig](const BatchRig::Change& change) {
        if (change.row == 0 && change.codes[0] == 3)
            rig.scheduler->requestStop();
    };
    rig.startBatch();
    ASSERT_TRUE(rig.runBatch());

    EXPECT_EQ(rig.row(0).finalStatus, 9);
    // The first camera's end and the drop of both others come in one tick.
    const auto& changes = rig.changes();
    ASSERT_GE(changes.size(), 3u);
    EXPECT_EQ(changes[changes.size() - 3].row, 0u);
    EXPECT_EQ(changes[changes.size() - 3].codes, (std::vector<int>{9, 0, 0}));
    for (std::size_t i = 1; i < 3; ++i) {
        const ProgressRow& dropped = rig.row(i);
        EXPECT_EQ(changes[changes.size() - 3 + i].row, i);
        EXPECT_EQ(dropped.finalStatus, 0);
        EXPECT_EQ(status(rig, dropped), "Standby");
        EXPECT_EQ(dropped.progress.load(), 0);
        EXPECT_FALSE(dropped.started.has_value());
        EXPECT_EQ(dropped.detail, "not upgraded: the batch was aborted");
    }
    // The log tells of every camera, the ones never started included.
    EXPECT_EQ(logLine(rig, 1), "ZKA-QM410(127.0.0.3) Not upgraded (the batch was aborted).\r\n");
    EXPECT_EQ(logLine(rig, 2), "ZKA-QM410(127.0.0.4) Not upgraded (the batch was aborted).\r\n");
    EXPECT_EQ(rig.row(0).detail, "");
    EXPECT_TRUE(rig.fleet.requests("127.0.0.3").empty());
    EXPECT_TRUE(rig.fleet.requests("127.0.0.4").empty());
    EXPECT_EQ(rig.scheduler->jobCount(), 0u);
    EXPECT_FALSE(rig.scheduler->stopRequested());
    EXPECT_EQ(rig.loop.runningTimerCount(), 0u); // the scheduler's timer stopped itself
}

TEST(BatchSchedulerTest, AnAbortDuringTheInquiriesDropsTheCameraWithoutWaitingForItsAnswer)
{
    CameraSpec silent = testCamera(2);
    silent.userInquirySeconds = 100000; // 1000 s at this scale
    BatchRig rig({silent, testCamera(3)});
    std::string error;
    ASSERT_TRUE(rig.start(error)) << error;
    rig.addFleet();
    rig.startBatch();
    ASSERT_TRUE(rig.loop.runUntil([&rig] { return rig.inquiries("127.0.0.2", "inq=user") == 1; }, 1h));
    rig.scheduler->requestStop();
    ASSERT_TRUE(rig.runBatch(std::chrono::seconds(2000)));
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(rig.row(i).finalStatus, 0);
        EXPECT_EQ(rig.row(i).detail, "not upgraded: the batch was aborted");
    }
    EXPECT_TRUE(rig.fleet.requests("127.0.0.3").empty());
    EXPECT_EQ(requestsTo(rig, "127.0.0.2", "/command/versionup.cgi"), 0u);
}

TEST(BatchSchedulerTest, AfterTheMaintenanceWindowNoCameraStartsAndTheOneUnderWayFinishes)
{
    BatchRig rig({testCamera(2), testCamera(3), testCamera(4)});
    std::string error;
    ASSERT_TRUE(rig.start(error)) << error;
    rig.addFleet();
    RolloutPolicy policy;
    policy.stopAt = rig.clock.wallTime() + 1h;
    rig.scheduler->setRolloutPolicy(policy);
    // The window ends while the first camera uploads.
    rig.onChange = [&rig](const BatchRig::Change& change) {
        if (change.row == 0 && change.codes[0] == 3)
            rig.clock.moveWallTime(2h);
    };
    rig.startBatch();
    ASSERT_TRUE(rig.runBatch());

    EXPECT_EQ(rig.row(0).finalStatus, 9);
    EXPECT_EQ(rig.scheduler->halt(), BatchHalt::WindowEnded);
    for (std::size_t i = 1; i < 3; ++i) {
        EXPECT_EQ(rig.row(i).finalStatus, 0);
        EXPECT_EQ(rig.row(i).detail, "maintenance window ended");
        EXPECT_EQ(rig.fleet.requests(rig.fleet.cameras()[i].address).size(), 0u);
    }
    EXPECT_EQ(logLine(rig, 1), "ZKA-QM410(127.0.0.3) Not upgraded (maintenance window ended).\r\n");
}

TEST(BatchSchedulerTest, RefusedLoginsAndMissingCamerasEndWithTheirCodesAndLogLines)
{
    CameraSpec wrongPassword = testCamera(2);
    wrongPassword.adminPassword = "secret";
    CameraSpec viewerOnly = testCamera(3);
    viewerOnly.userName = "viewer";
    viewerOnly.userPassword = "viewer";
    CameraSpec otherModel = testCamera(4);
    otherModel.model = "ZKA-QM999";
    CameraSpec emergency = testCamera(5);
    emergency.softVersion = "emergency";
    BatchRig rig({wrongPassword, viewerOnly, otherModel, emergency, testCamera(6)});
    std::string error;
    ASSERT_TRUE(rig.start(error)) << error;
    rig.scheduler->addUpgradeTarget(rig.target(0));
    UpgradeTarget viewer = rig.target(1);
    viewer.name = "viewer";
    viewer.password = "viewer";
    rig.scheduler->addUpgradeTarget(viewer);
    rig.scheduler->addUpgradeTarget(rig.target(2));
    rig.scheduler->addUpgradeTarget(rig.target(3));
    rig.scheduler->addUpgradeTarget(BatchRig::addressOnly("127.0.0.9")); // nothing listens there
    UpgradeTarget tooLong = rig.target(4);
    tooLong.name = std::string(40, 'n');
    tooLong.password = std::string(40, 'p');
    rig.scheduler->addUpgradeTarget(tooLong);
    // A login that does not fit the credential ends its row before the batch begins.
    EXPECT_EQ(rig.row(5).finalStatus, 10);
    EXPECT_EQ(rig.scheduler->jobCount(), 5u);
    rig.startBatch();
    ASSERT_TRUE(rig.runBatch());

    const std::vector<int> finals{12, 12, 10, 9, 10, 10};
    const std::vector<std::string> words{"Error3", "Error3", "Error1", "Completed", "Error1", "Error1"};
    for (std::size_t i = 0; i < finals.size(); ++i) {
        EXPECT_EQ(rig.row(i).finalStatus, finals[i]) << "row " << i;
        EXPECT_EQ(status(rig, rig.row(i)), words[i]) << "row " << i;
    }
    EXPECT_EQ(logLine(rig, 0), "ZKA-QM410(127.0.0.2) Login error.\r\n");
    EXPECT_EQ(logLine(rig, 2), "ZKA-QM999(127.0.0.4) Network error (missing target).\r\n");
    EXPECT_EQ(logLine(rig, 4), "(127.0.0.9) Network error (missing target).\r\n");
    // The system is inquired first: an emergency camera is never asked about its users.
    EXPECT_EQ(rig.inquiries("127.0.0.5", "inq=user"), 0);
    EXPECT_EQ(rig.inquiries("127.0.0.3", "inq=user"), 1);
    EXPECT_EQ(rig.inquiries("127.0.0.4", "inq=user"), 0);
    EXPECT_TRUE(rig.fleet.requests("127.0.0.6").empty());
    EXPECT_TRUE(rig.prompter.messages().empty());
    // Each refusal carries its own cause; none of them shows a full bar.
    const std::vector<std::string> details{"login refused",  "not the administrator's login", "not a supported model",
                                           "",               "no answer",                     "the login is too long"};
    for (std::size_t i = 0; i < details.size(); ++i) {
        EXPECT_EQ(rig.row(i).detail, details[i]) << "row " << i;
        // Refused before any upgrade: in the inquiry.
        const std::optional<ReportedStage> stage =
            finals[i] == 9 ? std::nullopt : std::optional<ReportedStage>(ReportedStage::Inquiry);
        EXPECT_EQ(rig.row(i).failedStage, stage) << "row " << i;
        if (finals[i] != 9) {
            EXPECT_EQ(rig.row(i).progress.load(), 0) << "row " << i;
        }
    }
}

TEST(BatchSchedulerTest, CamerasThatTrickleOrFallSilentFailAndTheCameraBehindStillCompletes)
{
    CameraSpec trickling = testCamera(2);
    trickling.configTrickleMs = 50000; // within the silence limit, byte after byte
    CameraSpec silent = testCamera(3);
    silent.silentConfig = true;
    CameraSpec slowReader = testCamera(4);
    slowReader.uploadBytesPerSecond = 8000; // steady, but 600 s take half of the package
    BatchRig rig({trickling, silent, slowReader, testCamera(5)});
    std::string error;
    ASSERT_TRUE(rig.start(error)) << error;
    rig.addFleet();
    rig.startBatch(/*retain=*/true, /*keepBackup=*/true);
    ASSERT_TRUE(rig.runBatch(std::chrono::seconds(5000)));

    const std::vector<int> finals{15, 15, 10, 9};
    for (std::size_t i = 0; i < finals.size(); ++i)
        EXPECT_EQ(rig.row(i).finalStatus, finals[i]) << "row " << i;
    EXPECT_EQ(rig.row(0).detail, "the camera did not send its configuration within 180 s");
    EXPECT_NE(rig.row(1).detail.find("nothing for 60 s"), std::string::npos) << rig.row(1).detail;
    EXPECT_EQ(rig.row(2).detail, "the camera did not read the firmware within 600 s");
    EXPECT_LT(rig.row(2).progress.load(), 10000);
    EXPECT_EQ(rig.row(3).detail, "");
    // Where each failed: the report tells it.
    const std::vector<std::optional<ReportedStage>> failedIn{ReportedStage::Saving, ReportedStage::Saving,
                                                              ReportedStage::Uploading, std::nullopt};
    for (std::size_t i = 0; i < failedIn.size(); ++i)
        EXPECT_EQ(rig.row(i).failedStage, failedIn[i]) << "row " << i;
    // The broken downloads left no file; the slow reader's saved settings and the last one's stay.
    EXPECT_EQ(rig.row(0).savedConfiguration, "");
    EXPECT_EQ(rig.row(1).savedConfiguration, "");
    EXPECT_NE(rig.row(2).savedConfiguration, "");
    EXPECT_EQ(rig.backupRoot.files().size(), 2u);
}

TEST(BatchSchedulerTest, TheListWordAndLogOutcomeOfEveryFinalCode)
{
    BatchRig rig({});
    const struct {
        int code;
        std::string word;
        std::string logOutcome;
    } finals[] = {
        {9, "Completed", "Completed successfully.\r\n"},
        {10, "Error1", "Network error (missing target).\r\n"},
        {11, "Error2", "Upgrade sequence error.\r\n"},
        {12, "Error3", "Login error.\r\n"},
        {13, "Error4", "Ftp error.\r\n"},
        {14, "Error5", "Insufficient memory.\r\n"},
        {15, "Error6", "Cannot save config.\r\n"},
        {16, "Error7", "Cannot load config.\r\n"},
    };
    for (const auto& final : finals) {
        EXPECT_EQ(rig.scheduler->rowText().statusWord(final.code), final.word) << final.code;
        EXPECT_EQ(packagedResources().texts()(statusWords(final.code).logLine), final.logOutcome) << final.code;
    }
    EXPECT_EQ(rig.scheduler->rowText().statusWord(17), "");
}

TEST(BatchSchedulerTest, The257thTargetIsRefused)
{
    BatchRig rig({});
    for (int i = 0; i < 256; ++i)
        ASSERT_TRUE(rig.scheduler->addUpgradeTarget(BatchRig::addressOnly("127.0." + std::to_string(1 + i / 200) + "." + std::to_string(1 + i % 200))));
    EXPECT_FALSE(rig.scheduler->addUpgradeTarget(BatchRig::addressOnly("127.0.0.2")));
    EXPECT_EQ(rig.scheduler->rowCount(), 256u);
}

TEST(BatchSchedulerTest, ARestoreRefusedFourTimesEndsWithError7AndKeepsTheSavedFile)
{
    CameraSpec refusing = testCamera(2);
    refusing.restoreRefusals = 4;
    BatchRig rig({refusing, testCamera(3)});
    std::string error;
    ASSERT_TRUE(rig.start(error)) << error;
    // Known by its address alone: model, version and serial come from the camera's answer.
    rig.scheduler->addUpgradeTarget(BatchRig::addressOnly("127.0.0.2"));
    rig.scheduler->addUpgradeTarget(rig.target(1));
    rig.startBatch(/*retain=*/true);
    ASSERT_TRUE(rig.runBatch());

    const ProgressRow& refused = rig.row(0);
    EXPECT_EQ(refused.finalStatus, 16);
    EXPECT_EQ(refused.failedStage, ReportedStage::Restoring);
    EXPECT_EQ(status(rig, refused), "Error7");
    EXPECT_EQ(refused.model, "ZKA-QM410");
    EXPECT_EQ(refused.version, "2.30");
    EXPECT_EQ(refused.versionAfter, "2.45");
    EXPECT_EQ(logLine(rig, 0), "ZKA-QM410(127.0.0.2) Cannot load config.\r\n");
    EXPECT_EQ(requestsTo(rig, "127.0.0.2", "/command/all-configuration.cgi"), 4u);
    EXPECT_EQ(requestsTo(rig, "127.0.0.3", "/command/all-configuration.cgi"), 1u);
    ASSERT_FALSE(refused.savedConfiguration.empty());
    EXPECT_NE(refused.savedConfiguration.find("/zka-qm410.S000002.cfg"), std::string::npos)
        << refused.savedConfiguration;
    EXPECT_EQ(fileText(refused.savedConfiguration), rig.fleet.cameras()[0].configuration);

    EXPECT_EQ(rig.row(1).finalStatus, 9);
    EXPECT_EQ(rig.row(1).savedConfiguration, "");
    EXPECT_EQ(rig.backupRoot.files().size(), 1u);
    EXPECT_EQ(rig.backupRoot.stampFolders().size(), 1u);
}

TEST(BatchSchedulerTest, FourPositionsAtATimeAndTheVersionColumnAfterCompletion)
{
    std::vector<CameraSpec> cameras;
    for (int host = 2; host <= 7; ++host) {
        cameras.push_back(testCamera(host));
        cameras.back().stepSeconds = 50; // long enough for four cameras to overlap
    }
    cameras[1].softVersion = "3.10";
    cameras[2].afterUpgrade = AfterUpgrade::OldVersion;
    BatchRig rig(cameras, 4);
    std::string error;
    ASSERT_TRUE(rig.start(error)) << error;
    rig.addFleet();
    rig.startBatch();
    ASSERT_TRUE(rig.runBatch());

    EXPECT_EQ(rig.mostInProgress(), 4);
    EXPECT_EQ(rig.row(0).version, "2.45");
    // A camera at 3.x is given the 3.x firmware, and confirms it.
    EXPECT_EQ(rig.row(1).finalStatus, 9);
    EXPECT_EQ(rig.row(1).version, "3.15");
    // A camera that came back with its old version keeps it in the column.
    EXPECT_EQ(rig.row(2).finalStatus, 11);
    EXPECT_EQ(rig.row(2).version, "2.30");
    EXPECT_EQ(rig.row(2).versionAfter, "2.30");
    for (std::size_t i = 3; i < 6; ++i)
        EXPECT_EQ(rig.row(i).finalStatus, 9);
}

TEST(BatchSchedulerTest, TwoCamerasWithOneSerialKeepTwoBackupsAndGetTheirOwnSettingsBack)
{
    CameraSpec first = testCamera(2);
    CameraSpec second = testCamera(3);
    first.serial = second.serial = "SAME";
    BatchRig rig({first, second});
    std::string error;
    ASSERT_TRUE(rig.start(error)) << error;
    rig.addFleet();
    rig.startBatch(/*retain=*/true, /*keepBackup=*/true);
    ASSERT_TRUE(rig.runBatch());

    ASSERT_EQ(rig.row(0).finalStatus, 9);
    ASSERT_EQ(rig.row(1).finalStatus, 9);
    const std::string firstFile = rig.row(0).savedConfiguration;
    const std::string secondFile = rig.row(1).savedConfiguration;
    EXPECT_NE(firstFile, secondFile);
    EXPECT_EQ(rig.backupRoot.files().size(), 2u);
    // The first save takes the plain name; the second adds its camera's MAC.
    EXPECT_NE(firstFile.find("/zka-qm410.SAME.cfg"), std::string::npos) << firstFile;
    EXPECT_NE(secondFile.find("/zka-qm410.SAME.08_00_46_00_00_13.cfg"), std::string::npos) << secondFile;
    for (std::size_t i = 0; i < 2; ++i) {
        const std::string& own = rig.fleet.cameras()[i].configuration;
        EXPECT_EQ(fileText(rig.row(i).savedConfiguration), own);
        const auto restores = rig.fleet.requests(rig.fleet.cameras()[i].address);
        const auto restore = std::find_if(restores.begin(), restores.end(),
                                          [](const auto& r) { return r.path == "/command/all-configuration.cgi"; });
        ASSERT_NE(restore, restores.end());
        EXPECT_EQ(restore->payload, own) << "camera " << i;
    }
}

TEST(BatchSchedulerTest, DestroyingTheSchedulerMidBatchStopsEveryThreadQuickly)
{
    CameraSpec silent = testCamera(3);
    silent.userInquirySeconds = 100000;
    {
        // Uploading.
        BatchRig rig({testCamera(2), silent});
        std::string error;
        ASSERT_TRUE(rig.start(error)) << error;
        rig.addFleet();
        rig.startBatch();
        ASSERT_TRUE(rig.loop.runUntil([&rig] { return rig.row(0).statusCode == 3; }, 1h));
        EXPECT_LT(rig.destroyScheduler(), 2000ms);
    }
    {
        // Waiting for a camera's answer to its inquiry.
        BatchRig rig({silent});
        std::string error;
        ASSERT_TRUE(rig.start(error)) << error;
        rig.addFleet();
        rig.startBatch();
        ASSERT_TRUE(rig.loop.runUntil([&rig] { return rig.inquiries("127.0.0.3", "inq=user") == 1; }, 1h));
        EXPECT_LT(rig.destroyScheduler(), 2000ms);
    }
}

} // namespace
} // namespace zka::test
