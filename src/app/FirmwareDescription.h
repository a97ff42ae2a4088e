#pragma once

#include "resources/PackagedResources.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace zka {

// What the wizard hands the automatic lists about the firmware it carries: the package of each
// slot with its size, and the two new-version texts ("ver" followed by the version). The package
// views borrow the wizard's resources, which live for the whole run.
struct FirmwareDescription {
    const std::array<std::span<const std::uint8_t>, PackagedResources::kSlotCount>* packageData = nullptr;
    const std::array<std::uint32_t, PackagedResources::kSlotCount>* packageSizes = nullptr;
    std::string newVersion2x;
    std::string newVersion3x;
};

} // namespace zka
