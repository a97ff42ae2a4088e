#pragma once

#include "resources/ResourceStore.h"

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace zka::resgen {

// One resource as the executable stores it.
struct ManifestEntry {
    ResourceKind kind = ResourceKind::Bin;
    std::uint16_t number = 0;
    std::vector<std::uint8_t> bytes;
};

// A fault in the manifest, reported as "NAME:LINE: what".
class ManifestError final : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Parses the resource manifest (its grammar is described at the top of src/resources/data/resources.txt).
// Files named by "file=" are read relative to baseDir. Entries come in manifest order; the version
// block, built from every "version" line, comes last.
std::vector<ManifestEntry> parseManifest(std::string_view text, const std::filesystem::path& baseDir,
                                         std::string_view sourceName);
std::vector<ManifestEntry> readManifest(const std::filesystem::path& path);

} // namespace zka::resgen
