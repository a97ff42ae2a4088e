// zka-upgrade-cli package: the firmware package compiled into the program.
#include "cli/CommandLine.h"
#include "cli/CommandRegistry.h"
#include "cli/ConsolePrompter.h"
#include "resources/PackagedResources.h"
#include "runtime/FileDescriptor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <span>
#include <string>
#include <utility>

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

// Writes straight into a device or pipe such as /dev/stdout, which cannot be replaced.
std::string writeInPlace(const std::string& path, std::span<const std::uint8_t> bytes)
{
    FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CLOEXEC));
    if (!file.valid())
        return std::strerror(errno);
    const bool written = writeAll(file.get(), bytes.data(), bytes.size());
    const int error = errno;
    const bool closed = file.close();
    return written && closed ? std::string() : std::strerror(written ? errno : error);
}

// Writes the bytes to a temporary file beside `path` and renames it to `path` once complete, so a
// failure leaves whatever was at `path` before as it was. Returns the reason of a failure.
std::string writePackage(const std::string& path, std::span<const std::uint8_t> bytes)
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
    return {};
}

int runPackage(const std::vector<std::string>& args)
{
    CommandLine line("package");
    std::vector<std::string> positional;
    std::string extractPath;
    line.addArguments(positional);
    const CLI::Option* extract = line.app().add_option("--extract", extractPath);
    if (!line.parse(args))
        return CommandLine::kExitUsage;
    if (!positional.empty())
        return line.usageError("unexpected argument");

    ConsolePrompter prompter;
    PackagedResources resources(embeddedResources(), prompter);
    resources.loadPackageNames();
    resources.loadFirmwarePackages();
    if (!resources.isLoaded(0)) {
        std::fprintf(stderr, "zka-upgrade-cli package: the firmware package is missing or damaged\n");
        return 1;
    }
    const auto package = resources.packageData()[0];

    if (extract->count() != 0) {
        const std::string& path = extractPath;
        if (const auto failure = writePackage(path, package); !failure.empty()) {
            std::fprintf(stderr, "zka-upgrade-cli package: cannot write %s: %s\n", path.c_str(), failure.c_str());
            return 1;
        }
        std::printf("wrote %zu bytes to %s\n", package.size(), path.c_str());
        return 0;
    }
    // Loading verified the package against the digest recorded at build time, so that is its digest.
    std::printf("size %zu\nsha256 %s\n", package.size(), std::string(builtPackageSha256()).c_str());
    return 0;
}

const CommandRegistration registration{Command{
    "package",
    "show or extract the firmware package the program carries",
    "usage: zka-upgrade-cli package [--extract FILE]\n\n"
    "Loads the firmware package compiled into the program and checks its SHA-256.\n"
    "Without options, prints its size and SHA-256:\n"
    "  size 10014720\n"
    "  sha256 <64 hexadecimal digits>\n"
    "--extract FILE  writes the package bytes (a tar archive) to FILE instead.\n\n"
    "Exit status: 0 on success; 1 when the package is missing or damaged or FILE cannot be\n"
    "written (FILE is then left as it was); 64 on a usage error.\n",
    runPackage,
}};

} // namespace

} // namespace zka::cli
