#pragma once

#include "upgrade/FleetCheck.h"
#include "upgrade/UpgradeTarget.h"

#include <string>
#include <vector>

namespace zka {
class EventLoop;
class PackagedResources;
} // namespace zka

namespace zka::cli {

class SignalWatch;
struct BatchRequest;

// The verdicts of a check as a batch report (schema version 1): per camera its `verdict` and
// `reason` beside the keys a batch report has, and as `outcome` what the check makes of it for
// `report` and `--retry`: a ready camera is "not-started" (a retry upgrades it), an up-to-date or
// newer one "skipped", a refused one "failed" with its reason as the detail.
std::string renderCheckReport(const std::vector<UpgradeTarget>& targets, const std::vector<CameraCheck>& checks,
                              int leftOut);
// The verdicts as a table for the terminal, then their totals.
std::string checkTable(const std::vector<UpgradeTarget>& targets, const std::vector<CameraCheck>& checks,
                       int leftOut);

struct CheckSeams {
    const Clock& clock;
    const PackagedResources& resources;
    EventLoop& loop;
    const SignalWatch& signals;
};

// `batch --check`: checks the targets, prints the table, writes the report when asked. The exit
// status: 0 every camera ready or up to date, 1 otherwise, 64 a report that cannot be written.
int runCheck(const BatchRequest& request, const std::vector<UpgradeTarget>& targets, int leftOut, CheckSeams seams);

} // namespace zka::cli
