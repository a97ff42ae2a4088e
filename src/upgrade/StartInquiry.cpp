#include "upgrade/StartInquiry.h"

#include "upgrade/UpgradeJob.h"
#include "upgrade/TargetCheck.h"
#include "upgrade/VerdictWords.h"

namespace zka {

StartInquiry::StartInquiry(UpgradeJob& context, int tag)
    : context_(context)
    , tag_(tag)
    , thread_([this](std::stop_token stop) { run(stop); })
{
}

void StartInquiry::run(std::stop_token stop)
{
    const TargetCheck check(context_.supportedModels(), context_.credential());
    const TargetCheck::Result result = check.run(context_.client(), stop);
    if (result.verdict == TargetVerdict::Stopped)
        return;
    if (result.systemPassed) {
        // The context upgrades this camera: it keeps the version and whether it runs emergency
        // firmware; a refused camera's row still names the version it reported.
        context_.recordIdentity(result.identity);
        outcome_.docType = result.identity.docType;
        outcome_.model = result.identity.model;
        outcome_.version = result.identity.versionText();
        outcome_.serial = result.identity.serial;
    }
    outcome_.accepted = result.verdict == TargetVerdict::Accepted;
    RowRefusal refusal = rowRefusal(result.verdict);
    outcome_.refusal = refusal.code;
    outcome_.detail = std::move(refusal.detail);
    finished_.store(true, std::memory_order_release);
}

} // namespace zka
