#include "cli/ConsolePrompter.h"
#include "cli/TerminalText.h"

#include <cstdio>
#include <string>

namespace zka::cli {

MessageAnswer ConsolePrompter::show(const Message& message)
{
    std::string text = message.text;
    // Texts end in CR LF pairs for the message boxes; the terminal wants plain line ends.
    std::string plain;
    for (char c : text) {
        if (c != '\r')
            plain += c;
    }
    while (!plain.empty() && plain.back() == '\n')
        plain.pop_back();
    {
        std::lock_guard lock(mutex_);
        // Messages can quote what a camera sent.
        std::fprintf(out_, "%s: %s\n", message.caption.c_str(), escapeControls(plain, "\t\n").c_str());
        std::fflush(out_);
    }
    return message.buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
}

} // namespace zka::cli
