// The readers of a camera's inquiry replies ("inq=system", "inq=user", "inq=network") and of its
// document type, on any reply text, for a camera alone (messages) and for a batch row (codes), and
// the verdicts of the check before an upgrade on the same texts.
//
// Whatever the reply: every value read is a piece of the reply, a MAC address comes back without
// ":", the version bookkeeping follows its rules, and a refusal is a message or a status code,
// never both.
#include "camera/CameraContext.h"
#include "camera/InquiryReply.h"
#include "support/FuzzHost.h"
#include "upgrade/TargetCheck.h"
#include "upgrade/VerdictWords.h"

#include <atomic>
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

    zka::CameraContext alone(fuzzHost.host(), "127.0.0.2", credential, models);
    zka::CameraContext::SystemInfo info;
    const std::size_t messagesBefore = fuzzHost.messages();
    const bool supported = alone.readSystemReply(reply, true, info);
    require(supported == (fuzzHost.messages() == messagesBefore), "a refused model without its message");
    require(pieceOf(info.model, reply) && pieceOf(info.serial, reply), "a system value not in the reply");
    require(info.version == "unknown" || pieceOf(info.version, reply), "a version not in the reply");
    if (supported) {
        const std::string current = alone.currentVersion();
        const bool hasVersion = zka::findReplyValue(reply, "SoftVersion=").has_value();
        require(hasVersion != current.empty(), "the current version does not follow the reply");
        require(current.empty() || current == "unknown" || current.rfind("ver", 0) == 0,
                "a current version without its prefix");
        require(alone.emergency() == (current == "unknown"), "emergency and the current version disagree");
        // A second inquiry changes the latest version only.
        require(alone.checkSystemReply(reply, false), "the same reply checked twice gave two answers");
        require(alone.currentVersion() == current, "a later inquiry changed the current version");
    }
    const std::string docType = zka::readDocType(reply);
    require(pieceOf(docType, reply), "a document type not in the reply");

    const std::size_t beforeUser = fuzzHost.messages();
    const bool administrator = alone.checkUserReply(reply);
    require(administrator == (fuzzHost.messages() == beforeUser), "a refused login without its message");
    require(alone.errorCode() == 0, "a context without a row got a status code");

    std::string mac;
    int tag = -1;
    const bool hasMac = alone.readMacAddress(reply, mac, tag);
    require(hasMac == !mac.empty() && tag == 0, "the MAC reader's result does not match its value");
    require(mac.find(':') == std::string::npos, "a MAC address kept a colon");

    // In the batch the same refusals are status codes, never messages.
    std::atomic<int> row{0};
    zka::CameraContext batch(fuzzHost.host(), "127.0.0.2", credential, models, 7);
    batch.setListRow(&row);
    const std::size_t beforeBatch = fuzzHost.messages();
    batch.checkSystemReply(reply, false);
    const bool batchAdministrator = batch.checkUserReply(reply);
    require(fuzzHost.messages() == beforeBatch, "a batch row showed a message");
    require(batchAdministrator == administrator, "the batch and the manual check disagree");
    const int code = batch.errorCode();
    require(batchAdministrator ? code == 0 : (code == 10 || code == 12), "a refused login without its code");
    require(row.load() == 0, "an inquiry moved the progress");

    // The check before an upgrade decides as the context's readers do, and gives the same codes.
    const zka::CameraIdentity identity = zka::CameraIdentity::fromSystemReply(reply, models);
    require(identity.supported == supported, "the identity and the context disagree on the model");
    require((zka::TargetCheck::judgeSystem(reply, identity) == zka::TargetVerdict::Accepted) == supported,
            "the system verdict and the model check disagree");
    const zka::TargetVerdict userVerdict = zka::TargetCheck(models, credential).judgeUser(reply);
    require((userVerdict == zka::TargetVerdict::Accepted) == administrator, "the user verdict and the context disagree");
    require(zka::rowRefusal(userVerdict).code == code, "the user verdict gives another row code");
    return 0;
}
