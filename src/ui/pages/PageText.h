#pragma once

#include <QString>

#include <string>

namespace zka {

// Packaged texts end their lines with CR LF; Qt's text widgets want a plain line feed.
QString displayText(const std::string& utf8);

// The version number of a new-version text: everything from its fourth character on, so "ver2.45"
// gives "2.45". A text of three characters or fewer gives an empty number.
std::string versionNumber(const std::string& versionText);

} // namespace zka
