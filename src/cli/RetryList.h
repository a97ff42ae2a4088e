#pragma once

#include "upgrade/CameraAddressList.h"

#include <string>
#include <string_view>
#include <vector>

namespace zka::cli {

struct ReportedBatch;

// The cameras of an earlier batch to try again, read from that batch's JSON report (ReportedBatch
// says which texts are such a report): every camera whose outcome was not "completed" or "skipped"
// (failed, not started, abandoned), with its address and port, in the report's order.
struct RetryList {
    std::vector<CameraAddress> cameras;
    int leftOut = 0;   // the earlier batch's cameras past the 256th, which its report does not name
    std::string fault; // why the text is not such a report; empty when it is

    static RetryList fromReport(std::string_view reportText);
    static RetryList fromBatch(const ReportedBatch& batch);
};

} // namespace zka::cli
