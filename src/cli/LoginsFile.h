#pragma once

#include "cli/LoginOptions.h"
#include "upgrade/CameraAddressList.h"

#include <string>
#include <utility>
#include <vector>

namespace zka::cli {

// Per-camera logins of a batch: one "ADDRESS[:PORT] NAME PASSWORD" a line, the three separated by
// blanks or tabs; empty lines and lines that begin with "#" are skipped. Names and passwords hold at
// most 16 characters. The file holds passwords, so it should be readable by its owner only.
class LoginsFile final {
public:
    // False with a reason (naming the line) when the file cannot be read or a line is malformed.
    bool read(const std::string& path, std::string& error);
    // The group or others may read the file.
    bool readableByOthers() const { return readableByOthers_; }
    // The login given for the camera at this address and port, or null.
    const LoginOptions* find(const CameraAddress& camera) const;

private:
    // Far more than 256 cameras' lines; a bound all the same, as the path may name a device.
    static constexpr std::size_t kMaxFileBytes = 1 << 20;

    bool readLine(const std::string& line, std::string& error);

    std::vector<std::pair<CameraAddress, LoginOptions>> logins_;
    bool readableByOthers_ = false;
};

} // namespace zka::cli
