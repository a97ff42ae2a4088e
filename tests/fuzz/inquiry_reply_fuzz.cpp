// The readers of a camera's inquiry replies ("inq=system", "inq=user", "inq=network") and of its
// document type, on any reply text: the identity a reply gives, the versions an upgrade job
// records from it, and the verdicts of the check before an upgrade with the words each front end
// tells them in.
//
// Whatever the reply: every value read is a piece of the reply, a MAC address comes back without
// ":", the version bookkeeping follows its rules, and a refusal has both its warning and its row
// code, an accepted camera neither.
#include "camera/InquiryReply.h"
#include "resources/ResourceText.h"
#include "support/FuzzHost.h"
#include "upgrade/TargetCheck.h"
#include "upgrade/UpgradeJob.h"
#include "upgrade/VerdictWords.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

using zka::fuzz::require;

bool pieceOf(const std::string& value, const std::string& reply)
{
    return value.empty() || reply.find(value) != std::string::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const zka::SupportedModels models{"ZKA-QM410", "ZKA-QM410E", "ZKA-QM410P"};
    static zka::fuzz::FuzzHost fuzzHost;
    const std::string reply(reinterpret_cast<const char*>(data), size);
    // The credential of admin:admin, which an "Administrator=" value may carry.
    const std::string credential = "YWRtaW46YWRtaW4=";

    const zka::CameraIdentity identity = zka::CameraIdentity::fromSystemReply(reply, models);
    require(pieceOf(identity.model, reply) && pieceOf(identity.serial, reply), "a system value not in the reply");
    require(identity.versionText() == "unknown" || pieceOf(identity.versionText(), reply), "a version not in the reply");
    require(identity.mac.find(':') == std::string::npos, "a MAC address kept a colon");
    const std::string docType = zka::readDocType(reply);
    require(pieceOf(docType, reply), "a document type not in the reply");

    zka::UpgradeJob job(fuzzHost.host(), "127.0.0.2", credential, models);
    const bool supported = job.checkSystemReply(reply);
    require(supported == identity.supported, "the identity and the job disagree on the model");
    if (supported) {
        const std::string current = job.currentVersion();
        const bool hasVersion = zka::findReplyValue(reply, "SoftVersion=").has_value();
        require(hasVersion != current.empty(), "the current version does not follow the reply");
        require(current.empty() || current == "unknown" || current.rfind("ver", 0) == 0,
                "a current version without its prefix");
        require(job.emergency() == (current == "unknown"), "emergency and the current version disagree");
        // A second inquiry changes the latest version only.
        require(job.checkSystemReply(reply), "the same reply checked twice gave two answers");
        require(job.currentVersion() == current, "a later inquiry changed the current version");
    }
    require(job.errorCode() == 0 && fuzzHost.messages() == 0, "reading a reply set a code or showed a message");

    // The check before an upgrade, and how each front end tells its refusal.
    const zka::ResourceText& texts = fuzzHost.texts();
    const zka::TargetVerdict systemVerdict = zka::TargetCheck::judgeSystem(reply, identity);
    require((systemVerdict == zka::TargetVerdict::Accepted) == supported, "the system verdict and the model check disagree");
    const zka::TargetVerdict userVerdict = zka::TargetCheck(models, credential).judgeUser(reply);
    for (const zka::TargetVerdict verdict : {systemVerdict, userVerdict}) {
        const int code = zka::rowRefusal(verdict).code;
        if (verdict == zka::TargetVerdict::Accepted)
            require(code == 0, "an accepted camera got a row code");
        else
            require((code == 10 || code == 12) && !zka::refusalWarning(verdict, texts, "ZKA-QM410").empty(),
                    "a refusal without its code or its warning");
    }
    return 0;
}
