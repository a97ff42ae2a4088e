#pragma once

#include "upgrade/CameraAddressList.h"

#include <string>
#include <string_view>
#include <vector>

namespace zka::cli {

// One camera of a batch report, as a reader of the report needs it. Texts the report gives as
// null are empty.
struct ReportedCamera {
    int id = 0;
    CameraAddress address;
    std::string model;
    std::string versionBefore;
    std::string versionAfter;
    std::string outcome; // completed, skipped, failed, not-started or abandoned
    std::string detail;
};

// A batch as its JSON report tells it. Only a report of this tool is read: an object with "cameras"
// and "summary", a "schemaVersion" of 1 (reports from before the key have none) and, per camera,
// an address, a port that an address list would take and a known outcome.
struct ReportedBatch {
    std::vector<ReportedCamera> cameras;
    int leftOut = 0;   // the batch's cameras past the 256th, which the report does not name
    std::string fault; // why the text is not such a report; empty when it is
    bool readable = true; // false: the file could not be read at all

    static ReportedBatch fromText(std::string_view reportText);
    // The report in a file; a file that cannot be read, or is far larger than any report, is a fault.
    static ReportedBatch fromFile(const std::string& path);
};

} // namespace zka::cli
