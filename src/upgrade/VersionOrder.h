#pragma once

#include <string_view>

namespace zka {

// How one firmware version stands against another.
enum class VersionOrder {
    Older,
    Same,
    Newer,
    Unreadable, // either text is not a version: nothing can be said, not even that they are equal
};

// Compares `version` with `reference` as numbers part by part, so "ver3.9" is older than "ver3.15"
// and "3.09" is the same as "3.9"; a missing part counts as 0 ("3" is "3.0"). A version is an
// optional "ver" prefix (as the tool writes the versions it carries) followed by one or more
// groups of decimal digits separated by single dots, with blanks around it ignored. Anything else
// is unreadable: the emergency firmware's "emergency" and "unknown", an empty or absent version,
// a suffix after the numbers, a sign, control characters.
VersionOrder compareVersions(std::string_view version, std::string_view reference);

} // namespace zka
