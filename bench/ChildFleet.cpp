#include "ChildFleet.h"

#include "camsim/Fleet.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace zka::bench {

ChildFleet ChildFleet::fork(std::vector<camsim::CameraSpec> cameras, double timeScale)
{
    int ready[2];
    int stop[2];
    if (::pipe(ready) != 0 || ::pipe(stop) != 0)
        std::exit(2);
    ChildFleet child;
    child.pid_ = ::fork();
    if (child.pid_ == 0) {
        ::close(ready[0]);
        ::close(stop[1]);
        camsim::Fleet fleet(std::move(cameras), timeScale);
        std::string error;
        if (!fleet.start(error)) {
            std::fprintf(stderr, "the simulated fleet did not start: %s\n", error.c_str());
            ::_exit(2);
        }
        const char byte = 'r';
        if (::write(ready[1], &byte, 1) != 1)
            ::_exit(2);
        char ignored;
        while (::read(stop[0], &ignored, 1) > 0) {
        }
        ::_exit(0);
    }
    ::close(ready[1]);
    ::close(stop[0]);
    child.stopWrite_ = stop[1];
    child.readyRead_ = ready[0];
    return child;
}

bool ChildFleet::waitReady() const
{
    char byte = 0;
    return ::read(readyRead_, &byte, 1) == 1;
}

void ChildFleet::stop()
{
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
    ::close(stopWrite_);
    ::close(readyRead_);
    pid_ = -1;
}

} // namespace zka::bench
