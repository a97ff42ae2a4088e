#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace zka::cli {

// A file that holds passwords, read through one descriptor so that the permissions reported are
// those of the bytes read, and never past maxBytes (a device such as /dev/zero has no end).
struct SecretFile {
    std::string text;
    // The group or others may read the file.
    bool readableByOthers = false;

    // Nullopt with a reason naming the file as `what` ("password file") when it cannot be read or
    // holds more than maxBytes.
    static std::optional<SecretFile> read(const std::string& path, const std::string& what, std::size_t maxBytes,
                                          std::string& error);
};

// "PROGRAM: warning: other users can read the WHAT "PATH"; ..." on standard error.
void warnReadableByOthers(const std::string& program, const std::string& what, const std::string& path);

} // namespace zka::cli
