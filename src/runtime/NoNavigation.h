#pragma once

#include "runtime/HostEvents.h"

namespace zka {

// The HostEvents of camera contexts that have no wizard to navigate (the batch, the command line):
// every posted navigation is dropped.
class NoNavigation final : public HostEvents {
public:
    void postNavigate(int wParam, int lParam) override;
};

} // namespace zka
