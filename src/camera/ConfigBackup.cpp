#include "camera/ConfigBackup.h"

#include "camera/BackupLocation.h"
#include "camera/ConfigDownload.h"
#include "runtime/FileDescriptor.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace zka {

namespace {

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

    std::unique_ptr<FileDescriptor> file;
    const ConfigSink sink{
        [&](std::string& error) {
            file = std::make_unique<FileDescriptor>(createFile());
            if (!file->valid() || ::fchmod(file->get(), 0600) != 0) {
                error = systemError("Cannot create", localPath_);
                return false;
            }
            return true;
        },
        [&](std::string_view bytes, std::string& error) {
            if (writeAll(file->get(), bytes.data(), bytes.size()))
                return true;
            error = systemError("Cannot write", localPath_);
            return false;
        },
        [&](std::string& error) {
            if (::fsync(file->get()) == 0)
                return true;
            error = systemError("Cannot write", localPath_);
            return false;
        },
    };
    const ConfigDownloadResult result =
        downloadConfiguration(clock_, cameraAddress_, cameraFilePath_, authorizationHeader_, sourceUrl_, sink, stop);
    errorText_ = result.errorText;
    savedSize_ = result.stored;
    if (result.discard && file) {
        // Nothing of it is a configuration worth keeping.
        file.reset();
        ::unlink(localPath_.c_str());
        savedSize_ = 0;
    }
    return result.ok;
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
