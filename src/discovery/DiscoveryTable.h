#pragma once

#include "discovery/CameraRecord.h"
#include "resources/SupportedModels.h"

#include <array>
#include <atomic>
#include <mutex>
#include <vector>

namespace zka {

// The cameras found by discovery: 256 fixed slots taken in order and never freed, so slots 0 to
// count() - 1 are exactly the used ones. The discovery listener is the only writer; any thread may
// read while it runs. A slot is written under a small lock and count() is raised (release) only
// after a new record is complete, so a reader that copies slots below count() always gets whole
// records.
class DiscoveryTable final {
public:
    static constexpr int kSlots = 256;

    enum class StoreResult { Added, Refreshed, Dropped };

    DiscoveryTable() = default;
    DiscoveryTable(const DiscoveryTable&) = delete;
    DiscoveryTable& operator=(const DiscoveryTable&) = delete;

    // The list a reply's model must be in; borrowed, it must outlive discovery.
    void setSupportedModels(const SupportedModels* models);
    const SupportedModels* supportedModels() const;

    // ---- Readers ----
    int count() const;
    // A consistent copy of one slot (an empty record outside 0..255).
    CameraRecord record(int slot) const;
    // Copies of the slots in use, in table order.
    std::vector<CameraRecord> snapshot() const;

    // ---- The stop handshake ----
    // The owner raises the stop request; the listener clears it when it has stopped.
    void setStopRequested(bool requested);
    bool stopRequested() const;
    // True while the listener thread runs; cleared as the listener's last act. Readers take false
    // to mean that discovery has finished (or never started).
    bool listenerRunning() const;
    void setListenerRunning(bool running);

    // ---- The listener's side ----
    // Stores a parsed reply: the first slot with the same MAC is rewritten in place, else the first
    // free slot becomes a new record; with all slots used and no match, or without a MAC, the reply
    // is dropped.
    StoreResult store(const CameraRecord& reply);

private:
    mutable std::mutex recordsMutex_;
    std::array<CameraRecord, kSlots> records_{};
    std::atomic<int> count_{0};
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> listenerRunning_{false};
    std::atomic<const SupportedModels*> supportedModels_{nullptr};
};

} // namespace zka
