#include "resources/ResourceStore.h"

namespace zka {

void MemoryResourceStore::put(ResourceKind kind, std::uint16_t number, std::vector<std::uint8_t> bytes)
{
    entries_[{kind, number}] = std::move(bytes);
}

void MemoryResourceStore::remove(ResourceKind kind, std::uint16_t number)
{
    entries_.erase({kind, number});
}

std::optional<std::span<const std::uint8_t>> MemoryResourceStore::find(ResourceKind kind, std::uint16_t number) const
{
    const auto it = entries_.find({kind, number});
    if (it == entries_.end())
        return std::nullopt;
    return std::span<const std::uint8_t>(it->second);
}

} // namespace zka
