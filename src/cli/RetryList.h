#pragma once

#include "upgrade/CameraAddressList.h"

#include <string>
#include <string_view>
#include <vector>

namespace zka::cli {

// The cameras of an earlier batch to try again, read from that batch's JSON report: every camera
// whose outcome was not "completed" or "skipped" (failed, not started, abandoned), with its
// address and port, in the report's order. Only a report of this tool is read: an object with
// "cameras" and "summary", a "schemaVersion" of 1 (reports from before the key have none) and,
// per camera, an address, a port that an address list would take and a known outcome.
struct RetryList {
    std::vector<CameraAddress> cameras;
    int leftOut = 0;   // the earlier batch's cameras past the 256th, which its report does not name
    std::string fault; // why the text is not such a report; empty when it is

    static RetryList fromReport(std::string_view reportText);
};

} // namespace zka::cli
