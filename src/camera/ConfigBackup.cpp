#include "camera/ConfigBackup.h"

#include "camera/BackupLocation.h"
#include "http/HttpTransfer.h"
#include "http/MultipartPost.h"
#include "runtime/FileDescriptor.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace zka {

namespace {

// The download waits at most this long (nominal) for the camera to say something.
constexpr Clock::Duration kReceiveTimeout{60000};
// ... and at most this long for the whole file: a camera that trickles must not hold the batch.
constexpr Clock::Duration kDownloadLimit{180000};
// A camera's configuration is a few KB; a download beyond this is not one (a camera that streams
// without end would otherwise fill the disk).
constexpr std::uint64_t kMaxConfigurationSize = 1024 * 1024;
constexpr std::size_t kMaxErrorText = 254;
// Names tried for one backup file before the save gives up.
constexpr int kMaxNameAttempts = 100;

std::string systemError(const std::string& what, const std::string& path)
{
    std::string text = what + " " + path + ": " + std::strerror(errno);
    if (text.size() > kMaxErrorText)
        text.resize(kMaxErrorText);
    return text;
}

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

std::string ConfigBackup::cameraFilePath(const std::string& principalModel)
{
    return "/home/l4/" + asciiLower(principalModel) + ".cfg";
}

ConfigBackup::ConfigBackup(const Clock& clock, std::string cameraAddress, std::string cameraFilePath,
                           const std::string& credential, std::chrono::system_clock::time_point timeStamp,
                           const std::string& principalModel, const std::string& serial, bool deleteAfterRestore)
    : clock_(clock)
    , deleteAfterRestore_(deleteAfterRestore)
    , cameraAddress_(std::move(cameraAddress))
    , cameraFilePath_(std::move(cameraFilePath))
{
    sourceUrl_ = "HTTP://" + cameraAddress_ + cameraFilePath_;
    authorizationHeader_ = "Authorization: Basic " + credential;
    const std::string root = backupRoot();
    rootLength_ = backupRootGivenLength();
    localPath_ = backupFilePath(root, timeStamp, principalModel, serial);
    plainPath_ = localPath_;
    clashName_ = cameraAddress_;
}

int ConfigBackup::createFile()
{
    // Every camera of a batch saves into one folder: a file that exists belongs to another camera
    // (or to an earlier save of this one) and is never opened, let alone truncated.
    const std::string stem = plainPath_.substr(0, plainPath_.size() - std::string_view(".cfg").size());
    const std::string clash = safeFileNamePart(clashName_);
    for (int attempt = 0; attempt < kMaxNameAttempts; ++attempt) {
        std::string candidate = plainPath_;
        if (attempt > 0)
            candidate = stem + "." + clash + (attempt > 1 ? "-" + std::to_string(attempt) : std::string()) + ".cfg";
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            localPath_ = std::move(candidate);
            return fd;
        }
        if (errno != EEXIST)
            return -1;
    }
    return -1;
}

bool ConfigBackup::makeFolders(const std::string& path, std::size_t givenLength, std::string* errorText)
{
    std::vector<std::size_t> separators;
    for (std::size_t p = path.find('/'); p != std::string::npos; p = path.find('/', p + 1)) {
        separators.push_back(p);
        if (static_cast<int>(separators.size()) >= kMaxSeparators) {
            if (errorText != nullptr)
                *errorText = "The path is too deep: " + path.substr(0, kMaxErrorText / 2);
            return false;
        }
    }
    for (const std::size_t p : separators) {
        if (p <= givenLength)
            continue;
        const std::string folder = path.substr(0, p);
        struct stat info {};
        if (::stat(folder.c_str(), &info) == 0)
            continue;
        if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
            if (errorText != nullptr)
                *errorText = systemError("Cannot create the folder", folder);
            return false;
        }
    }
    return true;
}

bool ConfigBackup::saveFromCamera(std::stop_token stop)
{
    errorText_.clear();
    savedSize_ = 0;
    if (!makeFolders(localPath_, rootLength_, &errorText_))
        return false;

    HttpTransfer transfer(clock_, splitAddress(cameraAddress_), "GET", cameraFilePath_);
    transfer.addHeader(authorizationHeader_);
    transfer.setReceiveTimeout(kReceiveTimeout);
    transfer.setSendTimeout(kReceiveTimeout);

    int httpStatus = 0;
    std::optional<std::uint64_t> announced;
    bool htmlFound = false;
    // Set for a download that is no configuration at all: its file goes.
    bool discard = false;
    std::unique_ptr<FileDescriptor> file;
    std::string block;
    block.reserve(kBlockSize);

    // Writes one 512-byte block (or the short last one); false ends the download.
    auto storeBlock = [&](std::string_view bytes) {
        if (holdsHtmlMarker(bytes)) {
            htmlFound = true;
            errorText_ = "The camera sent an HTML page instead of its configuration";
            return false;
        }
        if (!writeAll(file->get(), bytes.data(), bytes.size())) {
            errorText_ = systemError("Cannot write", localPath_);
            return false;
        }
        savedSize_ += bytes.size();
        return true;
    };

    transfer.onHeader([&](std::string_view line) {
        if (const int status = parseStatusLine(line); status != 0)
            httpStatus = status;
        else if (const auto length = contentLengthOf(line))
            announced = length;
    });
    transfer.onHeadersComplete([&] {
        // An error page (a refused login, a missing file) is not the configuration: keep any older
        // file untouched.
        if (!isSuccessStatus(httpStatus)) {
            errorText_ = "The camera answered with HTTP status " + std::to_string(httpStatus);
            return false;
        }
        file = std::make_unique<FileDescriptor>(createFile());
        if (!file->valid() || ::fchmod(file->get(), 0600) != 0) {
            errorText_ = systemError("Cannot create", localPath_);
            return false;
        }
        return true;
    });
    transfer.onBody([&](const char* data, std::size_t length) {
        if (!file)
            return false;
        if (savedSize_ + block.size() + length > kMaxConfigurationSize) {
            discard = true;
            errorText_ = "The camera sent more than " + std::to_string(kMaxConfigurationSize) +
                         " bytes: that is not its configuration";
            return false;
        }
        std::string_view bytes(data, length);
        while (!bytes.empty()) {
            const std::size_t n = std::min(kBlockSize - block.size(), bytes.size());
            block.append(bytes.substr(0, n));
            bytes.remove_prefix(n);
            if (block.size() == kBlockSize) {
                if (!storeBlock(block))
                    return false;
                block.clear();
            }
        }
        return true;
    });

    const TransferStatus status = transfer.perform(stop, kDownloadLimit);
    const std::uint64_t received = savedSize_ + block.size();
    if (errorText_.empty() && status == TransferStatus::Stopped && !stop.stop_requested()) {
        discard = true;
        errorText_ = "The camera did not send its configuration within " +
                     std::to_string(kDownloadLimit.count() / 1000) + " s";
    } else if (errorText_.empty() && file && announced && received < *announced) {
        // Closed before the length it announced: only a piece of the file came.
        discard = true;
        errorText_ = "The camera sent " + std::to_string(received) + " of " + std::to_string(*announced) +
                     " bytes of its configuration";
    } else if (errorText_.empty() && status != TransferStatus::Completed) {
        discard = true;
        errorText_ = "Cannot download " + sourceUrl_ + ": " + failureText(status);
    }
    if (errorText_.empty() && !file)
        errorText_ = "The camera sent no answer";
    if (errorText_.empty() && received == 0) {
        // Nothing to restore later: saving it would only lose the camera's settings.
        discard = true;
        errorText_ = "The configuration was empty";
    }
    if (errorText_.empty() && !block.empty())
        storeBlock(block);
    if (file && errorText_.empty() && ::fsync(file->get()) != 0)
        errorText_ = systemError("Cannot write", localPath_);
    if (discard && file) {
        // Nothing of it is a configuration worth keeping.
        file.reset();
        ::unlink(localPath_.c_str());
        savedSize_ = 0;
    }
    return errorText_.empty() && !htmlFound;
}

bool ConfigBackup::readSaved(std::vector<std::uint8_t>& buffer)
{
    buffer.clear();
    FileDescriptor file(::open(localPath_.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat info {};
    if (!file.valid() || ::fstat(file.get(), &info) != 0) {
        errorText_ = systemError("Cannot read", localPath_);
        return false;
    }
    if (static_cast<std::uint64_t>(info.st_size) != savedSize_) {
        errorText_ = "The saved configuration " + localPath_ + " has changed size";
        return false;
    }
    std::vector<std::uint8_t> bytes(savedSize_);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(file.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            errorText_ = systemError("Cannot read", localPath_);
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    buffer = std::move(bytes);
    return true;
}

bool ConfigBackup::deleteSavedFile()
{
    if (!deleteAfterRestore_)
        return false;
    if (::unlink(localPath_.c_str()) != 0 && errno != ENOENT) {
        errorText_ = systemError("Cannot delete", localPath_);
        return false;
    }
    return true;
}

} // namespace zka
