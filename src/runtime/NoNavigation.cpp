#include "runtime/NoNavigation.h"

namespace zka {

void NoNavigation::postNavigate(int, int)
{
}

} // namespace zka
