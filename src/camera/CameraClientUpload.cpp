// The camera's file uploads: the firmware package with the camera's streamed progress answer, and
// the saved configuration sent back with the factory-default login.
#include "camera/CameraClient.h"

#include "http/MultipartPost.h"
#include "http/StopLink.h"
#include "http/UploadExchange.h"
#include "runtime/TimeLimit.h"

#include <condition_variable>
#include <mutex>

namespace zka {

namespace {

constexpr const char* kUploadPath = "/command/versionup.cgi";
constexpr const char* kRestorePath = "/command/all-configuration.cgi";
constexpr const char* kRestorePresetPath = "/command/all-configuration-preset.cgi";
// After a firmware upgrade the camera accepts its configuration only from the factory-default
// administrator (admin:admin), whatever login the operator gave.
constexpr const char* kFactoryAuthorization = "Authorization: Basic YWRtaW46YWRtaW4=";
// The camera must have read the whole package by then: one that reads it a trickle at a time would
// otherwise hold its batch for ever.
constexpr Clock::Duration kBodyLimit{600000};

// Why a package did not go out, as the operator reads it.
std::string unsentDetail(const UploadExchange& exchange, bool late)
{
    if (late)
        return "the camera did not read the firmware within " + std::to_string(kBodyLimit.count() / 1000) + " s";
    if (exchange.answered())
        return "the camera answered HTTP " + std::to_string(exchange.httpStatus());
    if (exchange.status() == TransferStatus::ConnectFailed)
        return "no answer";
    return "upload broke off";
}

// Runs on the client's transfer thread: performs the request and hands its events and the
// answer's bytes to the exchange.
void performUpload(MultipartPost& post, UploadExchange& exchange, bool awaitAnswer, std::stop_token stop)
{
    HttpTransfer& transfer = post.transfer();
    transfer.onRequestSent([&] {
        // An answer that came before the whole body went out also ends the request; that upload
        // was not sent.
        if (!post.stream().complete())
            return true;
        exchange.markSent();
        return awaitAnswer;
    });
    transfer.onHeadersComplete([&] {
        if (post.stream().complete() && !exchange.sent())
            exchange.markSent();
        exchange.markAnswered(post.httpStatus());
        return true;
    });
    transfer.onBody([&](const char* data, std::size_t length) {
        return exchange.pushAnswer(std::string_view(data, length), stop);
    });
    exchange.finish(transfer.perform(stop));
}

} // namespace

UploadResult CameraClient::upload(std::span<const std::uint8_t> package, bool awaitAnswer,
                                  std::function<void()> onPiece, std::stop_token stop)
{
    closeUpload();

    // The boundary is taken once: the header and the body's delimiter lines must carry the same text.
    MultipartBody body(MultipartBody::boundaryAt(clock_.wallTime()), "setting_file", "upgrade.bin", package.size());
    auto post = std::make_unique<MultipartPost>(clock_, addressText_, kUploadPath, std::move(body), package,
                                                "Authorization: Basic " + credential_, std::move(onPiece));
    auto exchange = std::make_shared<UploadExchange>();
    {
        std::lock_guard lock(uploadMutex_);
        upload_ = exchange;
        uploadThread_ = std::jthread([exchange, awaitAnswer, post = std::move(post),
                                      clientStop = stop_.get_token()](std::stop_token transferStop) {
            try {
                const StopLink link(transferStop, clientStop);
                performUpload(*post, *exchange, awaitAnswer, link.token());
            } catch (...) {
                // The waiting caller must learn that the transfer is over.
                exchange->finish(TransferStatus::ConnectFailed);
            }
        });
    }

    const StopLink link(std::move(stop), stop_.get_token());
    const auto deadline = std::chrono::steady_clock::now() + clock_.toReal(withRealFloor(clock_, kBodyLimit));
    if (exchange->waitSent(link.token(), deadline))
        return {UploadOutcome::Sent, {}};
    const bool late = !exchange->sent() && !exchange->answered() && !exchange->status().has_value();
    closeUpload();
    if (link.token().stop_requested())
        return {UploadOutcome::Stopped, {}};
    return {UploadOutcome::NotSent, unsentDetail(*exchange, late)};
}

bool CameraClient::awaitAnswer(std::stop_token stop)
{
    std::shared_ptr<UploadExchange> exchange;
    {
        std::lock_guard lock(uploadMutex_);
        exchange = upload_;
    }
    const StopLink link(std::move(stop), stop_.get_token());
    if (exchange && exchange->waitAnswered(link.token()))
        return true;
    closeUpload();
    return false;
}

void CameraClient::closeUpload()
{
    std::lock_guard lock(uploadMutex_);
    if (uploadThread_.joinable()) {
        uploadThread_.request_stop();
        uploadThread_.join();
    }
}

AnswerOutcome CameraClient::readAnswer(UploadAnswerParser& parser, const ProgressTargets& progress,
                                       std::stop_token callerStop)
{
    const StopLink link(std::move(callerStop), stop_.get_token());
    const std::stop_token stop = link.token();
    std::shared_ptr<UploadExchange> exchange;
    {
        std::lock_guard lock(uploadMutex_);
        exchange = upload_;
    }
    if (!exchange)
        return AnswerOutcome::Failed;

    AnswerOutcome outcome = AnswerOutcome::Stopped;
    char slice[UploadAnswerParser::kSliceSize];
    for (;;) {
        if (exchange->answered() && !isSuccessStatus(exchange->httpStatus())) {
            // A refusal or an error page is not the progress stream; there is nothing to follow.
            outcome = AnswerOutcome::Failed;
            break;
        }
        const std::size_t n = exchange->read(slice, sizeof slice, stop);
        if (n > 0) {
            parser.append(std::string_view(slice, n));
            if (parser.parseAll(progress) == 0) {
                outcome = AnswerOutcome::Ended;
                break;
            }
            continue;
        }
        if (stop.stop_requested())
            break;
        const auto status = exchange->status();
        if (status == TransferStatus::ReceiveFailed || status == TransferStatus::SendFailed ||
            status == TransferStatus::ConnectFailed) {
            outcome = AnswerOutcome::Failed;
            break;
        }
        if (status == TransferStatus::Stopped)
            break;
        // The camera closed its answer without the end. It may still be writing its flash: keep
        // waiting, as for a read that timed out, until the owner's own limit stops us (or the
        // client's end). Mere silence never gets here: the answer is read for as long as it lasts.
        std::mutex idle;
        std::condition_variable_any never;
        std::unique_lock lock(idle);
        never.wait(lock, stop, [] { return false; });
        break;
    }
    exchange->closeReader();
    return outcome;
}

RestoreResult CameraClient::restore(std::span<const std::uint8_t> bytes, bool panTilt,
                                    const std::function<void()>& onPiece, const std::function<void()>& onSent,
                                    std::stop_token stop)
{
    // A configuration that could not be read back is never sent: the camera would take an empty
    // or truncated file as its settings.
    if (bytes.empty())
        return RestoreResult::NotSent;

    MultipartBody body(MultipartBody::boundaryAt(clock_.wallTime()), "Restore", "temp.cfg", bytes.size());
    MultipartPost post(clock_, addressText_, panTilt ? kRestorePresetPath : kRestorePath, std::move(body), bytes,
                       kFactoryAuthorization, onPiece);
    bool sent = false;
    bool answered = false;
    HttpTransfer& transfer = post.transfer();
    transfer.onRequestSent([&] {
        // An answer before the whole body went out also ends the request; nothing was restored then.
        if (!post.stream().complete())
            return true;
        sent = true;
        if (onSent)
            onSent();
        return true;
    });
    // Ending the request means receiving the camera's response headers; the body is not needed.
    transfer.onHeadersComplete([&] {
        answered = true;
        return false;
    });
    const StopLink link(std::move(stop), stop_.get_token());
    transfer.perform(link.token());

    if (answered) {
        // A refusal (for example 401 when the camera no longer takes the factory login) is a failed
        // restore: the saved file must then be kept.
        if (!isSuccessStatus(post.httpStatus()))
            return RestoreResult::NotAccepted;
        return post.stream().complete() ? RestoreResult::Accepted : RestoreResult::NotSent;
    }
    return sent ? RestoreResult::NotAccepted : RestoreResult::NotSent;
}

} // namespace zka
