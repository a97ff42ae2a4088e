#include "http/StopLink.h"

namespace zka {

StopLink::StopLink(std::stop_token first, std::stop_token second)
    : first_(std::move(first), Raise{&source_})
    , second_(std::move(second), Raise{&source_})
{
}

} // namespace zka
