#include "camsim/LazyThreadPool.h"

namespace zka::camsim {

LazyThreadPool::LazyThreadPool(std::size_t maxThreads)
    : maxThreads_(maxThreads == 0 ? 1 : maxThreads)
{
}

LazyThreadPool::~LazyThreadPool()
{
    shutdown();
}

void LazyThreadPool::enqueue(std::function<void()> task)
{
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
    if (idle_ < tasks_.size() && workers_.size() < maxThreads_)
        workers_.emplace_back([this] { work(); });
    else
        wake_.notify_one();
}

void LazyThreadPool::shutdown()
{
    std::vector<std::jthread> workers;
    {
        std::lock_guard lock(mutex_);
        shuttingDown_ = true;
        workers.swap(workers_);
    }
    wake_.notify_all();
    for (auto& worker : workers)
        worker.join();
}

void LazyThreadPool::work()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        ++idle_;
        wake_.wait(lock, [this] { return !tasks_.empty() || shuttingDown_; });
        --idle_;
        if (tasks_.empty())
            return; // shutting down with nothing left to run
        auto task = std::move(tasks_.front());
        tasks_.pop_front();
        lock.unlock();
        task();
        lock.lock();
    }
}

} // namespace zka::camsim
