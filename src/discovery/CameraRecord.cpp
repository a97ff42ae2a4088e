#include "discovery/CameraRecord.h"

#include <algorithm>
#include <cstring>

namespace zka {

std::string_view fieldText(std::span<const char> field)
{
    const auto end = std::find(field.begin(), field.end(), '\0');
    return {field.data(), static_cast<std::size_t>(end - field.begin())};
}

void setFieldText(std::span<char> field, std::string_view value)
{
    if (field.empty())
        return;
    const std::size_t length = std::min(value.size(), field.size() - 1);
    std::fill(field.begin(), field.end(), '\0');
    if (length > 0)
        std::memcpy(field.data(), value.data(), length);
}

bool CameraRecord::empty() const
{
    return mac[0] == '\0';
}

std::string_view CameraRecord::modelText() const
{
    return fieldText(model);
}

std::string_view CameraRecord::serialText() const
{
    return fieldText(serial);
}

std::string_view CameraRecord::softVersionText() const
{
    return fieldText(softVersion);
}

std::string_view CameraRecord::macText() const
{
    return fieldText(mac);
}

std::string CameraRecord::addressText() const
{
    std::string text = std::to_string(ipAddress[0]) + '.' + std::to_string(ipAddress[1]) + '.' +
                       std::to_string(ipAddress[2]) + '.' + std::to_string(ipAddress[3]);
    if (httpPort != 80)
        text += ':' + std::to_string(httpPort);
    return text;
}

} // namespace zka
