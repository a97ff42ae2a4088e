#pragma once

#include "camera/CameraOperations.h"
#include "runtime/Clock.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <stop_token>
#include <string>
#include <thread>

namespace zka {

class AsyncQuery;
class UploadExchange;

// One camera's operations over HTTP, values in and values out: inquiries (waited for or polled),
// the firmware upload with its streamed answer, and the configuration restore. It knows nothing of
// status codes, timers or messages; what happens meanwhile reaches the caller through callbacks.
// Destroying the client stops every request it runs and joins their threads.
class CameraClient final : public CameraOperations {
public:
    // The clock must outlive the client.
    CameraClient(const Clock& clock, std::string addressText, std::string credential);
    ~CameraClient() override;
    CameraClient(const CameraClient&) = delete;
    CameraClient& operator=(const CameraClient&) = delete;

    const std::string& addressText() const override { return addressText_; }
    const std::string& credential() const override { return credential_; }

    // ---- Inquiries ----
    // One inquiry, waited for: the timeout is its only bound, besides `stop` and the client's end.
    QueryResult query(const std::string& body, Clock::Duration timeout, std::stop_token stop = {}) override;
    // One inquiry, polled: starts it and returns at once. A previous polled query still running is
    // stopped and joined first.
    void startQuery(const std::string& body);
    bool queryStarted() const;
    // True once the polled query's thread has ended (false before the first startQuery).
    bool queryFinished() const;
    // The polled query's result; a failure with empty text while it still runs.
    QueryResult polledReply() const;
    Clock::TimePoint queryStartTime() const;
    // Stops the queries in flight, of both kinds, and waits until their threads have ended.
    void abandonQueries() override;

    // ---- Firmware upload ----
    // Sends the package (borrowed until closeUpload) on a transfer thread of the client and waits
    // until it went out. With awaitAnswer false (emergency firmware) the request ends with the
    // body; otherwise it stays open for awaitAnswer() and readAnswer(). onPiece runs on the
    // transfer thread for each chunk sent.
    UploadResult upload(std::span<const std::uint8_t> package, bool awaitAnswer, std::function<void()> onPiece,
                        std::stop_token stop = {}) override;
    // After a Sent upload: true once the camera's response headers came; false when the request
    // ended without them (no answer within the receive time-out, connection dropped) or on a stop.
    bool awaitAnswer(std::stop_token stop = {}) override;
    // Follows the camera's answer, feeding it to the parser in slices of its size.
    AnswerOutcome readAnswer(UploadAnswerParser& parser, const ProgressTargets& progress,
                             std::stop_token stop = {}) override;
    // Stops the upload's transfer thread and joins it; harmless when there is none.
    void closeUpload() override;

    // ---- Configuration restore ----
    // Sends a saved configuration back with the factory-default login, to the pan-tilt path when
    // asked. onPiece runs for each chunk, onSent once the whole body went out (both on this thread).
    RestoreResult restore(std::span<const std::uint8_t> bytes, bool panTilt, const std::function<void()>& onPiece,
                          const std::function<void()>& onSent, std::stop_token stop = {}) override;

private:
    const Clock& clock_;
    const std::string addressText_;
    const std::string credential_;

    // Raised first by the destructor: every thread of this client leaves at its next check.
    std::stop_source stop_;

    // Waited-for queries in flight (their threads belong to query's frame), and the polled query.
    std::mutex syncMutex_;
    std::condition_variable syncIdle_;
    int syncActive_ = 0;
    std::stop_source syncAbandon_;
    mutable std::mutex asyncMutex_;
    std::unique_ptr<AsyncQuery> asyncQuery_;

    // The upload's state shared with its transfer thread, declared last so that the thread is
    // stopped and joined before anything it uses goes away.
    std::mutex uploadMutex_;
    std::shared_ptr<UploadExchange> upload_;
    std::jthread uploadThread_;
};

} // namespace zka
