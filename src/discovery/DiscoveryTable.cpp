#include "discovery/DiscoveryTable.h"

namespace zka {

void DiscoveryTable::setSupportedModels(const SupportedModels* models)
{
    supportedModels_.store(models, std::memory_order_release);
}

const SupportedModels* DiscoveryTable::supportedModels() const
{
    return supportedModels_.load(std::memory_order_acquire);
}

int DiscoveryTable::count() const
{
    return count_.load(std::memory_order_acquire);
}

CameraRecord DiscoveryTable::record(int slot) const
{
    if (slot < 0 || slot >= kSlots)
        return {};
    std::lock_guard lock(recordsMutex_);
    return records_[static_cast<std::size_t>(slot)];
}

std::vector<CameraRecord> DiscoveryTable::snapshot() const
{
    const int used = count();
    std::lock_guard lock(recordsMutex_);
    return {records_.begin(), records_.begin() + used};
}

void DiscoveryTable::setStopRequested(bool requested)
{
    stopRequested_.store(requested, std::memory_order_release);
}

bool DiscoveryTable::stopRequested() const
{
    return stopRequested_.load(std::memory_order_acquire);
}

bool DiscoveryTable::listenerRunning() const
{
    return listenerRunning_.load(std::memory_order_acquire);
}

void DiscoveryTable::setListenerRunning(bool running)
{
    listenerRunning_.store(running, std::memory_order_release);
}

DiscoveryTable::StoreResult DiscoveryTable::store(const CameraRecord& reply)
{
    if (reply.empty())
        return StoreResult::Dropped;
    CameraRecord* slot = nullptr;
    bool added = false;
    {
        std::lock_guard lock(recordsMutex_);
        for (auto& candidate : records_) {
            if (candidate.macText() == reply.macText()) {
                slot = &candidate;
                break;
            }
        }
        if (slot == nullptr) {
            for (auto& candidate : records_) {
                if (candidate.empty()) {
                    slot = &candidate;
                    added = true;
                    break;
                }
            }
        }
        if (slot == nullptr)
            return StoreResult::Dropped;
        // Every field is rewritten, so a later reply replaces all the values of an earlier one.
        slot->mac = reply.mac;
        slot->model = reply.model;
        slot->serial = reply.serial;
        slot->dhcp = reply.dhcp;
        slot->dnsAuto = reply.dnsAuto;
        slot->ipAddress = reply.ipAddress;
        slot->httpPort = reply.httpPort;
        slot->softVersion = reply.softVersion;
    }
    if (!added)
        return StoreResult::Refreshed;
    count_.fetch_add(1, std::memory_order_release);
    return StoreResult::Added;
}

} // namespace zka
