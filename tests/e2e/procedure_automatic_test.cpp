// The upgrade procedure of jobs with a batch row (the automatic mode) against simulated cameras,
// one camera per row of the table, all in one batch: the status codes the row shows, the version
// the camera confirmed, what the camera received and the saved files left on disk.
#include "procedure_rig.h"

#include <gtest/gtest.h>

#include <set>

namespace zka::test {
namespace {

using camsim::AfterUpgrade;
using camsim::CameraSpec;
using Codes = std::vector<int>;

struct Row {
    const char* name;
    std::function<void(CameraSpec&)> camera;
    JobOptions options;
    Codes codes;           // the course of the row's status
    const char* latest;    // latestVersion at the end (the camera was inquired once before the upgrade)
    int restores = 0;      // restore requests the camera received
};

void emergency(CameraSpec& c) { c.softVersion = "emergency"; }

const std::vector<Row> kRows{
    {"new version at once", [](CameraSpec& c) { c.afterUpgrade = AfterUpgrade::Immediate; }, {}, {3, 4, 6, 9}, "ver2.45"},
    {"old version: the first answer decides", [](CameraSpec& c) { c.afterUpgrade = AfterUpgrade::OldVersion; }, {},
     {3, 4, 6, 11}, "ver2.30"},
    {"no target: the answer is the version", [](CameraSpec& c) { c.afterUpgrade = AfterUpgrade::OldVersion; },
     {.emptyTarget = true}, {3, 4, 6, 9}, "ver2.30"},
    {"refuses connections", [](CameraSpec& c) { c.afterUpgrade = AfterUpgrade::RefuseConnections; }, {}, {3, 4, 6, 11},
     "ver2.30"},
    {"inquiries hang: cut at 180 ticks", [](CameraSpec& c) { c.afterUpgrade = AfterUpgrade::HangInquiries; }, {},
     {3, 4, 6, 11}, "ver2.30"},
    {"never back", [](CameraSpec& c) { c.afterUpgrade = AfterUpgrade::NeverBack; }, {}, {3, 4, 6, 11}, "ver2.30"},
    {"answer never ends: cut, goes on", [](CameraSpec& c) { c.answerNeverEnds = true; }, {}, {3, 4, 6, 9}, "ver2.45"},
    {"emergency", emergency, {}, {3, 4, 6, 9}, "ver2.45"},
    {"emergency, never back",
     [](CameraSpec& c) {
         emergency(c);
         c.afterUpgrade = AfterUpgrade::NeverBack;
     },
     {}, {3, 4, 6, 11}, "veremergency"},
    {"retain: restored, file deleted", [](CameraSpec&) {}, {.retain = true}, {2, 3, 4, 6, 7, 4, 8, 9}, "ver2.45", 1},
    {"retain and backup, pan-tilt", [](CameraSpec& c) { c.panTilt = true; }, {.retain = true, .keepBackup = true},
     {2, 3, 4, 6, 7, 4, 8, 9}, "ver2.45", 1},
    {"restore refused 4 times", [](CameraSpec& c) { c.restoreRefusals = 4; }, {.retain = true}, {2, 3, 4, 6, 7, 4, 16},
     "ver2.45", 4},
    {"restore refused 3 times", [](CameraSpec& c) { c.restoreRefusals = 3; }, {.retain = true},
     {2, 3, 4, 6, 7, 4, 8, 9}, "ver2.45", 4},
    {"silent after the restore: 300 s", [](CameraSpec& c) { c.silentAfterRestore = true; }, {.retain = true},
     {2, 3, 4, 6, 7, 4, 8, 9}, "ver2.45", 1},
    {"saved file lost: nothing sent", [](CameraSpec&) {}, {.retain = true}, {2, 3, 4, 6, 7, 16}, "ver2.45", 0},
    {"HTML instead of the configuration", [](CameraSpec& c) { c.htmlInsteadOfConfig = true; }, {.retain = true},
     {2, 15}, "ver2.30"},
    {"empty configuration", [](CameraSpec& c) { c.emptyConfig = true; }, {.retain = true}, {2, 15}, "ver2.30"},
    {"dropped during the upload", [](CameraSpec& c) { c.dropDuringUpload = true; }, {}, {3, 10}, "ver2.30"},
    {"dropped after the upload, found", [](CameraSpec& c) { c.dropAfterUpload = true; }, {}, {3, 4, 5, 9}, "ver2.45"},
    {"dropped after the upload, not found",
     [](CameraSpec& c) {
         c.dropAfterUpload = true;
         c.afterUpgrade = AfterUpgrade::NeverBack;
     },
     {}, {3, 4, 5, 10}, "ver2.30"},
    {"dropped, found, restored: 5 to 7, never 9 first", [](CameraSpec& c) { c.dropAfterUpload = true; },
     {.retain = true}, {2, 3, 4, 5, 7, 4, 8, 9}, "ver2.45", 1},
};
constexpr std::size_t kLostFileRow = 14;

TEST(AutomaticProcedureTest, EveryRowOfABatchEndsWithTheCodeOfItsCamera)
{
    std::vector<CameraSpec> cameras;
    for (std::size_t i = 0; i < kRows.size(); ++i) {
        cameras.push_back(testCamera(static_cast<int>(2 + i)));
        kRows[i].camera(cameras.back());
    }
    UpgradeRig rig(cameras);
    std::string error;
    ASSERT_TRUE(rig.start(error)) << error;
    for (std::size_t i = 0; i < kRows.size(); ++i) {
        auto& job = rig.add(cameras[i].address, kRows[i].options);
        // The batch inquires before it starts a camera; so the job knows emergency firmware.
        ASSERT_TRUE(job.checkSystemReply(job.client().query("inq=system", std::chrono::seconds(20)).text));
    }
    auto& unreachable = rig.add("127.0.0.99");
    // One row's saved file disappears while its restore waits its first 10 s.
    bool fileLost = false;
    const auto loseFile = [&] {
        if (fileLost || rig.job(kLostFileRow).stage() != UpgradeStage::Restoring)
            return;
        for (const auto& file : rig.backupRoot.files()) {
            if (file.filename() == "zka-qm410." + cameras[kLostFileRow].serial + ".cfg")
                fileLost = std::filesystem::remove(file);
        }
    };
    // One upload at a time, as the batch's scheduler would rather not have twenty at once.
    for (std::size_t i = 0; i <= kRows.size(); ++i) {
        rig.job(i).start();
        ASSERT_TRUE(rig.runUntil([&] {
            loseFile();
            return rig.job(i).workerDone() || rig.job(i).stage() > UpgradeStage::Uploading;
        }, std::chrono::minutes(30)));
    }
    ASSERT_TRUE(rig.runUntil([&] {
        loseFile();
        return rig.allFinal();
    }, std::chrono::minutes(30)));
    ASSERT_TRUE(fileLost);

    for (std::size_t i = 0; i < kRows.size(); ++i) {
        SCOPED_TRACE(kRows[i].name);
        const std::string& address = cameras[i].address;
        EXPECT_TRUE(followsCourse(rig.trace(i), kRows[i].codes));
        // Never the target version unless the camera reported it.
        EXPECT_EQ(rig.job(i).latestVersion(), kRows[i].latest);
        EXPECT_EQ(rig.requests(address, "/command/all-configuration.cgi").size() +
                      rig.requests(address, "/command/all-configuration-preset.cgi").size(),
                  static_cast<std::size_t>(kRows[i].restores));
        // A batch row ends as its code: no failure is told to be shown as a message.
        for (const UpgradeJob::Outcome told : rig.outcomes(i)) {
            EXPECT_TRUE(told == UpgradeJob::Outcome::Confirmed || told == UpgradeJob::Outcome::ConfirmedAfterSearch)
                << static_cast<int>(told);
        }
        EXPECT_TRUE(rig.job(i).errorCode() != 9 || rig.progress(i) == 10000);
    }
    EXPECT_EQ(unreachable.errorCode(), 10);

    // The old version was decided by one answer; hanging inquiries were cut before the twentieth.
    EXPECT_EQ(rig.inquiries(cameras[1].address, "inq=system"), 2);
    EXPECT_LT(rig.inquiries(cameras[4].address, "inq=system"), 20);
    // The restores: the camera's own configuration, with the factory login, by the pan-tilt path
    // when the camera has one.
    const auto restored = rig.requests(cameras[9].address, "/command/all-configuration.cgi").at(0);
    EXPECT_EQ(restored.payload, rig.fleet.cameras()[9].configuration);
    EXPECT_TRUE(restored.authorized);
    EXPECT_EQ(rig.requests(cameras[10].address, "/command/all-configuration-preset.cgi").size(), 1u);
    // Files left: the kept backup, the ones never restored, and the empty file of the HTML answer.
    std::set<std::string> left;
    for (const auto& file : rig.backupRoot.files())
        left.insert(file.filename().string());
    const auto name = [&](std::size_t row) { return "zka-qm410." + cameras[row].serial + ".cfg"; };
    EXPECT_EQ(left, (std::set<std::string>{name(10), name(11), name(15)}));
}

} // namespace
} // namespace zka::test
