#include "http/UploadExchange.h"

#include <algorithm>
#include <cstring>

namespace zka {

void UploadExchange::markSent()
{
    {
        std::lock_guard lock(mutex_);
        sent_ = true;
    }
    changed_.notify_all();
}

void UploadExchange::markAnswered(int httpStatus)
{
    {
        std::lock_guard lock(mutex_);
        answered_ = true;
        httpStatus_ = httpStatus;
    }
    changed_.notify_all();
}

bool UploadExchange::pushAnswer(std::string_view bytes, std::stop_token stop)
{
    std::unique_lock lock(mutex_);
    while (!bytes.empty()) {
        changed_.wait(lock, stop, [&] { return readerClosed_ || pipe_.size() - readOffset_ < kPipeCapacity; });
        if (readerClosed_ || stop.stop_requested())
            return false;
        if (readOffset_ > 0) {
            pipe_.erase(0, readOffset_);
            readOffset_ = 0;
        }
        const std::size_t n = std::min(bytes.size(), kPipeCapacity - pipe_.size());
        pipe_.append(bytes.substr(0, n));
        bytes.remove_prefix(n);
        changed_.notify_all();
    }
    return true;
}

void UploadExchange::finish(TransferStatus status)
{
    {
        std::lock_guard lock(mutex_);
        status_ = status;
    }
    changed_.notify_all();
}

bool UploadExchange::waitSent(std::stop_token stop, std::chrono::steady_clock::time_point deadline)
{
    std::unique_lock lock(mutex_);
    changed_.wait_until(lock, stop, deadline, [&] { return sent_ || answered_ || status_.has_value(); });
    return sent_;
}

bool UploadExchange::waitAnswered(std::stop_token stop)
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, stop, [&] { return answered_ || status_.has_value(); });
    return answered_;
}

std::size_t UploadExchange::read(char* buffer, std::size_t capacity, std::stop_token stop)
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, stop, [&] { return readOffset_ < pipe_.size() || status_.has_value(); });
    const std::size_t n = std::min(capacity, pipe_.size() - readOffset_);
    std::memcpy(buffer, pipe_.data() + readOffset_, n);
    readOffset_ += n;
    if (n > 0)
        changed_.notify_all();
    return n;
}

void UploadExchange::closeReader()
{
    {
        std::lock_guard lock(mutex_);
        readerClosed_ = true;
    }
    changed_.notify_all();
}

bool UploadExchange::sent() const
{
    std::lock_guard lock(mutex_);
    return sent_;
}

bool UploadExchange::answered() const
{
    std::lock_guard lock(mutex_);
    return answered_;
}

int UploadExchange::httpStatus() const
{
    std::lock_guard lock(mutex_);
    return httpStatus_;
}

std::optional<TransferStatus> UploadExchange::status() const
{
    std::lock_guard lock(mutex_);
    return status_;
}

} // namespace zka
