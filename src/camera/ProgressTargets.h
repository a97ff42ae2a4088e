#pragma once

#include <atomic>

namespace zka {

// The progress outputs of one camera (0 to 10000): the manual page's bar and the batch row's value.
// Either may be null. The user interface redraws both from these values on its own timer.
struct ProgressTargets {
    std::atomic<int>* bar = nullptr;
    std::atomic<int>* row = nullptr;

    // The bar's position, or the row's value when there is no bar, or 0 with neither.
    int current() const;
    // Adds delta to the bar and to the row, never past 10000: a bar shows nothing beyond its range,
    // and a restore after the upgrade keeps counting pieces on a full bar.
    void add(int delta) const;
    // Moves one output up to value, kept within 0..10000; a value below the output's present one
    // changes nothing, so a late or bogus report never moves the display backwards.
    static void raiseTo(std::atomic<int>* target, long long value);
};

} // namespace zka
