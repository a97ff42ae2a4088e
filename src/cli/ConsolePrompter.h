#pragma once

#include "runtime/Prompter.h"

#include <cstdio>
#include <mutex>

namespace zka::cli {

// Messages of the command line: printed to standard output, or to `out`, as "CAPTION: TEXT" (line
// breaks of the text kept). Confirmations are answered affirmatively: running the command was the
// confirmation.
class ConsolePrompter final : public Prompter {
public:
    explicit ConsolePrompter(std::FILE* out = stdout)
        : out_(out)
    {
    }
    MessageAnswer show(const Message& message) override;

private:
    std::FILE* const out_;
    std::mutex mutex_;
};

} // namespace zka::cli
