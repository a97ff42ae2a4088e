#pragma once

#include "cli/LoginOptions.h"
#include "discovery/CameraRecord.h"
#include "upgrade/BatchScheduler.h"
#include "upgrade/CameraAddressList.h"

#include <optional>
#include <string>
#include <vector>

namespace zka::cli {

class LoginsFile;

// The cameras of a batch as the command line collects them, in this order: those that discovery
// found (in table order), then those of the address list. The second of two cameras with the same
// address is refused, and so is every camera past the 256th; refusals() says why, one text each.
class BatchTargets final {
public:
    // duplicateText: the message for a refused duplicate ("A camera with this IP address already exists.").
    explicit BatchTargets(std::string duplicateText);

    void addDiscovered(const std::vector<CameraRecord>& records);
    void addListed(const std::vector<CameraAddress>& entries);
    // Gives every camera its login: its own from the logins file, else the common one. False, with
    // the address of the first camera left without a login, when neither is there.
    bool assignLogins(const LoginsFile* logins, const std::optional<LoginOptions>& common, std::string& missing);

    const std::vector<UpgradeTarget>& targets() const { return targets_; }
    const std::vector<std::string>& refusals() const { return refusals_; }
    // The cameras refused because the batch was full.
    int leftOut() const { return leftOut_; }

private:
    void admit(UpgradeTarget target);

    std::string duplicateText_;
    std::vector<UpgradeTarget> targets_;
    std::vector<std::string> refusals_;
    int leftOut_ = 0;
};

} // namespace zka::cli
