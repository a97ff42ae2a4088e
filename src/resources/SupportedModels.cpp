#include "resources/SupportedModels.h"

#include <algorithm>

namespace zka {

bool isSupportedModel(const SupportedModels& models, std::string_view model)
{
    return std::any_of(models.begin(), models.end(), [&](const std::string& entry) { return entry == model; });
}

} // namespace zka
