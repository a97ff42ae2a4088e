#include "upgrade/BackgroundJob.h"

namespace zka {

BackgroundJob::BackgroundJob(Dispatcher& dispatcher)
    : dispatcher_(dispatcher)
{
}

BackgroundJob::~BackgroundJob()
{
    cancel();
}

bool BackgroundJob::run(std::function<void(std::stop_token)> work, std::function<void()> done)
{
    if (busy_)
        return false;
    // The previous thread has posted its continuation as its last act: joining it is immediate.
    if (thread_.joinable())
        thread_.join();
    busy_ = true;
    token_ = std::make_shared<int>(0);
    std::weak_ptr<int> alive = token_;
    thread_ = std::jthread([this, alive, work = std::move(work), done = std::move(done)](std::stop_token stop) mutable {
        try {
            work(stop);
        } catch (...) {
            // Out of memory or no thread to be had: the work ends here, and its continuation finds
            // whatever outcome the work had written so far (a failure).
        }
        if (stop.stop_requested())
            return;
        dispatcher_.post([this, alive, done = std::move(done)] {
            if (alive.expired())
                return;
            busy_ = false;
            token_.reset();
            done();
        });
    });
    return true;
}

void BackgroundJob::cancel()
{
    token_.reset();
    if (thread_.joinable()) {
        thread_.request_stop();
        thread_.join();
    }
    busy_ = false;
}

} // namespace zka
