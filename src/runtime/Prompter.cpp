#include "runtime/Prompter.h"

namespace zka {

const char* iconName(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::None: return "none";
    case MessageIcon::Information: return "information";
    case MessageIcon::Question: return "question";
    case MessageIcon::Warning: return "warning";
    case MessageIcon::Error: return "error";
    }
    return "none";
}

} // namespace zka
