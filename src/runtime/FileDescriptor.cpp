#include "runtime/FileDescriptor.h"

#include <cerrno>
#include <unistd.h>
#include <utility>

namespace zka {

FileDescriptor::~FileDescriptor()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool FileDescriptor::close()
{
    return ::close(std::exchange(fd_, -1)) == 0;
}

bool writeAll(int fd, const void* data, std::size_t length)
{
    const auto* bytes = static_cast<const char*>(data);
    while (length > 0) {
        const ssize_t n = ::write(fd, bytes, length);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace zka
