#include "support/RecordingEvents.h"

namespace zka {

void PrintTo(const Message& message, std::ostream* out)
{
    *out << '"' << message.text << "\" / \"" << message.caption << "\" / " << iconName(message.icon);
}

} // namespace zka

namespace zka::test {

void RecordingEvents::postNavigate(int wParam, int lParam)
{
    std::lock_guard lock(mutex_);
    posted_.emplace_back(wParam, lParam);
}

std::vector<std::pair<int, int>> RecordingEvents::posted() const
{
    std::lock_guard lock(mutex_);
    return posted_;
}

} // namespace zka::test
