#pragma once

#include <httplib.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace zka::camsim {

// The task queue of one camera's HTTP server: starts a worker only when a connection finds none idle,
// up to a maximum, so that a fleet of hundreds of idle cameras holds no idle threads. shutdown() runs
// the connections still queued (they close at once once the server is stopping) and joins.
class LazyThreadPool final : public httplib::TaskQueue {
public:
    explicit LazyThreadPool(std::size_t maxThreads);
    ~LazyThreadPool() override;
    LazyThreadPool(const LazyThreadPool&) = delete;
    LazyThreadPool& operator=(const LazyThreadPool&) = delete;

    void enqueue(std::function<void()> task) override;
    void shutdown() override;

private:
    void work();

    const std::size_t maxThreads_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> tasks_;
    std::size_t idle_ = 0;
    bool shuttingDown_ = false;
    std::vector<std::jthread> workers_;
};

} // namespace zka::camsim
