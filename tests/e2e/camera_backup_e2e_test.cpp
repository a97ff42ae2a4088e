// The configuration backup: saved from simulated cameras in the network sandbox, read back, sent
// back and deleted, and the answers that are not a configuration.
#include "camera_upload_fixture.h"

#include "camera_upload_canned_server.h"

#include <fstream>
#include <sys/stat.h>

namespace zka::test {
namespace {

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
    auto job = makeJob();
    job->setRestoreData(buffer);
    ASSERT_EQ(job->restoreConfiguration(), 0);
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
    auto job = makeJob();
    job->setRestoreData(buffer);
    EXPECT_EQ(job->restoreConfiguration(), -1);
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
    CannedHttpServer server("127.0.0.3", 8081,
                                  "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(512 + rest.size()) +
                                      "\r\nConnection: close\r\n\r\n" + firstBlock + rest);
    ASSERT_TRUE(server.listening());
    auto upper = backup("127.0.0.3:8081");
    EXPECT_FALSE(upper.saveFromCamera());
    EXPECT_EQ(contents(upper.localPath()), firstBlock);

    std::string lowerRest = rest;
    lowerRest.replace(0, 6, "<html>");
    CannedHttpServer lower("127.0.0.3", 8082,
                                 "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(512 + lowerRest.size()) +
                                     "\r\nConnection: close\r\n\r\n" + firstBlock + lowerRest);
    auto saved = backup("127.0.0.3:8082");
    EXPECT_TRUE(saved.saveFromCamera()) << saved.errorText();
    EXPECT_EQ(contents(saved.localPath()), firstBlock + lowerRest);
}

TEST_F(BackupE2eTest, EmptyOrCutShortAnswersAreNoConfigurationAndLeaveNoFile)
{
    struct Case {
        const char* what;
        std::uint16_t port;
        std::string answer;
        const char* reason;
    };
    const Case cases[] = {
        {"empty body", 8083, "HTTP/1.1 200 OK\r\nContent-Length: 0\r\nConnection: close\r\n\r\n", "empty"},
        {"closed before its length", 8084,
         "HTTP/1.1 200 OK\r\nContent-Length: 4000\r\nConnection: close\r\n\r\n" + std::string(700, 'c'),
         "700 of 4000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CannedHttpServer server("127.0.0.3", c.port, c.answer);
        ASSERT_TRUE(server.listening());
        auto saved = backup("127.0.0.3:" + std::to_string(c.port));
        EXPECT_FALSE(saved.saveFromCamera());
        EXPECT_NE(saved.errorText().find(c.reason), std::string::npos) << saved.errorText();
        EXPECT_FALSE(fs::exists(saved.localPath()));
        EXPECT_EQ(saved.savedSize(), 0u);
    }
}

} // namespace
} // namespace zka::test
