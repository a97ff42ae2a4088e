#include "upgrade/StartInquiry.h"

#include "camera/CameraOperations.h"
#include "resources/FirmwareDescription.h"
#include "upgrade/TargetCheck.h"
#include "upgrade/VerdictWords.h"

namespace zka {

StartInquiry::StartInquiry(CameraOperations& client, const SupportedModels& models,
                           const FirmwareDescription& firmware, VersionRule versions, int tag)
    : client_(client)
    , models_(models)
    , firmware_(firmware)
    , versions_(versions)
    , tag_(tag)
    , thread_([this](std::stop_token stop) { run(stop); })
{
}

void StartInquiry::run(std::stop_token stop)
{
    const TargetCheck check(models_, client_.credential());
    const TargetCheck::Result result = check.run(client_, stop);
    if (result.verdict == TargetVerdict::Stopped)
        return;
    if (result.systemPassed) {
        // A refused camera's row still names the version it reported.
        outcome_.identity = result.identity;
        outcome_.docType = result.identity.docType;
        outcome_.model = result.identity.model;
        outcome_.version = result.identity.versionText();
        outcome_.serial = result.identity.serial;
    }
    outcome_.accepted = result.verdict == TargetVerdict::Accepted;
    // Judged by the version the camera reports now, against the one it would be given.
    if (outcome_.accepted)
        outcome_.skip = versions_.judge(outcome_.version, firmware_.newVersionFor(outcome_.version));
    RowRefusal refusal = rowRefusal(result.verdict);
    outcome_.refusal = refusal.code;
    outcome_.detail = std::move(refusal.detail);
    finished_.store(true, std::memory_order_release);
}

} // namespace zka
