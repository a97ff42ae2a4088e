#pragma once

#include "camera/CameraHost.h"
#include "camera/StatusCode.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>

namespace zka {

class ConfigBackup;
class AsyncQuery;

// One camera's HTTP and upgrade context: its address and login, the versions it reports, its status
// code and progress, its requests and its worker. Owned by the wizard (manual mode) or by the batch
// list (automatic mode). Destroying it in any state is safe and quick: it stops its threads
// cooperatively and joins them, and nothing a stopped thread did afterwards is read.
class CameraContext final {
public:
    // Manual mode: tag 0 and null retain, delete and batch-time pointers.
    CameraContext(CameraHost host, std::string addressText, std::string credential, const SupportedModels& models,
                  int tag = 0, const std::atomic<int>* retainFlag = nullptr, const std::atomic<int>* deleteFlag = nullptr,
                  const std::chrono::system_clock::time_point* batchTime = nullptr, std::string serial = {});
    ~CameraContext();
    CameraContext(const CameraContext&) = delete;
    CameraContext& operator=(const CameraContext&) = delete;

    // ---- Requests and inquiry ----
    // One inquiry, synchronous: the reply text, empty when the nominal time-out expired or the camera
    // could not be reached, "401 Unauthorized" when the login was refused.
    std::string runQuery(const std::string& body, Clock::Duration timeout);
    // One inquiry, polled: starts it and returns at once.
    void startQuery(const std::string& body);
    bool queryFinished() const;
    std::string asyncReply() const;
    Clock::TimePoint asyncStartTime() const;
    void abandonRequests();

    bool checkSystemReply(const std::string& reply, bool showMessage);
    struct SystemInfo {
        std::string model;
        std::string version;
        std::string serial;
        int tag = 0;
    };
    bool readSystemReply(const std::string& reply, bool showMessage, SystemInfo& info);
    bool checkUserReply(const std::string& reply);
    bool readMacAddress(const std::string& reply, std::string& mac, int& tag) const;

    // ---- Firmware upload ----
    void setFirmware(std::span<const std::uint8_t> data, std::string newVersionText);
    int uploadFirmware();
    void reportUploadFailure(bool showMessage);
    void readUploadAnswer();
    int parseUploadAnswer();

    // ---- Configuration restore ----
    void setRestoreData(std::span<const std::uint8_t> data);
    void detectPanTilt();
    int restoreConfiguration();

    // ---- Upgrade procedure ----
    int start();
    void onTimer(TimerId id);

    // ---- State read by owners ----
    const std::string& addressText() const { return addressText_; }
    const std::string& credential() const { return credential_; }
    int tag() const { return tag_; }
    std::string currentVersion() const;
    std::string latestVersion() const;
    std::string targetVersion() const;
    bool emergency() const { return emergency_.load(); }
    int errorCode() const { return errorCode_.load(); }
    bool panTilt() const { return panTilt_.load(); }

    // Progress outputs, 0 to 10000: the manual page's bar or the batch row's value (either may be null).
    void setProgressControl(std::atomic<int>* bar) { progressControl_ = bar; }
    void setListRow(std::atomic<int>* row) { listRow_ = row; }

    // Timer identifiers of this context.
    TimerId tickTimer() const { return 0x8100u + static_cast<TimerId>(tag_); }
    TimerId searchTimer() const { return 0x8200u + static_cast<TimerId>(tag_); }
    TimerId reconfigureTimer() const { return 0x8300u + static_cast<TimerId>(tag_); }

private:
    void addProgress(int step);

    CameraHost host_;
    const std::string addressText_;
    const std::string credential_;
    const SupportedModels& supportedModels_;
    const int tag_;
    const std::atomic<int>* retainFlag_;
    const std::atomic<int>* deleteFlag_;
    const std::chrono::system_clock::time_point* batchTime_;
    const std::string serial_;

    // Versions are written by whichever thread inquires and read by the owner: guarded.
    mutable std::mutex versionMutex_;
    std::string currentVersion_;
    std::string latestVersion_;
    std::string targetVersion_;
    std::string lastSystemReply_;

    std::atomic<bool> emergency_{false};
    std::atomic<bool> panTilt_{false};
    std::atomic<int> errorCode_{0};
    std::atomic<int> tickCount_{0};
    std::atomic<int> emergencyStep_{0};
    std::atomic<bool> uploadWaitOver_{false};
    std::atomic<bool> workerDone_{false};
    std::atomic<int> replyResult_{0};
    std::atomic<int>* progressControl_ = nullptr;
    std::atomic<int>* listRow_ = nullptr;

    // The bytes to send: the firmware package, replaced by the saved configuration for a restore.
    std::span<const std::uint8_t> outgoing_;
};

} // namespace zka
