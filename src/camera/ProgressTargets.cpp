#include "camera/ProgressTargets.h"

#include <algorithm>

namespace zka {

int ProgressTargets::current() const
{
    if (bar != nullptr)
        return bar->load();
    if (row != nullptr)
        return row->load();
    return 0;
}

namespace {

constexpr int kProgressComplete = 10000;

void addCapped(std::atomic<int>& value, int delta)
{
    int seen = value.load();
    while (!value.compare_exchange_weak(seen, std::min(seen + delta, std::max(seen, kProgressComplete)))) {
    }
}

} // namespace

void ProgressTargets::raiseTo(std::atomic<int>* target, long long value)
{
    if (target == nullptr)
        return;
    const int wanted = static_cast<int>(std::clamp<long long>(value, 0, kProgressComplete));
    int seen = target->load();
    while (seen < wanted && !target->compare_exchange_weak(seen, wanted)) {
    }
}

void ProgressTargets::add(int delta) const
{
    if (bar != nullptr)
        addCapped(*bar, delta);
    if (row != nullptr)
        addCapped(*row, delta);
}

} // namespace zka
