#pragma once

#include "runtime/Clock.h"

class QTimer;

namespace zka {

// Gives a timer of the user interface a nominal period on the clock's time scale: the real interval
// in whole milliseconds, at least one (a zero interval would mean "whenever idle").
void setScaledInterval(QTimer& timer, const Clock& clock, Clock::Duration nominal);

} // namespace zka
