#include "cli/SecretFile.h"

#include "runtime/FileDescriptor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace zka::cli {


std::optional<SecretFile> SecretFile::read(const std::string& path, const std::string& what, std::size_t maxBytes,
                                           std::string& error)
{
    const std::string unreadable = "cannot read the " + what + " \"" + path + "\"";
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (!file.valid() || ::fstat(file.get(), &info) != 0) {
        error = unreadable;
        return std::nullopt;
    }
    SecretFile secret;
    secret.readableByOthers = (info.st_mode & (S_IRGRP | S_IROTH)) != 0;
    char buffer[4096];
    // One byte past the bound tells a file that is too long from one that just fits.
    while (secret.text.size() <= maxBytes) {
        const std::size_t wanted = std::min(sizeof buffer, maxBytes + 1 - secret.text.size());
        const ssize_t n = ::read(file.get(), buffer, wanted);
        if (n == 0)
            return secret;
        if (n < 0) {
            error = unreadable;
            return std::nullopt;
        }
        secret.text.append(buffer, static_cast<std::size_t>(n));
    }
    error = "the " + what + " \"" + path + "\" is longer than " + std::to_string(maxBytes) + " bytes";
    return std::nullopt;
}

void warnReadableByOthers(const std::string& program, const std::string& what, const std::string& path)
{
    std::fprintf(stderr, "%s: warning: other users can read the %s \"%s\"; make it readable by you only (chmod 600)\n",
                 program.c_str(), what.c_str(), path.c_str());
}

} // namespace zka::cli
