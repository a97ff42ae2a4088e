// Where configuration backups go, how their names are made safe, and the folders made for them.
#include "camera/BackupLocation.h"
#include "camera/ConfigBackup.h"

#include "runtime/Clock.h"
#include "support/ScopedEnv.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace zka {
namespace {

namespace fs = std::filesystem;
using std::chrono::seconds;
using std::chrono::system_clock;

const system_clock::time_point kDec6At1530Utc{seconds(1228577400)};

using test::ScopedEnv;

class TempFolder final {
public:
    TempFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "zka-backup-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TempFolder() { fs::remove_all(path_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

unsigned permissions(const std::string& path)
{
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

TEST(BackupLocationTest, FolderIsNamedByTheLocalMinute)
{
    {
        const ScopedEnv tz("TZ", "UTC0");
        EXPECT_EQ(backupTimeStamp(kDec6At1530Utc), "0812061530");
    }
    {
        const ScopedEnv tz("TZ", "JST-9");
        EXPECT_EQ(backupTimeStamp(kDec6At1530Utc), "0812070030");
    }
}

TEST(BackupLocationTest, PathCarriesModelInLowerCaseAndSerial)
{
    const ScopedEnv tz("TZ", "UTC0");
    EXPECT_EQ(backupFilePath("/opt/pf", kDec6At1530Utc, "ZKA-QM410", "S0012345"),
              "/opt/pf/VELM/ZKA FirmwareUpgrade/Configurations/0812061530/zka-qm410.S0012345.cfg");
    // A serial longer than a file name allows is cut, so that the save does not fail on its name.
    const std::string longSerial = std::string(64, 'a') + std::string(300, 'b');
    EXPECT_EQ(fs::path(backupFilePath("/opt/pf", kDec6At1530Utc, "ZKA-QM410", longSerial)).filename(),
              "zka-qm410." + std::string(64, 'a') + ".cfg");
}

TEST(BackupLocationTest, SerialCannotLeaveTheFolder)
{
    EXPECT_EQ(safeFileNamePart("AB-12_cd"), "AB-12_cd");
    EXPECT_EQ(safeFileNamePart("../../etc/passwd"), "______etc_passwd");
    EXPECT_EQ(safeFileNamePart("a\\b c\td\n\x01"), "a_b_c_d__");
    EXPECT_EQ(safeFileNamePart("S\xC3\xA9rie"), "S__rie"); // every byte of a non-ASCII letter
    const ScopedEnv tz("TZ", "UTC0");
    const std::string path = backupFilePath("/r", kDec6At1530Utc, "ZKA-QM410", "../../../../tmp/x");
    EXPECT_EQ(fs::path(path).parent_path(), "/r/VELM/ZKA FirmwareUpgrade/Configurations/0812061530");
    EXPECT_EQ(fs::path(path).filename(), "zka-qm410.____________tmp_x.cfg");
}

TEST(BackupLocationTest, RootComesFromProgramFilesThenXdgThenHome)
{
    const ScopedEnv home("HOME", "/home/operator");
    {
        const ScopedEnv pf("ProgramFiles", "/srv/pf/");
        const ScopedEnv xdg("XDG_DATA_HOME", "/xdg");
        EXPECT_EQ(backupRoot(), "/srv/pf");
    }
    {
        const ScopedEnv pf("ProgramFiles", "");
        const ScopedEnv xdg("XDG_DATA_HOME", "/xdg");
        EXPECT_EQ(backupRoot(), "/xdg");
    }
    {
        const ScopedEnv pf("ProgramFiles", nullptr);
        const ScopedEnv xdg("XDG_DATA_HOME", "relative/ignored");
        EXPECT_EQ(backupRoot(), "/home/operator/.local/share");
    }
}

TEST(BackupLocationTest, OnlyADeploymentRootMustExistBeforehand)
{
    const ScopedEnv home("HOME", "/home/operator");
    {
        const ScopedEnv pf("ProgramFiles", "/srv/pf");
        EXPECT_EQ(backupRootGivenLength(), std::string("/srv/pf").size());
    }
    const ScopedEnv pf("ProgramFiles", nullptr);
    {
        // A fresh account has no ~/.local/share: everything below the home folder is created.
        const ScopedEnv xdg("XDG_DATA_HOME", nullptr);
        EXPECT_EQ(backupRootGivenLength(), std::string("/home/operator").size());
    }
    {
        const ScopedEnv xdg("XDG_DATA_HOME", "/data/op");
        EXPECT_EQ(backupRootGivenLength(), 0u);
    }
}

TEST(ConfigBackupTest, ConstructionBuildsUrlHeaderAndPath)
{
    const ScopedEnv pf("ProgramFiles", "/pf");
    const ScopedEnv tz("TZ", "UTC0");
    const SystemClock clock;
    const ConfigBackup backup(clock, "192.168.0.10:8080", ConfigBackup::cameraFilePath("ZKA-QM410"), "YWRtaW46c2VjcmV0",
                              kDec6At1530Utc, "ZKA-QM410", "S0000002", true);
    EXPECT_EQ(ConfigBackup::cameraFilePath("ZKA-QM410"), "/home/l4/zka-qm410.cfg");
    EXPECT_EQ(backup.sourceUrl(), "HTTP://192.168.0.10:8080/home/l4/zka-qm410.cfg");
    EXPECT_EQ(backup.authorizationHeader(), "Authorization: Basic YWRtaW46c2VjcmV0");
    EXPECT_EQ(backup.localPath(), "/pf/VELM/ZKA FirmwareUpgrade/Configurations/0812061530/zka-qm410.S0000002.cfg");
    EXPECT_FALSE(backup.restored());
}

TEST(ConfigBackupTest, MakeFoldersCreatesUserOnlyFoldersBelowTheRoot)
{
    const TempFolder temp;
    const std::string root = temp.path() + "/pf";
    const std::string file = root + "/VELM/ZKA FirmwareUpgrade/Configurations/0812061530/zka-qm410.S1.cfg";
    std::string error;
    // The root itself is taken as given: it is not created.
    EXPECT_FALSE(ConfigBackup::makeFolders(file, root.size(), &error));
    EXPECT_FALSE(fs::exists(root));
    EXPECT_NE(error.find(root + "/VELM"), std::string::npos) << error;

    fs::create_directory(root);
    ::chmod(root.c_str(), 0755);
    EXPECT_TRUE(ConfigBackup::makeFolders(file, root.size(), &error)) << error;
    EXPECT_TRUE(fs::is_directory(fs::path(file).parent_path()));
    EXPECT_EQ(permissions(root), 0755u); // left as it was
    EXPECT_EQ(permissions(root + "/VELM"), 0700u);
    EXPECT_EQ(permissions(fs::path(file).parent_path().string()), 0700u);
    EXPECT_FALSE(fs::exists(file));
    // Existing folders are fine.
    EXPECT_TRUE(ConfigBackup::makeFolders(file, root.size(), &error));
}

TEST(ConfigBackupTest, MakeFoldersRefusesTwentySeparators)
{
    const TempFolder temp;
    auto withSeparators = [&](long count) {
        std::string path = temp.path();
        while (std::count(path.begin(), path.end(), '/') < count - 1)
            path += "/d";
        return path + "/x.cfg";
    };
    std::string error;
    const std::string nineteen = withSeparators(19);
    EXPECT_TRUE(ConfigBackup::makeFolders(nineteen, temp.path().size(), &error)) << error;
    EXPECT_TRUE(fs::is_directory(fs::path(nineteen).parent_path()));
    const std::string twenty = withSeparators(20);
    EXPECT_FALSE(ConfigBackup::makeFolders(twenty, temp.path().size(), &error));
    EXPECT_FALSE(fs::exists(fs::path(twenty).parent_path()));
}

TEST(ConfigBackupTest, DeleteSavedFileOnlyWhenAskedFor)
{
    const TempFolder temp;
    const ScopedEnv pf("ProgramFiles", temp.path().c_str());
    const SystemClock clock;
    for (const bool deleteAfterRestore : {false, true}) {
        ConfigBackup backup(clock, "127.0.0.2", "/home/l4/zka-qm410.cfg", "x", kDec6At1530Utc, "ZKA-QM410", "S1",
                            deleteAfterRestore);
        ASSERT_TRUE(ConfigBackup::makeFolders(backup.localPath(), temp.path().size()));
        std::ofstream(backup.localPath()) << "[camera]\n";
        EXPECT_EQ(backup.deleteSavedFile(), deleteAfterRestore);
        EXPECT_EQ(fs::exists(backup.localPath()), !deleteAfterRestore);
        std::vector<std::uint8_t> bytes{1, 2, 3};
        // Nothing was saved by this object: there is nothing to read back, and nothing is handed out.
        EXPECT_FALSE(backup.readSaved(bytes));
        EXPECT_TRUE(bytes.empty());
    }
}

} // namespace
} // namespace zka
