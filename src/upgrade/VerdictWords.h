#pragma once

#include "upgrade/TargetCheck.h"

#include <string>

namespace zka {

class ResourceText;

// How the front ends tell a target check's refusal: the manual mode as a warning to the operator,
// the batch as its row's status code and the cause in a few words for the log and the report.

// The warning's text; `principal` is the first supported model.
std::string refusalWarning(TargetVerdict verdict, const ResourceText& texts, const std::string& principal);

struct RowRefusal {
    int code = 0;       // 10 not found or no supported camera, 12 the login is not the administrator's
    std::string detail; // "no answer", "login refused", ...
};
// Code 0 and no words for a camera that was accepted or whose check was stopped.
RowRefusal rowRefusal(TargetVerdict verdict);

} // namespace zka
