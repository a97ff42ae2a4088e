// The firmware upload of a CameraContext: the multipart POST of the package, the wait for the
// camera's response headers and the reading of its streamed progress answer.
#include "camera/CameraContext.h"
#include "runtime/TimeLimit.h"

#include "http/MultipartPost.h"
#include "http/StopLink.h"
#include "http/UploadExchange.h"

#include <condition_variable>
#include <mutex>

namespace zka {

namespace {

constexpr const char* kUploadPath = "/command/versionup.cgi";
constexpr Clock::Duration kTickPeriod{1000};
// An emergency camera's display moves to this value over the ticks of its 180-second wait.
constexpr int kEmergencyTarget = 9800;
constexpr int kEmergencyTicks = 180;
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

// Runs on the context's transfer thread: performs the request and hands its events and the
// answer's bytes to the exchange.
void performUpload(MultipartPost& post, UploadExchange& exchange, std::atomic<int>& errorCode, bool emergency,
                   std::stop_token stop)
{
    HttpTransfer& transfer = post.transfer();
    transfer.onRequestSent([&] {
        // An answer that came before the whole body went out also ends the request; that upload
        // was not sent.
        if (!post.stream().complete())
            return true;
        errorCode.store(static_cast<int>(StatusCode::Overwriting));
        exchange.markSent();
        // An emergency camera's answer is not awaited: the request ends with the body.
        return !emergency;
    });
    transfer.onHeadersComplete([&] {
        if (post.stream().complete() && !exchange.sent()) {
            errorCode.store(static_cast<int>(StatusCode::Overwriting));
            exchange.markSent();
        }
        exchange.markAnswered(post.httpStatus());
        return true;
    });
    transfer.onBody([&](const char* data, std::size_t length) {
        return exchange.pushAnswer(std::string_view(data, length), stop);
    });
    exchange.finish(transfer.perform(stop));
}

} // namespace

void CameraContext::addProgress(int step)
{
    ProgressTargets{progressControl_, listRow_}.add(step);
}

void CameraContext::setFirmware(std::span<const std::uint8_t> data, std::string newVersionText)
{
    outgoing_ = data;
    std::lock_guard lock(versionMutex_);
    targetVersion_ = std::move(newVersionText);
}

int CameraContext::uploadFirmware(std::stop_token stop)
{
    closeUpload();
    answerParser_.reset();

    // The boundary is taken once: the header and the body's delimiter lines must carry the same text.
    MultipartBody body(MultipartBody::boundaryAt(host_.clock.wallTime()), "setting_file", "upgrade.bin",
                       outgoing_.size());
    auto post = std::make_unique<MultipartPost>(host_.clock, addressText_, kUploadPath, std::move(body), outgoing_,
                                                "Authorization: Basic " + credential_, [this] { addProgress(1); });
    auto exchange = std::make_shared<UploadExchange>();
    const bool emergency = emergency_.load();
    {
        std::lock_guard lock(uploadMutex_);
        upload_ = exchange;
        uploadThread_ = std::jthread([this, exchange, emergency, post = std::move(post),
                                      contextStop = stop_.get_token()](std::stop_token transferStop) {
            try {
                const StopLink link(transferStop, contextStop);
                performUpload(*post, *exchange, errorCode_, emergency, link.token());
            } catch (...) {
                // The waiting worker must learn that the transfer is over.
                exchange->finish(TransferStatus::ConnectFailed);
            }
        });
    }

    const StopLink link(std::move(stop), stop_.get_token());
    const auto deadline = std::chrono::steady_clock::now() + host_.clock.toReal(withRealFloor(host_.clock, kBodyLimit));
    if (!exchange->waitSent(link.token(), deadline)) {
        const bool late = !exchange->sent() && !exchange->answered() && !exchange->status().has_value();
        closeUpload();
        if (!link.token().stop_requested())
            setFailureDetail(unsentDetail(*exchange, late));
        return -1;
    }
    if (emergency)
        return 0;

    tickCount_.store(0);
    host_.timers.start(tickTimer(), kTickPeriod);
    const bool answered = exchange->waitAnswered(link.token());
    host_.timers.stop(tickTimer());
    if (!answered) {
        closeUpload();
        return -2;
    }
    return 0;
}

void CameraContext::closeUpload()
{
    std::lock_guard lock(uploadMutex_);
    if (uploadThread_.joinable()) {
        uploadThread_.request_stop();
        uploadThread_.join();
    }
}

void CameraContext::reportUploadFailure(bool showMessage)
{
    if (listRow_ != nullptr) {
        errorCode_.store(static_cast<int>(StatusCode::NetworkError));
        return;
    }
    if (showMessage) {
        host_.prompter.show(Message{host_.texts(225), host_.texts(203), MessageIcon::Error, MessageButtons::Ok});
        host_.events.postNavigate(1, 3);
        return;
    }
    host_.events.postNavigate(0, 1);
}

void CameraContext::readUploadAnswer(std::stop_token callerStop)
{
    const StopLink link(std::move(callerStop), stop_.get_token());
    const std::stop_token stop = link.token();
    replyResult_.store(1);
    if (emergency_.load()) {
        // Nothing to read: the tick timer moves the display to 9800 over the camera's wait.
        emergencyStep_.store((kEmergencyTarget - ProgressTargets{progressControl_, listRow_}.current()) /
                             kEmergencyTicks);
        return;
    }
    std::shared_ptr<UploadExchange> exchange;
    {
        std::lock_guard lock(uploadMutex_);
        exchange = upload_;
    }
    if (!exchange) {
        replyResult_.store(0);
        return;
    }

    tickCount_.store(0);
    host_.timers.start(tickTimer(), kTickPeriod);
    char slice[UploadAnswerParser::kSliceSize];
    for (;;) {
        if (exchange->answered() && !isSuccessStatus(exchange->httpStatus())) {
            // A refusal or an error page is not the progress stream; there is nothing to follow.
            replyResult_.store(0);
            break;
        }
        const std::size_t n = exchange->read(slice, sizeof slice, stop);
        if (n > 0) {
            answerParser_.append(std::string_view(slice, n));
            if (parseUploadAnswer() == 0)
                break;
            continue;
        }
        if (stop.stop_requested())
            break;
        const auto status = exchange->status();
        if (status == TransferStatus::ReceiveFailed || status == TransferStatus::SendFailed ||
            status == TransferStatus::ConnectFailed) {
            replyResult_.store(0);
            break;
        }
        if (status == TransferStatus::Stopped)
            break;
        // The camera closed its answer without the end. It may still be writing its flash: keep
        // waiting, as for a read that timed out, until the owner's own limit stops us (or the
        // context's end). Mere silence never gets here: the answer is read for as long as it lasts.
        std::mutex idle;
        std::condition_variable_any never;
        std::unique_lock lock(idle);
        never.wait(lock, stop, [] { return false; });
        break;
    }
    exchange->closeReader();
    host_.timers.stop(tickTimer());
}

int CameraContext::parseUploadAnswer()
{
    return answerParser_.parseAll(ProgressTargets{progressControl_, listRow_});
}

} // namespace zka
