#pragma once

#include "http/CameraEndpoint.h"
#include "runtime/Clock.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace zka {

// How a transfer ended.
enum class TransferStatus {
    Completed,       // the answer ended, or a handler ended the transfer on purpose
    ConnectFailed,   // no connection could be made (refused, unreachable, bad host)
    SendFailed,      // the connection broke before the whole request was sent
    ReceiveTimedOut, // nothing arrived within the receive time-out after the request was sent
    ReceiveFailed,   // the connection broke while the answer was awaited or read
    Stopped,         // the stop token was raised or the overall time-out passed
};
const char* transferStatusName(TransferStatus status);

// One HTTP/1.1 request on libcurl, performed on the calling thread. The library adds only Host,
// User-Agent "ZKA Upgrade Tool" and, when setAccept() was called, one Accept header; the request
// headers given with addHeader() follow in their order, exactly as given. No other header is added:
// no automatic Content-Type, no "Expect: 100-continue", and Content-Length only when the caller did
// not give one. A stop request, the overall time-out and the receive and send time-outs are each
// noticed within about 10 ms, at any time scale. A handler that throws ends the transfer as a
// failure; no exception passes through the library.
class HttpTransfer {
public:
    // Fills buffer with at most capacity bytes of the request body; returns the count (0 = end).
    using BodySource = std::function<std::size_t(char* buffer, std::size_t capacity)>;
    // One response header line, as received (CR LF included); the status line comes first.
    using HeaderSink = std::function<void(std::string_view line)>;
    // A piece of the response body. Returning false ends the transfer at once, as Completed.
    using BodySink = std::function<bool(const char* data, std::size_t length)>;
    // Returning false ends the transfer at once, as Completed.
    using Event = std::function<bool()>;

    HttpTransfer(const Clock& clock, CameraEndpoint endpoint, std::string method, std::string path);
    ~HttpTransfer();
    HttpTransfer(const HttpTransfer&) = delete;
    HttpTransfer& operator=(const HttpTransfer&) = delete;

    void setAccept(std::string value);
    void addHeader(std::string line);
    // A body sent in one piece.
    void setBody(std::string body);
    // A streamed body of exactly `length` bytes, asked of `source` at most maxChunk bytes at a time
    // (the library asks for at most its upload buffer's size, 64 KiB, at a time).
    void setBodySource(std::uint64_t length, std::size_t maxChunk, BodySource source);
    // Longest nominal silence allowed from the end of the request on (0: no limit): over the whole
    // answer, or only until its headers are complete (a streamed answer may then pause at will).
    enum class ReceiveScope { WholeAnswer, UntilHeaders };
    void setReceiveTimeout(Clock::Duration nominal, ReceiveScope scope = ReceiveScope::WholeAnswer);
    // Longest nominal time allowed for connecting, and then for each stretch of the request in which
    // no byte of it goes out (0: no limit); never less than one second of real time. A peer that
    // never accepts the connection ends the transfer as ConnectFailed, one that stops reading as
    // SendFailed.
    void setSendTimeout(Clock::Duration nominal);

    void onHeader(HeaderSink sink);
    void onBody(BodySink sink);
    // Once the whole request, body included, has been handed to the connection.
    void onRequestSent(Event event);
    // Once the response headers are complete: the request has ended.
    void onHeadersComplete(Event event);

    // Runs the transfer to its end. The overall time-out is nominal and counts from the call.
    TransferStatus perform(std::stop_token stop = {}, std::optional<Clock::Duration> overallTimeout = {});

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace zka
