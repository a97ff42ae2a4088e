#include "http/AsyncQuery.h"

namespace zka {

AsyncQuery::~AsyncQuery()
{
    abandon();
}

void AsyncQuery::start(QueryRequest request, const Clock& clock, std::stop_token clientStop)
{
    abandon();
    request_ = std::move(request);
    startTime_ = clock.now();
    started_ = true;
    abandoned_ = false;
    finished_.store(false, std::memory_order_relaxed);
    stop_ = std::stop_source();
    worker_ = std::jthread([this, &clock, own = stop_.get_token(), clientStop] {
        queryThread(request_, clock, {own, clientStop});
        finished_.store(true, std::memory_order_release);
    });
}

std::string AsyncQuery::reply() const
{
    if (!finished() || abandoned_)
        return {};
    return replyText(request_);
}

int AsyncQuery::result() const
{
    if (!finished() || abandoned_)
        return QueryFailed;
    return request_.result;
}

void AsyncQuery::abandon()
{
    if (!worker_.joinable())
        return;
    // A query that already ended keeps its reply; one cut short never shows what it had read.
    if (!finished_.load(std::memory_order_acquire))
        abandoned_ = true;
    stop_.request_stop();
    worker_.join();
}

} // namespace zka
