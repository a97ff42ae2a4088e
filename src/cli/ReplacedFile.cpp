#include "cli/ReplacedFile.h"

#include "runtime/FileDescriptor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace zka::cli {

namespace {

// The temporary file beside the target, removed unless it was renamed over the target.
class TemporaryFile final {
public:
    explicit TemporaryFile(const std::string& target)
        : path_(target + ".XXXXXX")
        , file_(::mkostemp(path_.data(), O_CLOEXEC))
    {
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile()
    {
        if (!renamed_)
            ::unlink(path_.c_str());
    }

    bool opened() const { return file_.valid(); }
    int fd() const { return file_.get(); }
    // Closes the file; errno tells why when false.
    bool close() { return file_.close(); }
    bool renameTo(const std::string& target)
    {
        renamed_ = ::rename(path_.c_str(), target.c_str()) == 0;
        return renamed_;
    }

private:
    std::string path_;
    FileDescriptor file_;
    bool renamed_ = false;
};

// The mode a file newly made by fopen would get: what the umask leaves of 0666.
mode_t newFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

std::string writeInPlace(const std::string& path, std::string_view bytes)
{
    FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CLOEXEC));
    if (!file.valid())
        return std::strerror(errno);
    const bool written = writeAll(file.get(), bytes.data(), bytes.size());
    const int error = errno;
    const bool closed = file.close();
    return written && closed ? std::string() : std::strerror(written ? errno : error);
}

} // namespace

bool replaceable(const std::string& path)
{
    struct stat existing {};
    return ::stat(path.c_str(), &existing) != 0 || S_ISREG(existing.st_mode);
}

std::string replaceFile(const std::string& path, std::string_view bytes)
{
    struct stat existing {};
    if (::stat(path.c_str(), &existing) != 0)
        existing.st_mode = S_IFREG | newFileMode();
    else if (!S_ISREG(existing.st_mode))
        return writeInPlace(path, bytes);
    // A link keeps pointing at the file it named.
    std::error_code ignored;
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, ignored);
    const std::string target = resolved.empty() ? path : resolved.string();
    TemporaryFile file(target);
    if (!file.opened())
        return std::strerror(errno);
    if (!writeAll(file.fd(), bytes.data(), bytes.size()) || ::fchmod(file.fd(), existing.st_mode & 07777) != 0 ||
        ::fsync(file.fd()) != 0 || !file.close() || !file.renameTo(target))
        return std::strerror(errno);
    // The rename itself reaches the disk with the folder that holds it.
    FileDescriptor folder(::open(std::filesystem::path(target).parent_path().string().c_str(),
                                 O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.valid())
        ::fsync(folder.get());
    return {};
}

} // namespace zka::cli
