#pragma once

#include <string>
#include <string_view>

namespace zka::cli {

// Writes `bytes` as the whole content of the file at `path` without ever leaving a part of it: the
// bytes go to a temporary file beside the target, are flushed to the disk and take the target's
// name by a rename, so a failure, a kill or a power cut leaves either the previous content or the
// new one. The file keeps its permissions (a new one gets what the umask leaves of 0666) and a link
// keeps pointing at it. A target that is not a regular file (a device or a pipe such as
// /dev/stdout) cannot be replaced and is written in place. Returns the reason of a failure, empty
// on success.
std::string replaceFile(const std::string& path, std::string_view bytes);

// The file at `path` is a regular file or does not exist yet: replaceFile swaps it whole.
bool replaceable(const std::string& path);

} // namespace zka::cli
