#pragma once

#include <optional>
#include <string_view>

namespace BlankwiseCli {

// The stable English name of a conversion id 1..15 ("tabs-to-spaces" for 6); empty otherwise.
std::string_view ConversionName(int id);

// The id named by its English name or by its number "1".."15".
std::optional<int> ConversionIdFromName(std::string_view nameOrId);

}  // namespace BlankwiseCli
