#pragma once

#include "discovery/CameraRecord.h"
#include "resources/SupportedModels.h"
#include "runtime/EventLoop.h"

#include <functional>
#include <vector>

namespace zka {
class Prompter;
} // namespace zka

namespace zka::cli {

// One discovery, exactly as the wizard makes it at start-up (two enquiries 5 s apart, replies
// collected for 10 s), run on the caller's loop, which it takes over meanwhile. Returns the
// supported cameras found, in table order. It is cancelled early when `interrupted` holds after an
// event of the loop.
std::vector<CameraRecord> runDiscovery(EventLoop& loop, const Clock& clock, Prompter& prompter,
                                       const SupportedModels& models, const std::function<bool()>& interrupted = {});

} // namespace zka::cli
