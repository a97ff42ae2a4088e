#include "camera/ProgressTargets.h"

namespace zka {

int ProgressTargets::current() const
{
    if (bar != nullptr)
        return bar->load();
    if (row != nullptr)
        return row->load();
    return 0;
}

void ProgressTargets::add(int delta) const
{
    if (bar != nullptr)
        bar->fetch_add(delta);
    if (row != nullptr)
        row->fetch_add(delta);
}

} // namespace zka
