// The credential encoding, the reply readers and the versions an upgrade job records from the
// inquiry replies.
#include "http/Base64.h"
#include "camera/CameraIdentity.h"
#include "upgrade/UpgradeJob.h"
#include "camera/InquiryReply.h"
#include "camera_http_host.h"

#include <gtest/gtest.h>

namespace zka {
namespace {

using test::CameraTestHost;

TEST(Base64, EncodesCredentialsWithPadding)
{
    EXPECT_EQ(encodeBase64(""), "");
    EXPECT_EQ(encodeBase64("a"), "YQ==");
    EXPECT_EQ(encodeBase64("ab"), "YWI=");
    EXPECT_EQ(encodeBase64("abc"), "YWJj");
    EXPECT_EQ(encodeBase64("admin:admin"), "YWRtaW46YWRtaW4=");
    const std::string binary("\xfb\xff\x00\x3e", 4);
    EXPECT_EQ(encodeBase64(binary), "+/8APg==");
    // 57 bytes, the longest login the credential field holds, give 76 characters.
    EXPECT_EQ(encodeBase64(std::string(57, 'x')).size(), 76u);
    // Each result is a text of its own: a later call does not change an earlier one.
    const std::string first = encodeBase64("first:one");
    const std::string second = encodeBase64("second:two");
    EXPECT_EQ(first, "Zmlyc3Q6b25l");
    EXPECT_EQ(second, "c2Vjb25kOnR3bw==");
}

TEST(Base64, TakesTheLengthModulo65536)
{
    const std::string longText(65536 + 3, 'a');
    EXPECT_EQ(encodeBase64(longText), "YWFh");
}

TEST(InquiryReply, ReadsValuesUpToTheNextAmpersand)
{
    const std::string reply = "ModelName=ZKA-QM410&Serial=1234&SoftVersion=2.30&DocType=";
    EXPECT_EQ(replyValue(reply, "ModelName="), "ZKA-QM410");
    EXPECT_EQ(replyValue(reply, "Serial="), "1234");
    EXPECT_EQ(replyValue(reply, "SoftVersion="), "2.30");
    EXPECT_EQ(replyValue(reply, "DocType="), "");
    EXPECT_TRUE(findReplyValue(reply, "DocType=").has_value());
    EXPECT_FALSE(findReplyValue(reply, "MacAddress=").has_value());
    EXPECT_EQ(readDocType("A=1&DocType=PT&B=2"), "PT");
    EXPECT_EQ(readDocType("ModelName=ZKA-QM410"), "");
    // The first occurrence counts, wherever it stands.
    EXPECT_EQ(replyValue("XSerial=1&Serial=2", "Serial="), "1");
}

TEST(CameraIdentity, ReadsTheSystemReply)
{
    const SupportedModels models{"ZKA-QM410", "ZKA-QM411"};
    struct Row {
        std::string reply;
        std::string model;
        std::string version; // as a list shows it
        std::string serial;
        std::string mac;
        std::string docType;
        bool panTilt;
        bool emergency;
        bool supported;
    };
    const std::vector<Row> rows{
        // The model is compared exactly.
        {"ModelName=ZKA-QM411&SoftVersion=2.30", "ZKA-QM411", "2.30", "", "", "", false, false, true},
        {"ModelName=zka-qm410&SoftVersion=2.30", "zka-qm410", "2.30", "", "", "", false, false, false},
        {"ModelName=ZKA-QM4100", "ZKA-QM4100", "", "", "", "", false, false, false},
        {"", "", "", "", "", "", false, false, false},
        {"401 Unauthorized", "", "", "", "", "", false, false, false},
        // An unsupported camera's values are read all the same.
        {"ModelName=ZKA-X&SoftVersion=1.0", "ZKA-X", "1.0", "", "", "", false, false, false},
        {"ModelName=ZKA-QM410&SoftVersion=3.10&Serial=AB12", "ZKA-QM410", "3.10", "AB12", "", "", false, false, true},
        {"ModelName=ZKA-QM410&Serial=S77&SoftVersion=emergency&DocType=PT", "ZKA-QM410", "unknown", "S77", "", "PT",
         false, true, true},
        {"ModelName=ZKA-QM410&Serial=S0000002&SoftVersion=2.30&DocType=B&PanTiltFunc=1", "ZKA-QM410", "2.30",
         "S0000002", "", "B", true, false, true},
        {"MacAddress=08:00:46:00:00:02&X=1", "", "", "", "08-00-46-00-00-02", "", false, false, false},
        {"MacAddress=&X=1", "", "", "", "", "", false, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.reply);
        const CameraIdentity identity = CameraIdentity::fromSystemReply(row.reply, models);
        EXPECT_EQ(identity.model, row.model);
        EXPECT_EQ(identity.versionText(), row.version);
        EXPECT_EQ(identity.serial, row.serial);
        EXPECT_EQ(identity.mac, row.mac);
        EXPECT_EQ(identity.docType, row.docType);
        EXPECT_EQ(identity.panTilt, row.panTilt);
        EXPECT_EQ(identity.emergency(), row.emergency);
        EXPECT_EQ(identity.supported, row.supported);
    }
    // Only the first ten models of the list count.
    SupportedModels eleven(10, "ZKA-QM400");
    eleven.push_back("ZKA-QM410");
    EXPECT_FALSE(CameraIdentity::fromSystemReply("ModelName=ZKA-QM410", eleven).supported);
}

TEST(CameraIdentity, AdministratorCheckOfTheUserReply)
{
    // The camera sends each "=" of the administrator's credential as "%3D".
    EXPECT_EQ(checkAdministrator("Administrator=YWRtaW46YWI%3D&Level=4", "YWRtaW46YWI="), UserCheck::Administrator);
    EXPECT_EQ(checkAdministrator("Administrator=YWRtaW46YQ%3D%3D", "YWRtaW46YQ=="), UserCheck::Administrator);
    EXPECT_EQ(checkAdministrator("401 Unauthorized", "YWRtaW46YWI="), UserCheck::LoginRefused);
    EXPECT_EQ(checkAdministrator("", "YWRtaW46YWI="), UserCheck::NoAdministrator);
    EXPECT_EQ(checkAdministrator("Level=4", "YWRtaW46YWI="), UserCheck::NoAdministrator);
    EXPECT_EQ(checkAdministrator("Administrator=dXNlcjp1c2Vy", "YWRtaW46YWI="), UserCheck::OtherUser);
    EXPECT_EQ(checkAdministrator("Administrator=YWRtaW46YWI%3D%3D", "YWRtaW46YWI="), UserCheck::OtherUser);
}

class InquiryTest : public ::testing::Test {
protected:
    std::unique_ptr<UpgradeJob> makeJob(std::string credential = "YWRtaW46YWRtaW4=")
    {
        return std::make_unique<UpgradeJob>(env.host(), "127.0.0.1", std::move(credential), env.models);
    }

    CameraTestHost env;
};

TEST_F(InquiryTest, VersionsOfTheFirstAndLaterInquiries)
{
    auto job = makeJob();
    EXPECT_EQ(job->currentVersion(), "");
    // The last pair needs no "&" after it.
    EXPECT_TRUE(job->checkSystemReply("ModelName=ZKA-QM410&SoftVersion=2.30"));
    EXPECT_EQ(job->currentVersion(), "ver2.30");
    EXPECT_EQ(job->latestVersion(), "ver2.30");
    EXPECT_TRUE(job->checkSystemReply("ModelName=ZKA-QM410&SoftVersion=2.45&Serial=9"));
    EXPECT_EQ(job->currentVersion(), "ver2.30");
    EXPECT_EQ(job->latestVersion(), "ver2.45");
    // A reply without a version leaves both alone; an unsupported one records nothing.
    EXPECT_TRUE(job->checkSystemReply("ModelName=ZKA-QM410"));
    EXPECT_FALSE(job->checkSystemReply("ModelName=OTHER&SoftVersion=9.99"));
    EXPECT_EQ(job->latestVersion(), "ver2.45");
    EXPECT_FALSE(job->emergency());
    // The model is compared exactly, and a refused login or no reply names none.
    EXPECT_TRUE(job->checkSystemReply("ModelName=ZKA-QM411&SoftVersion=2.30"));
    EXPECT_FALSE(job->checkSystemReply("ModelName=zka-qm410&SoftVersion=2.30"));
    EXPECT_FALSE(job->checkSystemReply("ModelName=ZKA-QM4100"));
    EXPECT_FALSE(job->checkSystemReply(""));
    EXPECT_FALSE(job->checkSystemReply("401 Unauthorized"));
    EXPECT_EQ(env.prompter.count(), 0u);
}

TEST_F(InquiryTest, EmergencyFirmware)
{
    auto job = makeJob();
    const std::string reply = "ModelName=ZKA-QM410&Serial=S77&SoftVersion=emergency&DocType=PT";
    EXPECT_TRUE(job->checkSystemReply(reply));
    EXPECT_TRUE(job->emergency());
    EXPECT_EQ(job->currentVersion(), "unknown");
    EXPECT_EQ(job->latestVersion(), "veremergency");
    EXPECT_EQ(CameraIdentity::fromSystemReply(reply, env.models).versionText(), "unknown");
    EXPECT_EQ(env.prompter.count(), 0u);
}

} // namespace
} // namespace zka
