#pragma once

#include "http/HttpTransfer.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

namespace zka {

// What the thread performing a firmware upload shares with the two threads that follow it: the
// upgrade worker, which waits until the body is out and the camera's response headers came, and
// the reader of the camera's streamed answer. The answer passes through a bounded pipe: the
// transfer waits while the reader is behind, so a never-ending answer never fills memory.
class UploadExchange final {
public:
    static constexpr std::size_t kPipeCapacity = 16 * 1024;

    UploadExchange() = default;
    UploadExchange(const UploadExchange&) = delete;
    UploadExchange& operator=(const UploadExchange&) = delete;

    // ---- Transfer side ----
    void markSent();
    // The response headers are complete; httpStatus is the status of the answer (0 when unknown).
    void markAnswered(int httpStatus);
    // Hands a piece of the answer to the reader, waiting for room while the reader is behind.
    // False when the reader has gone or the stop was requested: the transfer should end.
    bool pushAnswer(std::string_view bytes, std::stop_token stop);
    void finish(TransferStatus status);

    // ---- Worker side ----
    // Waits until the whole body went out (true) or the transfer ended without that, or the
    // deadline passed (false).
    bool waitSent(std::stop_token stop, std::chrono::steady_clock::time_point deadline);
    // Waits until the response headers came (true) or the transfer ended without them (false).
    bool waitAnswered(std::stop_token stop);

    // ---- Reader side ----
    // Takes at most capacity bytes of the answer, waiting for some. 0 when the transfer ended and
    // everything was taken, or the stop was requested.
    std::size_t read(char* buffer, std::size_t capacity, std::stop_token stop);
    // The reader has finished: later answer bytes are refused, which ends the transfer.
    void closeReader();

    bool sent() const;
    bool answered() const;
    int httpStatus() const;
    // How the transfer ended; empty while it runs.
    std::optional<TransferStatus> status() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable_any changed_;
    bool sent_ = false;
    bool answered_ = false;
    bool readerClosed_ = false;
    int httpStatus_ = 0;
    std::optional<TransferStatus> status_;
    std::string pipe_;
    std::size_t readOffset_ = 0;
};

} // namespace zka
