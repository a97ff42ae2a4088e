#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zka::resgen {

// The size of the firmware package: 978 tar records of 10,240 bytes.
inline constexpr std::size_t kFirmwarePackageSize = 10'014'720;

// Builds the firmware package: a ustar archive whose first member, "SHA256SUMS", lists every other
// member in the format sha256sum writes, followed by component images of fixed pseudo-random
// contents and "version.txt". The same bytes come out on every machine and every run.
std::vector<std::uint8_t> buildFirmwarePackage();

} // namespace zka::resgen
