#include "camsim/StopSignal.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>
#include <stdexcept>

namespace zka::camsim {

StopSignal::StopSignal(std::stop_token parent)
    : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
    if (fd_ < 0)
        throw std::runtime_error("eventfd failed");
    // Registered last: the callback may run at once when the parent has already stopped.
    parentLink_ = std::make_unique<std::stop_callback<Forward>>(parent, Forward{this});
}

StopSignal::~StopSignal()
{
    parentLink_.reset(); // waits for a callback running on another thread
    ::close(fd_);
}

void StopSignal::request()
{
    if (source_.request_stop()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = ::write(fd_, &one, sizeof one);
    }
}

bool StopSignal::requested() const
{
    return source_.stop_requested();
}

std::stop_token StopSignal::token() const
{
    return source_.get_token();
}

} // namespace zka::camsim
