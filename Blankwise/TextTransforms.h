#pragma once

#include <cstdint>

#include "Blankwise/TabStops.h"
#include "MyLibrary/StringUnit/StringUnit.h"

namespace Blankwise {

using MyLibrary::WideString;
using MyLibrary::WideStringView;

// Every non-overlapping occurrence of pattern replaced by replacement, left to right.
WideString ReplacePattern(WideStringView source, WideStringView pattern, WideStringView replacement,
                          bool ignoreCase);

// The transforms measure display widths, and the replacement compares, on the current text platform
// (MyLibrary::CurrentTextPlatform()), but for the forms given a platform: the command line's, which
// come with its other stops.
WideString ReplacePattern(const MyLibrary::TextPlatform& platform, WideStringView source,
                          WideStringView pattern, WideStringView replacement, bool ignoreCase);

// Tab stops lie at every fourth display column, counted from 0; a character is as many columns
// wide as the bytes of its multi-byte form (two for a full-width character in code page 932).
inline constexpr std::int32_t kTabWidth = 4;

// The input as one line starting at column 0 (a line break inside it is an ordinary character):
// each tab becomes the 1 to 4 spaces that reach the next stop.
WideString ExpandTabsInLine(WideStringView text);
// Every line of the text (each begins at column 0) expanded as by ExpandTabsInLine.
WideString ExpandTabs(WideStringView text);
// ExpandTabs as if the text's first line began at display column startColumn.
WideString ExpandTabsAfterPrefix(WideStringView text, std::int32_t startColumn);
// The same with other stops (the plug-in's pipelines take every 4 columns): each tab becomes the
// spaces to the next stop, and one past the last stop of a list becomes a space, as GNU expand
// writes it, or stays, as GNU unexpand leaves it.
enum class TabsPastLastStop : std::uint8_t { BecomeSpace, Stay };
WideString ExpandTabsAfterPrefix(WideStringView text, std::int32_t startColumn, const TabStops& stops,
                                 const MyLibrary::TextPlatform& platform,
                                 TabsPastLastStop pastLastStop = TabsPastLastStop::BecomeSpace);

// The input as one line: each space that ends on a stop, with the up to 3 spaces before it,
// becomes one tab. Tabs already there count one column.
WideString CompressSpacesInLine(WideStringView text);
WideString CompressSpaces(WideStringView text);
WideString CompressSpacesAfterPrefix(WideStringView text, std::int32_t startColumn);
// The same with other stops: each space that ends on a stop, with the spaces before it since the
// stop before, becomes one tab; past the last stop of a list spaces stay.
WideString CompressSpacesAfterPrefix(WideStringView text, std::int32_t startColumn, const TabStops& stops,
                                     const MyLibrary::TextPlatform& platform);

// Each maximal run of U+0020 becomes one tab; every other unit stays.
WideString CollapseSpaceRuns(WideStringView text);

}  // namespace Blankwise
