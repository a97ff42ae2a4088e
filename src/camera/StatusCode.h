#pragma once

#include <cstdint>

namespace zka {

// Status codes of a camera upgrade (errorCode). Codes 9 and above are final.
enum class StatusCode : int {
    Standby = 0,
    Prepare = 1,
    SavingConfig = 2,
    Uploading = 3,
    Overwriting = 4,
    Searching = 5,
    Rebooting = 6,
    LoadingConfig = 7,
    Reconfiguring = 8,
    Completed = 9,
    NetworkError = 10,
    SequenceError = 11,
    LoginError = 12,
    FtpError = 13,
    InsufficientMemory = 14,
    CannotSaveConfig = 15,
    CannotLoadConfig = 16,
};

// The words of one status code: resource numbers of the list word, the manual stage word and the
// log line (0 where the code has none).
struct StatusWords {
    std::uint16_t listWord;
    std::uint16_t stageWord;
    std::uint16_t logLine;
};

StatusWords statusWords(int code);
bool isFinal(int code);

} // namespace zka
