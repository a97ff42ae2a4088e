#pragma once

#include "runtime/Clock.h"

namespace zka {

// A time-out on what a camera or peer does: the nominal duration, but never less than one second of
// real time. With the clock scaled down for a test or a demonstration, a moment of load on the machine
// must not look like a camera that failed to answer; at scale 1 every such limit is above the floor.
Clock::Duration withRealFloor(const Clock& clock, Clock::Duration nominal);

} // namespace zka
