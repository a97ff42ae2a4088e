// The credential encoding, the reply readers and the decisions taken on inquiry replies: the
// messages an operator sees, the codes a batch row gets, the versions a context records.
#include "http/Base64.h"
#include "camera/CameraContext.h"
#include "camera/CameraIdentity.h"
#include "camera/InquiryReply.h"
#include "camera_http_host.h"

#include <gtest/gtest.h>

namespace zka {
namespace {

using test::CameraTestHost;

const char* const kNotSupported = "This program works for the ZKA-QM410. Please select the correct camera.";

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
    std::unique_ptr<CameraContext> makeContext(std::string credential = "YWRtaW46YWRtaW4=")
    {
        return std::make_unique<CameraContext>(env.host(), "127.0.0.1", std::move(credential), env.models, 7);
    }
    Message warning(const std::string& text) const { return Message{text, "Information", MessageIcon::Warning, MessageButtons::Ok}; }

    CameraTestHost env;
};

TEST_F(InquiryTest, SystemReplyChecksTheModelExactly)
{
    auto context = makeContext();
    EXPECT_TRUE(context->checkSystemReply("ModelName=ZKA-QM411&SoftVersion=2.30", true));
    EXPECT_FALSE(context->checkSystemReply("ModelName=zka-qm410&SoftVersion=2.30", true));
    EXPECT_FALSE(context->checkSystemReply("ModelName=ZKA-QM4100", true));
    EXPECT_FALSE(context->checkSystemReply("", true));
    EXPECT_FALSE(context->checkSystemReply("ModelName=OTHER", false));
    // No reply at all says nothing about the model: the camera was not found.
    EXPECT_EQ(env.prompter.messages(),
              (std::vector<Message>{warning(kNotSupported), warning(kNotSupported),
                                    warning("Cannot find the camera. (The camera may be turned off.)")}));

    // A refused login names no model; the operator is told to correct the login, not the camera.
    env.prompter.clear();
    EXPECT_FALSE(context->checkSystemReply("401 Unauthorized", true));
    EXPECT_EQ(env.prompter.messages(),
              std::vector<Message>{warning("Please enter correct user name and password for the administrator.")});
}

TEST_F(InquiryTest, VersionsOfTheFirstAndLaterInquiries)
{
    auto context = makeContext();
    EXPECT_EQ(context->currentVersion(), "");
    // The last pair needs no "&" after it.
    EXPECT_TRUE(context->checkSystemReply("ModelName=ZKA-QM410&SoftVersion=2.30", false));
    EXPECT_EQ(context->currentVersion(), "ver2.30");
    EXPECT_EQ(context->latestVersion(), "ver2.30");
    EXPECT_TRUE(context->checkSystemReply("ModelName=ZKA-QM410&SoftVersion=2.45&Serial=9", false));
    EXPECT_EQ(context->currentVersion(), "ver2.30");
    EXPECT_EQ(context->latestVersion(), "ver2.45");
    // A reply without a version leaves both alone; an unsupported one records nothing.
    EXPECT_TRUE(context->checkSystemReply("ModelName=ZKA-QM410", false));
    EXPECT_FALSE(context->checkSystemReply("ModelName=OTHER&SoftVersion=9.99", false));
    EXPECT_EQ(context->latestVersion(), "ver2.45");
    EXPECT_FALSE(context->emergency());
}

TEST_F(InquiryTest, EmergencyFirmware)
{
    auto context = makeContext();
    CameraContext::SystemInfo info;
    EXPECT_TRUE(context->readSystemReply("ModelName=ZKA-QM410&Serial=S77&SoftVersion=emergency&DocType=PT", true, info));
    EXPECT_TRUE(context->emergency());
    EXPECT_EQ(context->currentVersion(), "unknown");
    EXPECT_EQ(context->latestVersion(), "veremergency");
    EXPECT_EQ(info.version, "unknown");
    EXPECT_EQ(info.tag, 7);
    EXPECT_EQ(env.prompter.count(), 0u);
}

TEST_F(InquiryTest, ReadSystemReplyHandsBackTheValues)
{
    auto context = makeContext();
    CameraContext::SystemInfo info;
    EXPECT_TRUE(context->readSystemReply("ModelName=ZKA-QM410&SoftVersion=3.10&Serial=AB12", true, info));
    EXPECT_EQ(info.version, "3.10");
    EXPECT_EQ(info.serial, "AB12");
    EXPECT_FALSE(context->readSystemReply("ModelName=ZKA-X&SoftVersion=1.0", true, info));
    EXPECT_EQ(info.model, "ZKA-X");
    EXPECT_EQ(info.serial, "");
    EXPECT_EQ(env.prompter.messages(), std::vector<Message>{warning(kNotSupported)});
}

TEST_F(InquiryTest, UserReplyInTheManualModeShowsWhyTheLoginFails)
{
    // The camera sends each "=" of the administrator's credential as "%3D".
    auto context = makeContext("YWRtaW46YWI=");
    EXPECT_TRUE(context->checkUserReply("Administrator=YWRtaW46YWI%3D&Level=4"));
    auto twoPads = makeContext("YWRtaW46YQ==");
    EXPECT_TRUE(twoPads->checkUserReply("Administrator=YWRtaW46YQ%3D%3D"));
    EXPECT_EQ(env.prompter.count(), 0u);

    EXPECT_FALSE(context->checkUserReply("401 Unauthorized"));
    EXPECT_FALSE(context->checkUserReply(""));
    EXPECT_FALSE(context->checkUserReply("Administrator=dXNlcjp1c2Vy"));
    EXPECT_FALSE(context->checkUserReply("Administrator=YWRtaW46YWI%3D%3D"));
    EXPECT_EQ(context->errorCode(), 0);
    const std::vector<Message> expected{
        warning("Please enter correct user name and password for the administrator."),
        warning("Cannot find the camera. (The camera may be turned off.)"),
        warning("Level 4 users other than Administrator cannot run the program."),
        warning("Level 4 users other than Administrator cannot run the program."),
    };
    EXPECT_EQ(env.prompter.messages(), expected);
}

TEST_F(InquiryTest, UserReplyInTheBatchSetsTheRowsCode)
{
    std::atomic<int> row{0};
    auto context = makeContext();
    context->setListRow(&row);
    EXPECT_FALSE(context->checkUserReply("401 Unauthorized"));
    EXPECT_EQ(context->errorCode(), 12);
    EXPECT_FALSE(context->checkUserReply("Level=4"));
    EXPECT_EQ(context->errorCode(), 10);
    EXPECT_FALSE(context->checkUserReply("Administrator=b3RoZXI6b3RoZXI%3D"));
    EXPECT_EQ(context->errorCode(), 12);
    EXPECT_TRUE(context->checkUserReply("Administrator=YWRtaW46YWRtaW4%3D"));
    EXPECT_EQ(env.prompter.count(), 0u);
    // The model check shows no message when asked not to, and sets no code.
    EXPECT_FALSE(context->checkSystemReply("ModelName=X", false));
    EXPECT_EQ(env.prompter.count(), 0u);
}

TEST_F(InquiryTest, MacAddressWithDashes)
{
    auto context = makeContext();
    std::string mac;
    int tag = -1;
    EXPECT_TRUE(context->readMacAddress("MacAddress=08:00:46:00:00:02&X=1", mac, tag));
    EXPECT_EQ(mac, "08-00-46-00-00-02");
    EXPECT_EQ(tag, 7);
    EXPECT_FALSE(context->readMacAddress("", mac, tag));
    EXPECT_EQ(mac, "");
    EXPECT_FALSE(context->readMacAddress("MacAddress=&X=1", mac, tag));
}

} // namespace
} // namespace zka
