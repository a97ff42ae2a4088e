#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

namespace zka {

// Where the saved camera configurations are kept on this workstation:
//   ROOT/VELM/ZKA FirmwareUpgrade/Configurations/yymmddHHMM/<model in lower case>.<serial>.cfg
// ROOT is the environment variable "ProgramFiles" when it is set and not empty (so a deployment
// can still choose the place), else $XDG_DATA_HOME, else ~/.local/share.
std::string backupRoot();

// How much of backupRoot() is taken as given; the folders below it are created as needed. A root
// chosen with "ProgramFiles" is the deployment's and must exist. The user's data folder is ours to
// create (a fresh account has no ~/.local/share yet): only the home folder, or "/" for an explicit
// $XDG_DATA_HOME, is taken as given.
std::size_t backupRootGivenLength();

// The ten-digit folder name of a time point: year, month, day, hour and minute, local time.
std::string backupTimeStamp(std::chrono::system_clock::time_point when);

// A text fit to be part of one file name: every character other than an ASCII letter, a digit, "-"
// or "_" becomes "_". The serial number comes from the camera, so it must never be able to name a
// path outside the backup folder ("/", "..") or carry control characters.
std::string safeFileNamePart(std::string_view text);

std::string asciiLower(std::string_view text);

// The serial's part of a backup file name is cut at this many characters.
inline constexpr std::size_t kMaxSerialInFileName = 64;

// The time-stamped folder below root that the backups made at `when` go to.
std::string backupFolderPath(std::string_view root, std::chrono::system_clock::time_point when);

// Removes the folder when it holds nothing (and only then): a time-stamped folder whose files were
// all deleted, or whose save failed before writing, is not left behind. True when it is gone.
bool removeFolderIfEmpty(const std::string& folder);

// The full path of a backup file below root.
std::string backupFilePath(std::string_view root, std::chrono::system_clock::time_point when,
                           std::string_view principalModel, std::string_view serial);

} // namespace zka
