#pragma once

#include <cstddef>

namespace zka {

// What the batch scheduler tells the views that watch it (the wizard's progress list, the command
// line). Calls come on the user-interface thread, from the scheduler's tick; an observer may read
// the scheduler but must not clear or destroy it from a call.
class BatchObserver {
public:
    virtual ~BatchObserver() = default;
    // A row's texts, status or final code changed. Its progress changes without a call: views
    // redraw it from the row on their own timer.
    virtual void rowChanged(std::size_t row) = 0;
    // The last camera's job is gone and the scheduler's timer has stopped.
    virtual void batchEnded() = 0;
};

} // namespace zka
