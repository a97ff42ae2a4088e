#pragma once

#include "resources/PackagedResources.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace zka {

// What the wizard hands the automatic lists about the firmware it carries: the package of each
// slot with its size, and the two new-version texts ("ver" followed by the version). The package
// views borrow the wizard's resources, which live for the whole run.
struct FirmwareDescription {
    const std::array<std::span<const std::uint8_t>, PackagedResources::kSlotCount>* packageData = nullptr;
    const std::array<std::uint32_t, PackagedResources::kSlotCount>* packageSizes = nullptr;
    std::string newVersion2x;
    std::string newVersion3x;

    // The whole description of what these resources carry.
    static FirmwareDescription of(const PackagedResources& resources);

    // The package of a slot, of its recorded size; empty for a slot out of range or not loaded.
    std::span<const std::uint8_t> package(std::size_t slot) const;
    // The new version for a camera whose version, without the "ver" prefix, is bareVersion: the 3.x
    // text when it begins with the character "3" ("3.12"), else the 2.x text ("2.30", "unknown", "").
    const std::string& newVersionFor(std::string_view bareVersion) const;
};

} // namespace zka
