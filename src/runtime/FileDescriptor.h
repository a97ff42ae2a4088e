#pragma once

#include <cstddef>

namespace zka {

// Owns one POSIX file descriptor and closes it when it goes.
class FileDescriptor final {
public:
    explicit FileDescriptor(int fd = -1) noexcept : fd_(fd) {}
    ~FileDescriptor();
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closes it now: a failed close can mean data not written. False with errno set.
    bool close();

private:
    int fd_;
};

// Writes every byte, going on after short writes and interrupted calls. False, with errno set, when
// the descriptor takes no more.
bool writeAll(int fd, const void* data, std::size_t length);

} // namespace zka
