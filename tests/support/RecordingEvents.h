#pragma once

#include "runtime/HostEvents.h"
#include "runtime/Prompter.h"

#include <mutex>
#include <ostream>
#include <utility>
#include <vector>

namespace zka {
// Readable messages in test failures.
void PrintTo(const Message& message, std::ostream* out);
} // namespace zka

namespace zka::test {

// Navigation requests in the order a context posted them. Safe from any thread.
class RecordingEvents final : public HostEvents {
public:
    void postNavigate(int wParam, int lParam) override;
    std::vector<std::pair<int, int>> posted() const;

private:
    mutable std::mutex mutex_;
    std::vector<std::pair<int, int>> posted_;
};

} // namespace zka::test
