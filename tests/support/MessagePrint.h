#pragma once

#include "runtime/Prompter.h"

#include <ostream>

namespace zka {
// Readable messages in test failures.
void PrintTo(const Message& message, std::ostream* out);
} // namespace zka
