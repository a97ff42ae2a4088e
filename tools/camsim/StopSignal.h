#pragma once

#include <memory>
#include <stop_token>

namespace zka::camsim {

// A stop request that both a std::stop_token and a poll() can wait on: requesting it raises the token
// and makes fd() readable. Optionally follows a parent token (a fleet stop also stops each server).
class StopSignal final {
public:
    explicit StopSignal(std::stop_token parent = {});
    ~StopSignal();
    StopSignal(const StopSignal&) = delete;
    StopSignal& operator=(const StopSignal&) = delete;

    void request();
    bool requested() const;
    std::stop_token token() const;
    // Readable (never drained) once a stop has been requested.
    int fd() const { return fd_; }

private:
    struct Forward {
        StopSignal* signal;
        void operator()() const { signal->request(); }
    };

    int fd_ = -1;
    std::stop_source source_;
    std::unique_ptr<std::stop_callback<Forward>> parentLink_;
};

} // namespace zka::camsim
