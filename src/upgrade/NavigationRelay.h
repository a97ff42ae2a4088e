#pragma once

#include "runtime/HostEvents.h"
#include "runtime/TimerService.h"

#include <functional>
#include <memory>

namespace zka {

// The HostEvents of one camera context: delivers the navigation it posts, from any thread, to a
// handler on the user-interface thread. Nothing is delivered once the relay is gone, so a
// navigation posted by an earlier context never reaches the upgrade that replaced it.
class NavigationRelay final : public HostEvents {
public:
    using Handler = std::function<void(int wParam, int lParam)>;

    NavigationRelay(Dispatcher& dispatcher, Handler handler);
    NavigationRelay(const NavigationRelay&) = delete;
    NavigationRelay& operator=(const NavigationRelay&) = delete;

    void postNavigate(int wParam, int lParam) override;

private:
    Dispatcher& dispatcher_;
    std::shared_ptr<const Handler> handler_;
};

} // namespace zka
