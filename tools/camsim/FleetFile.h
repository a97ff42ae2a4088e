#pragma once

#include "camsim/CameraSpec.h"

#include <string>
#include <vector>

namespace zka::camsim {

// The fleet file: line-based, "#" starts a comment line, blank lines are ignored.
//   [defaults]             key = value lines applied to every camera section that follows
//   [camera 127.0.0.5]     one camera at that address; its key = value lines
// Keys are the CameraSpec field names; values: text (escapes \n \r \t \\ \xHH), true/false, numbers,
// or an AfterUpgrade name. Unknown keys, bad values and stray lines are errors with the line number.
class FleetFile final {
public:
    // Appends the cameras of text to cameras; false with "name:line: reason" on the first error.
    static bool parse(const std::string& text, const std::string& name, std::vector<CameraSpec>& cameras,
                      std::string& error);
    // Sets one field by its name; false with a reason when the key or the value is not valid.
    static bool set(CameraSpec& camera, const std::string& key, const std::string& value, std::string& problem);
};

} // namespace zka::camsim
