#include "cli/RetryList.h"

#include "cli/ReportedBatch.h"

namespace zka::cli {

RetryList RetryList::fromReport(std::string_view reportText)
{
    const ReportedBatch batch = ReportedBatch::fromText(reportText);
    RetryList list;
    if (!batch.fault.empty()) {
        list.fault = batch.fault;
        return list;
    }
    for (const ReportedCamera& camera : batch.cameras) {
        if (camera.outcome != "completed" && camera.outcome != "skipped")
            list.cameras.push_back(camera.address);
    }
    list.leftOut = batch.leftOut;
    return list;
}

} // namespace zka::cli
