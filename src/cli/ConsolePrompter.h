#pragma once

#include "runtime/Prompter.h"

#include <mutex>

namespace zka::cli {

// Messages of the command line: printed to standard output as "CAPTION: TEXT" (line breaks of the
// text kept). Confirmations are answered affirmatively: running the command was the confirmation.
class ConsolePrompter final : public Prompter {
public:
    MessageAnswer show(const Message& message) override;

private:
    std::mutex mutex_;
};

} // namespace zka::cli
