#pragma once

#include "camera/ConfigDownload.h"
#include "runtime/Clock.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <stop_token>
#include <string>
#include <vector>

namespace zka {

// The saved copy of one camera's configuration file on this workstation: where it is kept, how it
// is fetched from the camera, read back for the restore and deleted after a successful restore.
// Used by one thread at a time. The file outlives the object.
class ConfigBackup final {
public:
    static constexpr std::size_t kBlockSize = kConfigBlockSize;
    // Paths deeper than this are refused.
    static constexpr int kMaxSeparators = 20;

    // "/home/l4/" + the principal model in lower case + ".cfg": the same for every camera of the family.
    static std::string cameraFilePath(const std::string& principalModel);

    // credential: the Base64 login used for the download. The file goes below backupRoot().
    ConfigBackup(const Clock& clock, std::string cameraAddress, std::string cameraFilePath, const std::string& credential,
                 std::chrono::system_clock::time_point timeStamp, const std::string& principalModel,
                 const std::string& serial, bool deleteAfterRestore);
    ConfigBackup(const ConfigBackup&) = delete;
    ConfigBackup& operator=(const ConfigBackup&) = delete;

    // A part of the file name that tells this camera apart when another file already has its plain
    // name (an equal or empty serial in the same batch, or an earlier save in the same minute): its
    // MAC address. By default the camera address.
    void setClashName(std::string name) { clashName_ = std::move(name); }

    // Downloads the configuration into a new file, never over an existing one: localPath() when
    // that name is free, else the name with the clash name (and then a number) added, which
    // localPath() becomes. Fails when
    // a folder cannot be made, the camera cannot be reached, answers with a status that is not 2xx,
    // or sends an HTML page (a 512-byte block holding "<HTML>"); that partly written file stays.
    // A download that is empty, ends before its Content-Length or breaks off, lasts more than 180 s
    // (nominal) or exceeds 1 MB also fails, and its file is removed: it holds no configuration.
    bool saveFromCamera(std::stop_token stop = {});
    // Reads the saved bytes back into buffer. When the file is gone, shorter or longer than what was
    // saved, or unreadable, buffer is left empty and the result is false.
    bool readSaved(std::vector<std::uint8_t>& buffer);
    // Deletes the file when deleteAfterRestore was asked for; returns whether it is gone.
    bool deleteSavedFile();

    // Creates the folders of path below its first givenLength characters, which are taken as given;
    // folders are made user-only. False when a folder cannot be made or the path has kMaxSeparators
    // or more "/".
    static bool makeFolders(const std::string& path, std::size_t givenLength, std::string* errorText = nullptr);

    const std::string& cameraAddress() const { return cameraAddress_; }
    // "HTTP://" + address + camera file path, as shown to the operator.
    const std::string& sourceUrl() const { return sourceUrl_; }
    const std::string& authorizationHeader() const { return authorizationHeader_; }
    const std::string& localPath() const { return localPath_; }
    const std::string& errorText() const { return errorText_; }
    std::uint64_t savedSize() const { return savedSize_; }
    bool deleteAfterRestore() const { return deleteAfterRestore_; }
    bool restored() const { return restored_; }
    void markRestored() { restored_ = true; }

private:
    // Opens a new file for the download (see saveFromCamera); -1 with errno set on failure.
    int createFile();

    const Clock& clock_;
    bool restored_ = false;
    const bool deleteAfterRestore_;
    std::string errorText_;
    const std::string cameraAddress_;
    const std::string cameraFilePath_;
    std::string sourceUrl_;
    std::string localPath_;
    std::string plainPath_;
    std::string clashName_;
    std::size_t rootLength_ = 0;
    std::string authorizationHeader_;
    std::uint64_t savedSize_ = 0;
};

} // namespace zka
