#pragma once

#include "camsim/CameraSpec.h"

#include <sys/types.h>

#include <vector>

namespace zka::bench {

// A simulated fleet in a child process, so that a benchmark's CPU and memory figures hold its own
// cost only. Fork it before the benchmark starts any thread. Ready once the child has written one
// byte; ended by SIGTERM.
class ChildFleet final {
public:
    static ChildFleet fork(std::vector<camsim::CameraSpec> cameras, double timeScale);

    // Blocks until the child's sockets listen; false when it failed to start.
    bool waitReady() const;
    void stop();

private:
    pid_t pid_ = -1;
    int stopWrite_ = -1;
    int readyRead_ = -1;
};

} // namespace zka::bench
