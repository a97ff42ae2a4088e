// The check before an upgrade: which inquiries it sends, in which order and with which time-outs,
// the verdict it gives on each kind of reply, and how the front ends tell a refusal.
#include "upgrade/TargetCheck.h"

#include "resources/ResourceStore.h"
#include "resources/ResourceText.h"
#include "support/ScriptedPrompter.h"
#include "upgrade/VerdictWords.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace zka {
namespace {

using namespace std::chrono_literals;

const SupportedModels kModels{"ZKA-QM410", "ZKA-QM411"};
const char* const kCredential = "YWRtaW46YWRtaW4=";
const char* const kSystem = "ModelName=ZKA-QM410&Serial=S20&SoftVersion=2.30&DocType=PT";
const char* const kAdministrator = "Administrator=YWRtaW46YWRtaW4%3D&Level=4";

// Answers each inquiry from a script and records what was asked.
struct ScriptedQuery {
    std::string system;
    std::string user;
    std::vector<std::string> bodies;
    std::vector<Clock::Duration> timeouts;

    TargetCheck::Result run(bool stopAtUser = false)
    {
        std::stop_source stop;
        const TargetCheck check(kModels, kCredential);
        return check.run(
            [&](const std::string& body, Clock::Duration timeout, std::stop_token) {
                bodies.push_back(body);
                timeouts.push_back(timeout);
                if (body == "inq=user" && stopAtUser)
                    stop.request_stop();
                return body == "inq=system" ? system : user;
            },
            stop.get_token());
    }
};

TEST(TargetCheck, VerdictsOfTheSystemAndTheUserReplies)
{
    struct Case {
        std::string system;
        std::string user;
        TargetVerdict verdict;
        bool userAsked;
    };
    const std::vector<Case> cases{
        {kSystem, kAdministrator, TargetVerdict::Accepted, true},
        {"", kAdministrator, TargetVerdict::NoAnswer, false},
        {"401 Unauthorized", kAdministrator, TargetVerdict::LoginRefused, false},
        {"<html>It works</html>", kAdministrator, TargetVerdict::NotACamera, false},
        {"ModelName=ZKA-QM999&SoftVersion=2.30", kAdministrator, TargetVerdict::UnsupportedModel, false},
        {kSystem, "", TargetVerdict::NoAnswer, true},
        {kSystem, "401 Unauthorized", TargetVerdict::LoginRefused, true},
        {kSystem, "<html>It works</html>", TargetVerdict::NoAdministratorNamed, true},
        {kSystem, "Administrator=dXNlcjp1c2Vy&Level=4", TargetVerdict::NotAdministrator, true},
        // Emergency firmware knows no users: its camera is not asked for them.
        {"ModelName=ZKA-QM410&SoftVersion=emergency", "", TargetVerdict::Accepted, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.system + " / " + c.user);
        ScriptedQuery query{c.system, c.user, {}, {}};
        const TargetCheck::Result result = query.run();
        EXPECT_EQ(result.verdict, c.verdict);
        const std::vector<std::string> expected = c.userAsked ? std::vector<std::string>{"inq=system", "inq=user"}
                                                              : std::vector<std::string>{"inq=system"};
        EXPECT_EQ(query.bodies, expected);
        EXPECT_EQ(query.timeouts, std::vector<Clock::Duration>(expected.size(), Clock::Duration(20s)));
        // The identity is the camera's once its model passed, whatever the user reply said.
        EXPECT_EQ(result.systemPassed, result.identity.supported);
        EXPECT_EQ(result.systemPassed, c.userAsked || c.verdict == TargetVerdict::Accepted);
    }
}

TEST(TargetCheck, HandsBackTheIdentityOrStops)
{
    ScriptedQuery accepted{kSystem, kAdministrator, {}, {}};
    const TargetCheck::Result result = accepted.run();
    EXPECT_EQ(result.identity.model, "ZKA-QM410");
    EXPECT_EQ(result.identity.versionText(), "2.30");
    EXPECT_EQ(result.identity.serial, "S20");
    EXPECT_EQ(result.identity.docType, "PT");

    // A stop during an inquiry ends the check without a verdict on the camera.
    ScriptedQuery stopped{kSystem, kAdministrator, {}, {}};
    EXPECT_EQ(stopped.run(true).verdict, TargetVerdict::Stopped);
}

TEST(TargetCheck, RefusalsAreToldAsAWarningOrARowCode)
{
    test::ScriptedPrompter prompter;
    const ResourceText texts(embeddedResources(), prompter);
    // The camera sends each "=" of the administrator's credential as "%3D".
    const TargetCheck check(kModels, "YWRtaW46YWI=");
    EXPECT_EQ(check.judgeUser("Administrator=YWRtaW46YWI%3D&Level=4"), TargetVerdict::Accepted);
    EXPECT_EQ(TargetCheck(kModels, "YWRtaW46YQ==").judgeUser("Administrator=YWRtaW46YQ%3D%3D"), TargetVerdict::Accepted);

    const std::string notFound = "Cannot find the camera. (The camera may be turned off.)";
    const std::string notSupported = "This program works for the ZKA-QM410. Please select the correct camera.";
    const std::string badLogin = "Please enter correct user name and password for the administrator.";
    const std::string otherUser = "Level 4 users other than Administrator cannot run the program.";
    struct Case {
        std::string reply;
        bool user; // the user reply, else the system reply
        std::string warning;
        int rowCode;
    };
    const std::vector<Case> cases{
        // The model is compared exactly.
        {"ModelName=zka-qm410&SoftVersion=2.30", false, notSupported, 10},
        {"ModelName=ZKA-QM4100", false, notSupported, 10},
        // No reply says nothing about the model: the camera was not found. A refused login names
        // none either: the operator is told to correct the login, not the camera.
        {"", false, notFound, 10},
        {"401 Unauthorized", false, badLogin, 12},
        {"401 Unauthorized", true, badLogin, 12},
        {"", true, notFound, 10},
        {"Level=4", true, notFound, 10},
        {"Administrator=dXNlcjp1c2Vy", true, otherUser, 12},
        {"Administrator=YWRtaW46YWI%3D%3D", true, otherUser, 12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        const TargetVerdict verdict =
            c.user ? check.judgeUser(c.reply)
                   : TargetCheck::judgeSystem(c.reply, CameraIdentity::fromSystemReply(c.reply, kModels));
        EXPECT_EQ(refusalWarning(verdict, texts, "ZKA-QM410"), c.warning);
        EXPECT_EQ(rowRefusal(verdict).code, c.rowCode);
    }
    EXPECT_EQ(prompter.count(), 0u);
}

} // namespace
} // namespace zka
