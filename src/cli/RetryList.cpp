#include "cli/RetryList.h"

#include "cli/ReportedBatch.h"

namespace zka::cli {

RetryList RetryList::fromReport(std::string_view reportText)
{
    return fromBatch(ReportedBatch::fromText(reportText));
}

RetryList RetryList::fromBatch(const ReportedBatch& batch)
{
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
