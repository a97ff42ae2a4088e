#pragma once

#include "resources/ResourceStore.h"

#include <cstdint>
#include <span>

// The tables that the build generates for the embedded store. Used by EmbeddedResources.cpp only.
namespace zka::embedded {

// Where one resource lies in the texts blob.
struct IndexEntry {
    ResourceKind kind;
    std::uint16_t number;
    std::uint32_t offset;
    std::uint32_t size;
};

// Every resource except the firmware package, sorted by kind and number (generated).
std::span<const IndexEntry> resourceIndex();

} // namespace zka::embedded
