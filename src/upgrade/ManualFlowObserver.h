#pragma once

#include <string>

namespace zka {

// The steps of the manual upgrade, in the order the operator meets them: the camera and its login,
// the confirmation of what will be upgraded, the upgrade running, and its result.
enum class ManualFlowStep { Target, Confirm, Progress, Result };

// What the manual upgrade flow reports to its view (the wizard's manual pages, or a terminal). All
// calls come on the user-interface thread.
class ManualFlowObserver {
public:
    virtual ~ManualFlowObserver() = default;

    // The step to show.
    virtual void pageShown(ManualFlowStep step) = 0;
    // A check of the target runs (true) or has ended (false): the wizard shows the wait cursor.
    virtual void busyChanged(bool busy) = 0;
    // The stage line: a status code 0 to 9, shown with its manual stage word (empty for 0).
    virtual void stageChanged(int stage) = 0;
    virtual void statusTextChanged(const std::string& text) = 0;
    // What the progress page shows about the target.
    virtual void targetDescribed(const std::string& address, const std::string& currentVersion,
                                 const std::string& newVersion) = 0;
    virtual void setupDataChanged(bool retain, bool backup) = 0;
    virtual void emergencyImageShown(bool shown) = 0;
    // The camera's configuration was saved to this file before the upload.
    virtual void configurationSaved(const std::string& localPath) = 0;
    // The result page's address and the version the camera now runs ("ver" prefix included).
    virtual void resultShown(const std::string& address, const std::string& version) = 0;
};

} // namespace zka
