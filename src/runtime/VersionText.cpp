#include "runtime/VersionText.h"

#ifndef ZKA_TOOL_VERSION
#error "ZKA_TOOL_VERSION is set by the build from the project version"
#endif

namespace zka {

std::string_view toolVersion()
{
    return ZKA_TOOL_VERSION;
}

std::string versionText(std::string_view program, std::string_view firmware3x, std::string_view firmware2x)
{
    std::string text;
    text.append(program).append(" ").append(toolVersion()).append("\n");
    text.append("Firmware ").append(firmware3x).append(" for cameras at version 3.00 or later, ");
    text.append(firmware2x).append(" for older cameras\n");
    return text;
}

} // namespace zka
