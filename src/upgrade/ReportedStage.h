#pragma once

#include "camera/ProcedureGate.h"

#include <string_view>

namespace zka {

// Where a camera's upgrade stood, as a report names it for an operator: the job's stages merged into
// what each does, and the inquiry before the job begins. A report says in which a failed camera failed.
enum class ReportedStage {
    Inquiry,       // the check before the start: is it a camera, which model, whose login
    Saving,        // downloading its configuration before the upload
    Uploading,     // sending the firmware
    Overwriting,   // the camera writes the firmware and answers with its progress
    Searching,     // the camera dropped off during the upload and is looked for again
    Rebooting,     // waiting for the camera to come back with its new version
    Restoring,     // sending the saved configuration back, and the pause while the camera takes it
    Reconfiguring, // waiting until the camera answers again with its settings applied
};

// The reported stage of a job's stage; Inquiry for Idle, which comes before the first.
ReportedStage reportedStage(UpgradeStage stage);
// The stage's name in reports: "inquiry", "saving", ... "reconfiguring".
std::string_view stageName(ReportedStage stage);

} // namespace zka
