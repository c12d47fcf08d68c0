#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "Blankwise/TextTransforms.h"

namespace Blankwise {

inline constexpr int kFirstConversionId = 1;
inline constexpr int kLastConversionId = 15;

// One of the fifteen conversions: its id (the menu item's id) and its caption.
struct TConversion {
    int id;
    std::u16string_view caption;
};
// The conversions in id order, 1 to 15.
std::span<const TConversion> Conversions();

enum class TMenuEntryKind : std::uint8_t { Item, Submenu, Separator };

// One entry of the conversion menu, in display order. An item carries its conversion id (0 for the
// cancel item); a submenu entry carries its entries; a separator has neither and an empty caption.
struct TMenuEntry {
    TMenuEntryKind kind;
    int id;
    std::u16string_view caption;
    std::span<const TMenuEntry> submenu;
};
std::span<const TMenuEntry> ConversionMenu();

// A caption as the ANSI menu functions take it: code page 932 bytes, whatever the system's code page.
std::string MenuCaptionBytes(std::u16string_view caption);

// The chosen conversion run over the selected text, whose first line begins at display column
// prefixWidth of its document line. An id outside 1..15 raises the "例外" assertion.
WideString ConvertSelection(int id, WideStringView text, std::int32_t prefixWidth);
// The same with other tab stops for the steps that expand and compress, the command line's --tabs
// (the plug-in's are every kTabWidth columns), measuring and comparing on the given text platform
// rather than the current one: the command line's, which its helper threads take from there.
WideString ConvertSelection(int id, WideStringView text, std::int32_t prefixWidth, const TabStops& stops,
                            const MyLibrary::TextPlatform& platform);
// The same conversion, step for step, over the text before the selection on its line (which begins
// at column 0).
WideString ConvertPrefix(int id, WideStringView prefix);

// The steps of a conversion's pipeline, for a host that times them one by one: each one's name and,
// for a replacing step, its pattern and replacement (both empty for the other steps). Running step
// 0 over the selected text, then each next step over the result of the one before, with
// RunConversionStep gives what ConvertSelection gives. An id outside 1..15 raises the assertion.
struct TStepDescription {
    std::string_view name;
    std::u16string_view pattern;
    std::u16string_view replacement;
};
std::vector<TStepDescription> ConversionSteps(int id);
WideString RunConversionStep(int id, std::size_t step, WideStringView text, std::int32_t prefixWidth);

// The units a conversion can act on, up to three (kNoUnit fills the rest), derived from the steps
// of its pipeline: a text without any of them comes out of the conversion unchanged. Every blank
// (U+0020, U+3000, tab) for an id outside 1..15, whose conversion raises the assertion instead.
inline constexpr char16_t kNoUnit = 0xFFFF;
std::array<char16_t, 3> UnitsActedOn(int id);

// The display columns the prefix spans once its tabs are expanded: the column where the selection
// starts, two for a full-width character.
std::int32_t PrefixWidth(WideStringView prefix);

}  // namespace Blankwise
