#pragma once

#include <cstddef>

#include "Blankwise/TabStops.h"
#include "Blankwise/TextTransforms.h"

// The stop types of the tab transforms (TextTransforms.cpp), which they are compiled for.
namespace Blankwise::detail {

// Where the stops lie, as the transforms ask it of columns folded by Fold: FourColumns, constants
// the compiler folds (a remainder is a mask), for the plug-in's 4-column stops; TabColumns for
// any other width the command line asks for; ListColumns for a list of stops.
struct FourColumns {
    static constexpr std::size_t kWidth = static_cast<std::size_t>(kTabWidth);
    static constexpr std::size_t Fold(std::size_t column) { return column % kWidth; }
    static constexpr std::size_t SpacesFrom(std::size_t folded) { return kWidth - folded; }
    static constexpr std::size_t AfterTab(std::size_t) { return 0; }
    static constexpr bool KeepsTab(std::size_t) { return false; }
    static constexpr bool IsStop(std::size_t folded) { return folded == 0; }
    static constexpr std::size_t GapBefore(std::size_t) { return kWidth; }
};
struct TabColumns {
    std::size_t width;
    constexpr std::size_t Fold(std::size_t column) const { return column % width; }
    constexpr std::size_t SpacesFrom(std::size_t folded) const { return width - folded; }
    static constexpr std::size_t AfterTab(std::size_t) { return 0; }
    static constexpr bool KeepsTab(std::size_t) { return false; }
    static constexpr bool IsStop(std::size_t folded) { return folded == 0; }
    constexpr std::size_t GapBefore(std::size_t) const { return width; }
};
// keepTabsPastLastStop: a tab with no stop after it stays a tab (and one column wide).
struct ListColumns {
    const TabStops& stops;
    bool keepTabsPastLastStop = false;
    std::size_t Fold(std::size_t column) const { return stops.Fold(column); }
    std::size_t SpacesFrom(std::size_t folded) const { return stops.SpacesFrom(folded); }
    std::size_t AfterTab(std::size_t folded) const { return stops.Fold(folded + stops.SpacesFrom(folded)); }
    bool KeepsTab(std::size_t folded) const { return keepTabsPastLastStop && !stops.HasStopAfter(folded); }
    bool IsStop(std::size_t folded) const { return stops.IsStop(folded); }
    std::size_t GapBefore(std::size_t folded) const { return stops.GapBefore(folded); }
};

}  // namespace Blankwise::detail
