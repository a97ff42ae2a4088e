#include "camera/ConfigDownload.h"

#include "camera/BackupLocation.h"
#include "http/CameraEndpoint.h"
#include "http/HttpTransfer.h"
#include "http/MultipartPost.h"

#include <algorithm>
#include <optional>

namespace zka {

namespace {

// The download waits at most this long (nominal) for the camera to say something.
constexpr Clock::Duration kReceiveTimeout{60000};
// ... and at most this long for the whole file: a camera that trickles must not hold the batch.
constexpr Clock::Duration kDownloadLimit{180000};
// A camera's configuration is a few KB; a download beyond this is not one (a camera that streams
// without end would otherwise fill the disk).
constexpr std::uint64_t kMaxConfigurationSize = 1024 * 1024;

// A block of the download read as the camera's text: up to its first zero byte.
bool holdsHtmlMarker(std::string_view block)
{
    const auto zero = block.find('\0');
    return block.substr(0, zero).find("<HTML>") != std::string_view::npos;
}

// The value of a "Content-Length:" header line; empty for any other line or an unreadable value.
std::optional<std::uint64_t> contentLengthOf(std::string_view line)
{
    constexpr std::string_view kName = "content-length:";
    if (line.size() <= kName.size() || asciiLower(line.substr(0, kName.size())) != kName)
        return std::nullopt;
    std::uint64_t value = 0;
    bool digits = false;
    for (const char c : line.substr(kName.size())) {
        if (c >= '0' && c <= '9') {
            if (value > kMaxConfigurationSize * 16)
                return std::nullopt;
            value = value * 10 + static_cast<std::uint64_t>(c - '0');
            digits = true;
        } else if ((c != ' ' && c != '\t') || digits) {
            break;
        }
    }
    return digits ? std::optional<std::uint64_t>(value) : std::nullopt;
}

// How a download that did not complete failed, as the operator reads it.
std::string failureText(TransferStatus status)
{
    switch (status) {
    case TransferStatus::ConnectFailed: return "no answer";
    case TransferStatus::ReceiveTimedOut:
        return "the camera sent nothing for " + std::to_string(kReceiveTimeout.count() / 1000) + " s";
    case TransferStatus::SendFailed:
    case TransferStatus::ReceiveFailed: return "the connection broke off";
    default: return transferStatusName(status);
    }
}

} // namespace

ConfigDownloadResult downloadConfiguration(const Clock& clock, const std::string& cameraAddress,
                                           const std::string& cameraFilePath, const std::string& authorizationHeader,
                                           const std::string& sourceUrl, const ConfigSink& sink, std::stop_token stop)
{
    HttpTransfer transfer(clock, splitAddress(cameraAddress), "GET", cameraFilePath);
    transfer.addHeader(authorizationHeader);
    transfer.setReceiveTimeout(kReceiveTimeout);
    transfer.setSendTimeout(kReceiveTimeout);

    ConfigDownloadResult result;
    std::string& errorText = result.errorText;
    int httpStatus = 0;
    std::optional<std::uint64_t> announced;
    bool opened = false;
    std::string block;
    block.reserve(kConfigBlockSize);

    // Stores one 512-byte block (or the short last one); false ends the download.
    auto storeBlock = [&](std::string_view bytes) {
        if (holdsHtmlMarker(bytes)) {
            errorText = "The camera sent an HTML page instead of its configuration";
            return false;
        }
        if (!sink.store(bytes, errorText))
            return false;
        result.stored += bytes.size();
        return true;
    };

    transfer.onHeader([&](std::string_view line) {
        if (const int status = parseStatusLine(line); status != 0)
            httpStatus = status;
        else if (const auto length = contentLengthOf(line))
            announced = length;
    });
    transfer.onHeadersComplete([&] {
        // An error page (a refused login, a missing file) is not the configuration: the sink is
        // never opened for it.
        if (!isSuccessStatus(httpStatus)) {
            errorText = "The camera answered with HTTP status " + std::to_string(httpStatus);
            return false;
        }
        opened = sink.open(errorText);
        return opened;
    });
    transfer.onBody([&](const char* data, std::size_t length) {
        if (!opened)
            return false;
        if (result.stored + block.size() + length > kMaxConfigurationSize) {
            result.discard = true;
            errorText = "The camera sent more than " + std::to_string(kMaxConfigurationSize) +
                        " bytes: that is not its configuration";
            return false;
        }
        std::string_view bytes(data, length);
        while (!bytes.empty()) {
            const std::size_t n = std::min(kConfigBlockSize - block.size(), bytes.size());
            block.append(bytes.substr(0, n));
            bytes.remove_prefix(n);
            if (block.size() == kConfigBlockSize) {
                if (!storeBlock(block))
                    return false;
                block.clear();
            }
        }
        return true;
    });

    const TransferStatus status = transfer.perform(stop, kDownloadLimit);
    const std::uint64_t received = result.stored + block.size();
    if (errorText.empty() && status == TransferStatus::Stopped && !stop.stop_requested()) {
        result.discard = true;
        errorText = "The camera did not send its configuration within " +
                    std::to_string(kDownloadLimit.count() / 1000) + " s";
    } else if (errorText.empty() && opened && announced && received < *announced) {
        // Closed before the length it announced: only a piece of the file came.
        result.discard = true;
        errorText = "The camera sent " + std::to_string(received) + " of " + std::to_string(*announced) +
                    " bytes of its configuration";
    } else if (errorText.empty() && status != TransferStatus::Completed) {
        result.discard = true;
        errorText = "Cannot download " + sourceUrl + ": " + failureText(status);
    }
    if (errorText.empty() && !opened)
        errorText = "The camera sent no answer";
    if (errorText.empty() && received == 0) {
        // Nothing to restore later: saving it would only lose the camera's settings.
        result.discard = true;
        errorText = "The configuration was empty";
    }
    if (errorText.empty() && !block.empty())
        storeBlock(block);
    if (opened && errorText.empty())
        sink.finish(errorText);
    result.ok = errorText.empty();
    return result;
}

} // namespace zka
