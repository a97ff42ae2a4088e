// CameraContext: the synchronous and the polled inquiry, and their abandonment.
#include "camera/CameraContext.h"
#include "runtime/TimeLimit.h"

#include "http/AsyncQuery.h"
#include "http/QueryRequest.h"

namespace zka {

namespace {

// Counts a synchronous query in flight for as long as it lives.
class SyncQueryScope final {
public:
    SyncQueryScope(std::mutex& mutex, std::condition_variable& idle, int& active, const std::stop_source& abandon)
        : mutex_(mutex), idle_(idle), active_(active)
    {
        std::lock_guard lock(mutex_);
        ++active_;
        abandon_ = abandon.get_token();
    }
    ~SyncQueryScope()
    {
        std::lock_guard lock(mutex_);
        if (--active_ == 0)
            idle_.notify_all();
    }
    SyncQueryScope(const SyncQueryScope&) = delete;
    SyncQueryScope& operator=(const SyncQueryScope&) = delete;
    std::stop_token abandonToken() const { return abandon_; }

private:
    std::mutex& mutex_;
    std::condition_variable& idle_;
    int& active_;
    std::stop_token abandon_;
};

} // namespace

std::string CameraContext::runQuery(const std::string& body, Clock::Duration timeout, std::stop_token stop)
{
    const SyncQueryScope scope(syncMutex_, syncIdle_, syncActive_, syncAbandon_);
    QueryRequest request = makeQueryRequest(addressText_, credential_, body);
    const std::stop_token contextStop = stop_.get_token();
    const std::stop_token abandon = scope.abandonToken();
    std::stop_source done;
    std::stop_source timedOut;
    bool finished = false;
    {
        std::jthread worker([&] {
            queryThread(request, host_.clock, {timedOut.get_token(), contextStop, abandon, stop});
            done.request_stop();
        });
        // The time-out is the only bound: the wait ends early only because the worker has ended.
        host_.clock.sleepFor(withRealFloor(host_.clock, timeout), done.get_token());
        finished = done.stop_requested();
        if (!finished)
            timedOut.request_stop();
    } // joined here: nothing the worker writes after this point exists any more
    if (!finished || contextStop.stop_requested() || abandon.stop_requested() || stop.stop_requested())
        return {};
    return replyText(request);
}

void CameraContext::startQuery(const std::string& body)
{
    std::lock_guard lock(asyncMutex_);
    if (!asyncQuery_)
        asyncQuery_ = std::make_unique<AsyncQuery>();
    asyncQuery_->start(makeQueryRequest(addressText_, credential_, body), host_.clock, stop_.get_token());
}

bool CameraContext::queryStarted() const
{
    std::lock_guard lock(asyncMutex_);
    return asyncQuery_ && asyncQuery_->started();
}

bool CameraContext::queryFinished() const
{
    std::lock_guard lock(asyncMutex_);
    return asyncQuery_ && asyncQuery_->finished();
}

std::string CameraContext::asyncReply() const
{
    std::lock_guard lock(asyncMutex_);
    return asyncQuery_ ? asyncQuery_->reply() : std::string();
}

Clock::TimePoint CameraContext::asyncStartTime() const
{
    std::lock_guard lock(asyncMutex_);
    return asyncQuery_ ? asyncQuery_->startTime() : Clock::TimePoint{};
}

void CameraContext::abandonRequests()
{
    {
        std::unique_lock lock(syncMutex_);
        syncAbandon_.request_stop();
        syncIdle_.wait(lock, [this] { return syncActive_ == 0; });
        // Queries started from now on are not abandoned.
        syncAbandon_ = std::stop_source();
    }
    std::lock_guard lock(asyncMutex_);
    if (asyncQuery_)
        asyncQuery_->abandon();
}

} // namespace zka
