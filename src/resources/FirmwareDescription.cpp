#include "resources/FirmwareDescription.h"

#include <algorithm>

namespace zka {

FirmwareDescription FirmwareDescription::of(const PackagedResources& resources)
{
    return FirmwareDescription{&resources.packageData(), &resources.packageSizes(), resources.newVersion2x(),
                               resources.newVersion3x()};
}

std::span<const std::uint8_t> FirmwareDescription::package(std::size_t slot) const
{
    if (packageData == nullptr || packageSizes == nullptr || slot >= packageData->size())
        return {};
    const auto data = (*packageData)[slot];
    return data.first(std::min<std::size_t>(data.size(), (*packageSizes)[slot]));
}

const std::string& FirmwareDescription::newVersionFor(std::string_view bareVersion) const
{
    return !bareVersion.empty() && bareVersion.front() == '3' ? newVersion3x : newVersion2x;
}

} // namespace zka
