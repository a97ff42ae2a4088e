#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zka {

// The supported camera models in list order, at most ten; the first is the principal model.
using SupportedModels = std::vector<std::string>;

// Exact, case-sensitive comparison with every entry of the list.
bool isSupportedModel(const SupportedModels& models, std::string_view model);

} // namespace zka
