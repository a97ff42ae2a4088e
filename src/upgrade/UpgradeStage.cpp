#include "upgrade/UpgradeStage.h"

namespace zka {

UpgradeStage stageOfPhase(ProcedurePhase phase)
{
    switch (phase) {
    case ProcedurePhase::Idle:
        return UpgradeStage::Inquiry;
    case ProcedurePhase::Saving:
        return UpgradeStage::Saving;
    case ProcedurePhase::Uploading:
        return UpgradeStage::Uploading;
    case ProcedurePhase::UploadWait:
    case ProcedurePhase::EmergencyWait:
        return UpgradeStage::Overwriting;
    case ProcedurePhase::SearchWait:
    case ProcedurePhase::SearchPath:
        return UpgradeStage::Searching;
    case ProcedurePhase::RebootWait:
        return UpgradeStage::Rebooting;
    case ProcedurePhase::Restoring:
    case ProcedurePhase::Settling:
        return UpgradeStage::Restoring;
    case ProcedurePhase::Reconfiguring:
        return UpgradeStage::Reconfiguring;
    }
    return UpgradeStage::Inquiry;
}

std::string_view stageName(UpgradeStage stage)
{
    switch (stage) {
    case UpgradeStage::Inquiry:
        return "inquiry";
    case UpgradeStage::Saving:
        return "saving";
    case UpgradeStage::Uploading:
        return "uploading";
    case UpgradeStage::Overwriting:
        return "overwriting";
    case UpgradeStage::Searching:
        return "searching";
    case UpgradeStage::Rebooting:
        return "rebooting";
    case UpgradeStage::Restoring:
        return "restoring";
    case UpgradeStage::Reconfiguring:
        return "reconfiguring";
    }
    return "inquiry";
}

} // namespace zka
