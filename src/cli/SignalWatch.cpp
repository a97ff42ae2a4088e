#include "cli/SignalWatch.h"

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cstdint>

namespace zka::cli {

SignalWatch::SignalWatch(Dispatcher& dispatcher)
    : dispatcher_(dispatcher)
{
    sigset_t watched;
    sigemptyset(&watched);
    sigaddset(&watched, SIGINT);
    sigaddset(&watched, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &watched, &previousMask_);
    signalFd_ = ::signalfd(-1, &watched, SFD_CLOEXEC);
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC);
    if (signalFd_ >= 0 && wakeFd_ >= 0)
        thread_ = std::jthread([this](std::stop_token stop) { run(stop); });
}

SignalWatch::~SignalWatch()
{
    if (thread_.joinable()) {
        thread_.request_stop();
        const std::uint64_t one = 1;
        (void)::write(wakeFd_, &one, sizeof one);
        thread_.join();
    }
    if (signalFd_ >= 0)
        ::close(signalFd_);
    if (wakeFd_ >= 0)
        ::close(wakeFd_);
    pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
}

void SignalWatch::run(std::stop_token stop)
{
    pollfd watched[2] = {{signalFd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
    while (!stop.stop_requested()) {
        if (::poll(watched, 2, -1) < 0)
            continue;
        if ((watched[0].revents & POLLIN) == 0)
            continue;
        signalfd_siginfo info{};
        if (::read(signalFd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
            count_.fetch_add(1);
            dispatcher_.post([] {});
        }
    }
}

} // namespace zka::cli
