#pragma once

#include "runtime/HostEvents.h"
#include "ui/seams/QtDispatcher.h"

#include <functional>

namespace zka {

// Delivers a camera context's navigation requests to the wizard: queued, on the user-interface
// thread (the constructing thread), in the order they were posted, from whichever thread posts them.
class QtHostEvents final : public HostEvents {
public:
    using NavigateHandler = std::function<void(int wParam, int lParam)>;

    explicit QtHostEvents(NavigateHandler handler);
    QtHostEvents(const QtHostEvents&) = delete;
    QtHostEvents& operator=(const QtHostEvents&) = delete;

    void postNavigate(int wParam, int lParam) override;

private:
    NavigateHandler handler_;
    QtDispatcher dispatcher_;
};

} // namespace zka
