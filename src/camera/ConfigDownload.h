#pragma once

#include "runtime/Clock.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stop_token>
#include <string>
#include <string_view>

namespace zka {

// The download hands its bytes on in blocks of this size (the last one may be shorter).
inline constexpr std::size_t kConfigBlockSize = 512;

// Where a downloaded configuration goes, one callback per step; each returns false with `error`
// set to end the download. open runs once the camera answered 2xx, before any byte is stored.
struct ConfigSink {
    std::function<bool(std::string& error)> open;
    std::function<bool(std::string_view bytes, std::string& error)> store;
    // After the last byte was stored.
    std::function<bool(std::string& error)> finish;
};

struct ConfigDownloadResult {
    bool ok = false;
    std::string errorText;    // why it failed; empty when ok
    std::uint64_t stored = 0; // bytes handed to the sink
    // What was stored is no configuration at all (empty, cut short, too large, too slow): the sink's
    // copy should go. An HTML page is not discarded: it shows what the camera sent instead.
    bool discard = false;
};

// Downloads a camera's configuration file with its checks: a 2xx answer, no 512-byte block holding
// "<HTML>", not empty, the whole Content-Length, at most 1 MB, some byte within 60 s and the whole
// file within 180 s (nominal). The bytes go to the sink in blocks of kConfigBlockSize.
// sourceUrl names the file in error texts.
ConfigDownloadResult downloadConfiguration(const Clock& clock, const std::string& cameraAddress,
                                           const std::string& cameraFilePath, const std::string& authorizationHeader,
                                           const std::string& sourceUrl, const ConfigSink& sink,
                                           std::stop_token stop = {});

} // namespace zka
