#include "CommandLine/Program/ConversionNames.h"

#include <array>

#include "Blankwise/ConversionPipelines.h"

namespace BlankwiseCli {
namespace {

// Indexed by id - 1. "Blank" is any of the three kinds: half-width space, full-width space, tab.
constexpr std::array<std::string_view, Blankwise::kLastConversionId> kNames = {
    "two-spaces-to-fullwidth",  // 1
    "space-to-fullwidth",       // 2
    "fullwidth-to-two-spaces",  // 3
    "fullwidth-to-space",       // 4
    "spaces-to-tabs",           // 5
    "tabs-to-spaces",           // 6
    "space-runs-to-tab",        // 7
    "tab-to-space",             // 8
    "blanks-to-spaces",         // 9
    "blank-runs-to-space",      // 10
    "blank-runs-to-tab",        // 11
    "delete-spaces",            // 12
    "delete-fullwidth-spaces",  // 13
    "delete-tabs",              // 14
    "delete-all-spaces",        // 15
};

std::optional<int> ParseId(std::string_view text) {
    if (text.empty() || text.size() > 2) {
        return std::nullopt;
    }
    int id = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        id = id * 10 + (c - '0');
    }
    if (id < Blankwise::kFirstConversionId || id > Blankwise::kLastConversionId) {
        return std::nullopt;
    }
    return id;
}

}  // namespace

std::string_view ConversionName(int id) {
    if (id < Blankwise::kFirstConversionId || id > Blankwise::kLastConversionId) {
        return {};
    }
    return kNames[static_cast<std::size_t>(id - 1)];
}

std::optional<int> ConversionIdFromName(std::string_view nameOrId) {
    if (const auto id = ParseId(nameOrId)) {
        return id;
    }
    for (std::size_t i = 0; i < kNames.size(); ++i) {
        if (kNames[i] == nameOrId) {
            return static_cast<int>(i) + 1;
        }
    }
    return std::nullopt;
}

}  // namespace BlankwiseCli
