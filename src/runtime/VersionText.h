#pragma once

#include <string>
#include <string_view>

namespace zka {

// The tool's own version, as the build system sets it for the whole project ("1.0.0").
std::string_view toolVersion();

// What --version prints for each program of the tool: the program's name and the tool's version on
// the first line, then the firmware versions that it brings to cameras (for 3.x cameras, for older
// ones), ending with a line feed.
std::string versionText(std::string_view program, std::string_view firmware3x, std::string_view firmware2x);

} // namespace zka
