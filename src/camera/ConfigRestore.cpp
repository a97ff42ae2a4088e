// The configuration restore of a CameraContext: the saved configuration sent back to the camera as
// a multipart POST, always with the camera's factory-default login.
#include "camera/CameraContext.h"

#include "http/MultipartPost.h"
#include "http/StopLink.h"

namespace zka {

namespace {

constexpr const char* kRestorePath = "/command/all-configuration.cgi";
constexpr const char* kRestorePresetPath = "/command/all-configuration-preset.cgi";
// After a firmware upgrade the camera accepts its configuration only from the factory-default
// administrator (admin:admin), whatever login the operator gave.
constexpr const char* kFactoryAuthorization = "Authorization: Basic YWRtaW46YWRtaW4=";
constexpr Clock::Duration kTickPeriod{1000};

} // namespace

void CameraContext::setRestoreData(std::span<const std::uint8_t> data)
{
    outgoing_ = data;
}

void CameraContext::rememberSystemReply(const std::string& reply)
{
    if (reply.empty())
        return;
    std::lock_guard lock(versionMutex_);
    lastSystemReply_ = reply;
}

void CameraContext::detectPanTilt()
{
    std::lock_guard lock(versionMutex_);
    if (lastSystemReply_.find("PanTiltFunc=1") != std::string::npos)
        panTilt_.store(true);
}

int CameraContext::restoreConfiguration(std::stop_token stop)
{
    // A configuration that could not be read back is never sent: the camera would take an empty
    // or truncated file as its settings.
    if (outgoing_.empty())
        return -1;

    MultipartBody body(MultipartBody::boundaryAt(host_.clock.wallTime()), "Restore", "temp.cfg", outgoing_.size());
    MultipartPost post(host_.clock, addressText_, panTilt_.load() ? kRestorePresetPath : kRestorePath,
                       std::move(body), outgoing_, kFactoryAuthorization, [this] { addProgress(1); });
    const bool emergency = emergency_.load();
    bool sent = false;
    bool answered = false;
    bool ticking = false;
    HttpTransfer& transfer = post.transfer();
    transfer.onRequestSent([&] {
        // An answer before the whole body went out also ends the request; nothing was restored then.
        if (!post.stream().complete())
            return true;
        sent = true;
        errorCode_.store(static_cast<int>(StatusCode::Overwriting));
        // An emergency camera's display is not moved by ticks; its answer is awaited all the same,
        // since only the answer tells whether the camera took the configuration.
        if (!emergency) {
            tickCount_.store(0);
            host_.timers.start(tickTimer(), kTickPeriod);
            ticking = true;
        }
        return true;
    });
    // Ending the request means receiving the camera's response headers; the body is not needed.
    transfer.onHeadersComplete([&] {
        answered = true;
        return false;
    });
    const StopLink link(std::move(stop), stop_.get_token());
    transfer.perform(link.token());
    if (ticking)
        host_.timers.stop(tickTimer());

    if (answered) {
        // A refusal (for example 401 when the camera no longer takes the factory login) is a failed
        // restore: the saved file must then be kept.
        if (!isSuccessStatus(post.httpStatus()))
            return -2;
        return post.stream().complete() ? 0 : -1;
    }
    return sent ? -2 : -1;
}

} // namespace zka
