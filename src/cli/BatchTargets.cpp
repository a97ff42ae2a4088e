#include "cli/BatchTargets.h"

#include "cli/LoginsFile.h"

#include <algorithm>

namespace zka::cli {

namespace {

std::string targetAddress(const UpgradeTarget& target)
{
    return CameraAddress{target.address, target.port}.text();
}

} // namespace

BatchTargets::BatchTargets(std::string duplicateText)
    : duplicateText_(std::move(duplicateText))
{
}

void BatchTargets::addDiscovered(const std::vector<CameraRecord>& records)
{
    for (const CameraRecord& record : records) {
        UpgradeTarget target;
        target.address = record.ipAddress;
        target.port = record.httpPort;
        target.dhcp = record.dhcp != 0;
        target.model = record.modelText();
        target.version = record.softVersionText();
        target.serial = record.serialText();
        target.mac = record.macText();
        admit(std::move(target));
    }
}

void BatchTargets::addListed(const std::vector<CameraAddress>& entries)
{
    for (const CameraAddress& entry : entries) {
        UpgradeTarget target;
        target.address = entry.address;
        target.port = entry.port;
        admit(std::move(target));
    }
}

void BatchTargets::admit(UpgradeTarget target)
{
    // Two cameras on one address cannot both be reached: the address alone decides, as in the
    // wizard's list, whatever their ports.
    const bool taken = std::any_of(targets_.begin(), targets_.end(),
                                   [&](const UpgradeTarget& other) { return other.address == target.address; });
    if (taken) {
        refusals_.push_back(targetAddress(target) + ": " + duplicateText_);
        return;
    }
    if (targets_.size() >= BatchScheduler::kMaxRows) {
        refusals_.push_back(targetAddress(target) + ": left out, a batch holds at most 256 cameras");
        ++leftOut_;
        return;
    }
    targets_.push_back(std::move(target));
}

bool BatchTargets::assignLogins(const LoginsFile* logins, const std::optional<LoginOptions>& common,
                                std::string& missing)
{
    for (UpgradeTarget& target : targets_) {
        const LoginOptions* own = logins != nullptr ? logins->find(CameraAddress{target.address, target.port}) : nullptr;
        const LoginOptions* login = own != nullptr ? own : common ? &*common : nullptr;
        if (login == nullptr) {
            missing = targetAddress(target);
            return false;
        }
        target.name = login->user;
        target.password = login->password;
    }
    return true;
}

} // namespace zka::cli
