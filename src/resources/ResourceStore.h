#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace zka {

// Kinds of packaged resource. Bin holds the texts, the model list (146), the package names (353) and
// the firmware package (143); String is the small string table (103 to 134); Version is the
// program's version block (number 1).
enum class ResourceKind { Bin, String, Version };

// Read-only resources by kind and number.
class ResourceStore {
public:
    virtual ~ResourceStore() = default;
    virtual std::optional<std::span<const std::uint8_t>> find(ResourceKind kind, std::uint16_t number) const = 0;
};

// The resources compiled into this executable. Lives for the whole process.
const ResourceStore& embeddedResources();

// A store held in memory, for tests that need a missing, damaged or different resource.
class MemoryResourceStore final : public ResourceStore {
public:
    MemoryResourceStore() = default;
    // Adds an entry or replaces the one under the same kind and number.
    void put(ResourceKind kind, std::uint16_t number, std::vector<std::uint8_t> bytes);
    void remove(ResourceKind kind, std::uint16_t number);
    std::optional<std::span<const std::uint8_t>> find(ResourceKind kind, std::uint16_t number) const override;

private:
    std::map<std::pair<ResourceKind, std::uint16_t>, std::vector<std::uint8_t>> entries_;
};

} // namespace zka
