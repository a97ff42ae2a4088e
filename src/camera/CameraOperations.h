#pragma once

#include "camera/UploadAnswerParser.h"
#include "runtime/Clock.h"

#include <cstdint>
#include <functional>
#include <span>
#include <stop_token>
#include <string>

namespace zka {

enum class QueryOutcome {
    Replied,      // the camera answered; text is its reply
    LoginRefused, // the camera refused the login; text is "401 Unauthorized"
    Failed,       // no reply in time, unreachable, or stopped
};

struct QueryResult {
    QueryOutcome outcome = QueryOutcome::Failed;
    // The reply up to its first zero byte, as the readers of inquiry replies take it: "401
    // Unauthorized" for a refused login; empty for a failure, except a reply that broke off while
    // it was read, which keeps what had arrived.
    std::string text;
};

enum class UploadOutcome {
    Sent,    // the whole package went out
    NotSent, // detail says why, in a few words
    Stopped, // the caller's or the client's stop came first
};

struct UploadResult {
    UploadOutcome outcome = UploadOutcome::Stopped;
    std::string detail;
};

enum class AnswerOutcome {
    Ended,   // the camera's answer reached its end
    Failed,  // the answer was refused, was not the progress stream, or could not be read
    Stopped, // stopped before the end (also an answer that closed early and was waited on)
};

enum class RestoreResult {
    Accepted,    // sent whole, and the camera answered 2xx
    NotSent,     // nothing to send, or the request could not be opened, sent or written
    NotAccepted, // the camera did not complete the request, or refused it
};

// What an upgrade asks of its camera, each operation a value in and a value out. CameraClient does
// it over HTTP; a test may script a camera instead. See CameraClient for each operation's contract.
class CameraOperations {
public:
    virtual ~CameraOperations() = default;

    virtual const std::string& addressText() const = 0;
    virtual const std::string& credential() const = 0;
    virtual QueryResult query(const std::string& body, Clock::Duration timeout, std::stop_token stop = {}) = 0;
    virtual void abandonQueries() = 0;
    virtual UploadResult upload(std::span<const std::uint8_t> package, bool awaitAnswer, std::function<void()> onPiece,
                                std::stop_token stop = {}) = 0;
    virtual bool awaitAnswer(std::stop_token stop = {}) = 0;
    virtual AnswerOutcome readAnswer(UploadAnswerParser& parser, const ProgressTargets& progress,
                                     std::stop_token stop = {}) = 0;
    virtual void closeUpload() = 0;
    virtual RestoreResult restore(std::span<const std::uint8_t> bytes, bool panTilt,
                                  const std::function<void()>& onPiece, const std::function<void()>& onSent,
                                  std::stop_token stop = {}) = 0;
};

} // namespace zka
