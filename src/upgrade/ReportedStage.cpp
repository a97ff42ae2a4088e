#include "upgrade/ReportedStage.h"

namespace zka {

ReportedStage reportedStage(UpgradeStage stage)
{
    switch (stage) {
    case UpgradeStage::Idle:
        return ReportedStage::Inquiry;
    case UpgradeStage::Saving:
        return ReportedStage::Saving;
    case UpgradeStage::Uploading:
        return ReportedStage::Uploading;
    case UpgradeStage::AnswerWait:
    case UpgradeStage::EmergencyWait:
        return ReportedStage::Overwriting;
    case UpgradeStage::SearchWait:
    case UpgradeStage::Searching:
        return ReportedStage::Searching;
    case UpgradeStage::RebootWait:
        return ReportedStage::Rebooting;
    case UpgradeStage::Restoring:
    case UpgradeStage::Settling:
        return ReportedStage::Restoring;
    case UpgradeStage::Reconfiguring:
    case UpgradeStage::Ended: // a failure is told before the worker ends: never the stage of one
        return ReportedStage::Reconfiguring;
    }
    return ReportedStage::Inquiry;
}

std::string_view stageName(ReportedStage stage)
{
    switch (stage) {
    case ReportedStage::Inquiry:
        return "inquiry";
    case ReportedStage::Saving:
        return "saving";
    case ReportedStage::Uploading:
        return "uploading";
    case ReportedStage::Overwriting:
        return "overwriting";
    case ReportedStage::Searching:
        return "searching";
    case ReportedStage::Rebooting:
        return "rebooting";
    case ReportedStage::Restoring:
        return "restoring";
    case ReportedStage::Reconfiguring:
        return "reconfiguring";
    }
    return "inquiry";
}

} // namespace zka
