#include "resources/EmbeddedIndex.h"
#include "resources/PackagedResources.h"
#include "resources/ResourceStore.h"

#include <algorithm>
#include <utility>

// Defined by the generated EmbeddedBlobs.S: the blobs and their sizes.
extern "C" {
extern const std::uint8_t zka_texts_blob[];
extern const std::uint64_t zka_texts_blob_size;
extern const std::uint8_t zka_package_blob[];
extern const std::uint64_t zka_package_blob_size;
}

namespace zka {

namespace {

// The store compiled into the executable: the firmware package is a blob of its own, everything
// else lies in the texts blob at the places the generated index gives.
class EmbeddedResourceStore final : public ResourceStore {
public:
    std::optional<std::span<const std::uint8_t>> find(ResourceKind kind, std::uint16_t number) const override
    {
        if (kind == ResourceKind::Bin && number == PackagedResources::kFirstPackageNumber)
            return std::span<const std::uint8_t>(zka_package_blob, zka_package_blob_size);
        const auto index = embedded::resourceIndex();
        const auto key = std::pair(kind, number);
        const auto it = std::lower_bound(index.begin(), index.end(), key, [](const embedded::IndexEntry& entry, const auto& k) {
            return std::pair(entry.kind, entry.number) < k;
        });
        if (it == index.end() || std::pair(it->kind, it->number) != key)
            return std::nullopt;
        return std::span<const std::uint8_t>(zka_texts_blob, zka_texts_blob_size).subspan(it->offset, it->size);
    }
};

} // namespace

const ResourceStore& embeddedResources()
{
    static const EmbeddedResourceStore store;
    return store;
}

} // namespace zka
