#pragma once

#include <functional>
#include <mutex>

namespace zka {

// Where an upgrade is: what its worker does or waits for. The tick handler decides by it when a
// wait has lasted 180 ticks; the job reports it to its owner, and the stage in which a batch camera
// failed goes into the batch's report.
enum class UpgradeStage {
    Idle,           // not started
    Saving,         // downloading the configuration before the upload
    Uploading,      // sending the firmware, then ending the request
    AnswerWait,     // following the camera's answer to the upload
    EmergencyWait,  // the fixed 180-tick wait of a camera with emergency firmware
    RebootWait,     // inquiring until the camera reports its new version
    SearchWait,     // the camera dropped off during the upload: counting the search timer's ticks
    Searching,      // inquiring for a camera that dropped off during the upload
    Restoring,      // sending the saved configuration back
    Settling,       // the pause while the camera applies the restored configuration
    Reconfiguring,  // inquiring on the reconfigure timer until the camera answers
    Ended,          // the worker has ended its sequence
};

// Makes the end of an upgrade exactly-once between the worker and the tick handler, which run on
// different threads. The worker publishes every write that others read through publish(), which
// does nothing once the worker has been abandoned; before it shows a blocking message it claims the
// finish. The tick handler abandons the worker only when it has not claimed the finish, and from
// then on the worker writes nothing. No caller may hold the gate across a Prompter call: the
// user-interface thread may be waiting for it.
class ProcedureGate final {
public:
    ProcedureGate() = default;
    ProcedureGate(const ProcedureGate&) = delete;
    ProcedureGate& operator=(const ProcedureGate&) = delete;

    // Worker: runs write under the gate unless the worker was abandoned; false when it was.
    bool publish(const std::function<void()>& write);
    // Worker: enters a phase (a publish of the phase).
    bool enter(UpgradeStage phase);
    // Worker: runs decide under the gate unless abandoned (false then); when decide returns true,
    // the finish is claimed in the same step.
    bool decide(const std::function<bool()>& decide);
    // Worker: takes the right to finish, running write under the gate in the same step so that the
    // tick handler sees either none or all of it. False when the worker was abandoned first.
    bool claimFinish(const std::function<void()>& write = {});

    // Tick handler: when the phase is `phase` and the worker has not claimed the finish, marks the
    // worker abandoned and returns true; the caller then decides the outcome alone.
    bool abandonIn(UpgradeStage phase);
    // Owner: abandons the worker whatever it does (the job is being deleted).
    void abandon();

    UpgradeStage phase() const;
    bool abandoned() const;
    bool finishClaimed() const;

private:
    mutable std::mutex mutex_;
    UpgradeStage phase_ = UpgradeStage::Idle;
    bool abandoned_ = false;
    bool finishClaimed_ = false;
};

} // namespace zka
