#include "support/MessagePrint.h"

namespace zka {

void PrintTo(const Message& message, std::ostream* out)
{
    *out << '"' << message.text << "\" / \"" << message.caption << "\" / " << iconName(message.icon);
}

} // namespace zka
