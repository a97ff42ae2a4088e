#include "camera/BackupLocation.h"

#include <cstdlib>
#include <ctime>
#include <pwd.h>
#include <unistd.h>

namespace zka {

namespace {

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

std::string homeFolder()
{
    if (std::string home = environment("HOME"); !home.empty())
        return home;
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr)
        return entry->pw_dir;
    return {};
}

} // namespace

std::string backupRoot()
{
    std::string root = environment("ProgramFiles");
    if (root.empty()) {
        root = environment("XDG_DATA_HOME");
        // The XDG rules ignore a relative value.
        if (root.empty() || root.front() != '/')
            root = homeFolder() + "/.local/share";
    }
    while (root.size() > 1 && root.back() == '/')
        root.pop_back();
    return root;
}

std::size_t backupRootGivenLength()
{
    const std::string root = backupRoot();
    if (!environment("ProgramFiles").empty())
        return root == "/" ? 0 : root.size();
    std::string home = homeFolder();
    while (home.size() > 1 && home.back() == '/')
        home.pop_back();
    if (home.size() > 1 && root.compare(0, home.size() + 1, home + "/") == 0)
        return home.size();
    return 0;
}

std::string backupTimeStamp(std::chrono::system_clock::time_point when)
{
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[32];
    const std::size_t n = std::strftime(text, sizeof text, "%y%m%d%H%M", &local);
    return std::string(text, n);
}

std::string safeFileNamePart(std::string_view text)
{
    std::string safe;
    safe.reserve(text.size());
    for (const char c : text) {
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                          c == '_';
        safe += keep ? c : '_';
    }
    return safe;
}

std::string asciiLower(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

std::string backupFolderPath(std::string_view root, std::chrono::system_clock::time_point when)
{
    std::string path(root);
    if (path == "/")
        path.clear();
    return path + "/VELM/ZKA FirmwareUpgrade/Configurations/" + backupTimeStamp(when);
}

bool removeFolderIfEmpty(const std::string& folder)
{
    // rmdir refuses a folder that holds anything, so a file written meanwhile is never lost.
    return !folder.empty() && ::rmdir(folder.c_str()) == 0;
}

std::string backupFilePath(std::string_view root, std::chrono::system_clock::time_point when,
                           std::string_view principalModel, std::string_view serial)
{
    std::string path = backupFolderPath(root, when);
    path += '/';
    path += safeFileNamePart(asciiLower(principalModel));
    path += '.';
    // A file name has room for 255 bytes: a serial beyond this would make the save fail.
    path += safeFileNamePart(serial.substr(0, kMaxSerialInFileName));
    path += ".cfg";
    return path;
}

} // namespace zka
