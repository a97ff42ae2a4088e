#include "upgrade/NavigationRelay.h"

namespace zka {

NavigationRelay::NavigationRelay(Dispatcher& dispatcher, Handler handler)
    : dispatcher_(dispatcher)
    , handler_(std::make_shared<const Handler>(std::move(handler)))
{
}

void NavigationRelay::postNavigate(int wParam, int lParam)
{
    // The relay lives and dies on the user-interface thread, where the posted task runs too.
    dispatcher_.post([handler = std::weak_ptr<const Handler>(handler_), wParam, lParam] {
        if (const auto target = handler.lock(); target && *target)
            (*target)(wParam, lParam);
    });
}

} // namespace zka
