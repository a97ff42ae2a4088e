// The camera's inquiries, waited for and polled, and their abandonment.
#include "camera/CameraClient.h"

#include "http/AsyncQuery.h"
#include "http/QueryRequest.h"
#include "runtime/TimeLimit.h"

namespace zka {

namespace {

// Counts a waited-for query in flight for as long as it lives.
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

QueryResult resultOf(int status, std::string text)
{
    switch (status) {
    case QueryOk:
        return {QueryOutcome::Replied, std::move(text)};
    case QueryRefused:
        return {QueryOutcome::LoginRefused, std::move(text)};
    default:
        return {QueryOutcome::Failed, std::move(text)};
    }
}

} // namespace

CameraClient::CameraClient(const Clock& clock, std::string addressText, std::string credential)
    : clock_(clock)
    , addressText_(std::move(addressText))
    , credential_(std::move(credential))
{
}

CameraClient::~CameraClient()
{
    // Every thread checks stop_ at its next wait or network step; the queries are joined here and
    // the upload's transfer thread as its member goes.
    stop_.request_stop();
    abandonQueries();
}

QueryResult CameraClient::query(const std::string& body, Clock::Duration timeout, std::stop_token stop)
{
    const SyncQueryScope scope(syncMutex_, syncIdle_, syncActive_, syncAbandon_);
    QueryRequest request = makeQueryRequest(addressText_, credential_, body);
    const std::stop_token clientStop = stop_.get_token();
    const std::stop_token abandon = scope.abandonToken();
    std::stop_source done;
    std::stop_source timedOut;
    bool finished = false;
    {
        std::jthread worker([&] {
            queryThread(request, clock_, {timedOut.get_token(), clientStop, abandon, stop});
            done.request_stop();
        });
        // The time-out is the only bound: the wait ends early only because the worker has ended.
        clock_.sleepFor(withRealFloor(clock_, timeout), done.get_token());
        finished = done.stop_requested();
        if (!finished)
            timedOut.request_stop();
    } // joined here: nothing the worker writes after this point exists any more
    if (!finished || clientStop.stop_requested() || abandon.stop_requested() || stop.stop_requested())
        return {};
    return resultOf(request.result, replyText(request));
}

void CameraClient::startQuery(const std::string& body)
{
    std::lock_guard lock(asyncMutex_);
    if (!asyncQuery_)
        asyncQuery_ = std::make_unique<AsyncQuery>();
    asyncQuery_->start(makeQueryRequest(addressText_, credential_, body), clock_, stop_.get_token());
}

bool CameraClient::queryStarted() const
{
    std::lock_guard lock(asyncMutex_);
    return asyncQuery_ && asyncQuery_->started();
}

bool CameraClient::queryFinished() const
{
    std::lock_guard lock(asyncMutex_);
    return asyncQuery_ && asyncQuery_->finished();
}

QueryResult CameraClient::polledReply() const
{
    std::lock_guard lock(asyncMutex_);
    if (!asyncQuery_)
        return {};
    return resultOf(asyncQuery_->result(), asyncQuery_->reply());
}

Clock::TimePoint CameraClient::queryStartTime() const
{
    std::lock_guard lock(asyncMutex_);
    return asyncQuery_ ? asyncQuery_->startTime() : Clock::TimePoint{};
}

void CameraClient::abandonQueries()
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
