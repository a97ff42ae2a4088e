// The discovery listener's handling of received datagrams, as any host on the segment may send
// them. The input is a series of datagrams separated by the byte 0x04 (which no camera sends), each
// of at most 1072 bytes, dispatched in order into one camera table.
//
// Whatever arrives: the count only grows, by one for each added camera and never past 256; every
// stored camera is of a supported model, has a MAC address that no other slot has, and keeps its
// texts within their fields.
#include "discovery/ReplyParser.h"
#include "support/FuzzHost.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>
#include <span>
#include <string>

namespace {

using zka::fuzz::require;

constexpr std::uint8_t kSeparator = 0x04;
constexpr std::size_t kDatagramLimit = 1072;

bool terminated(std::span<const char> field)
{
    return std::find(field.begin(), field.end(), '\0') != field.end();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const zka::SupportedModels models{"ZKA-QM410", "ZKA-QM410E", "ZKA-QM410P"};
    zka::DiscoveryTable table;
    table.setSupportedModels(&models);

    const std::span<const std::uint8_t> input(data, size);
    auto begin = input.begin();
    while (begin != input.end()) {
        const auto end = std::find(begin, input.end(), kSeparator);
        const auto length = std::min<std::size_t>(static_cast<std::size_t>(end - begin), kDatagramLimit);
        const int before = table.count();
        const auto result = zka::dispatchDatagram(input.subspan(static_cast<std::size_t>(begin - input.begin()), length), table);
        const int after = table.count();
        require(after == before + (result == zka::DiscoveryTable::StoreResult::Added ? 1 : 0),
                "the count does not follow what was stored");
        require(after <= zka::DiscoveryTable::kSlots, "more cameras than slots");
        begin = end == input.end() ? end : end + 1;
    }

    std::set<std::string> macs;
    for (const auto& record : table.snapshot()) {
        require(terminated(record.model) && terminated(record.serial) && terminated(record.softVersion) &&
                    terminated(record.mac),
                "a text ran past its field");
        require(std::find(models.begin(), models.end(), std::string(record.modelText())) != models.end(),
                "a camera of an unsupported model was stored");
        require(!record.macText().empty(), "a camera without a MAC address was stored");
        require(macs.insert(std::string(record.macText())).second, "two slots hold the same camera");
    }
    return 0;
}
