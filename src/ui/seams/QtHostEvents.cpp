#include "ui/seams/QtHostEvents.h"

namespace zka {

QtHostEvents::QtHostEvents(NavigateHandler handler)
    : handler_(std::move(handler))
{
}

void QtHostEvents::postNavigate(int wParam, int lParam)
{
    dispatcher_.post([this, wParam, lParam] {
        if (handler_)
            handler_(wParam, lParam);
    });
}

} // namespace zka
