#pragma once

namespace zka {

// What a camera upgrade tells its owner besides timers: the posted navigation request. wParam 1 means
// "go to page lParam", wParam 0 "advance lParam pages". Implementations deliver it asynchronously on
// the user-interface thread; it may be posted from any thread.
class HostEvents {
public:
    virtual ~HostEvents() = default;
    virtual void postNavigate(int wParam, int lParam) = 0;
};

} // namespace zka
