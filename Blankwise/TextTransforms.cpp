#include "Blankwise/TextTransforms.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "Blankwise/Blanks.h"
#include "Blankwise/StopColumns.h"
#include "Blankwise/UnitBlocks.h"
#include "MyLibrary/Encoding/Utf16Facts.h"
#include "MyLibrary/StringUnit/BitMasks.h"
#include "MyLibrary/StringUnit/TextPlatform.h"
#include "MyLibrary/StringUnit/VectorPaths.h"

namespace Blankwise {
namespace {

using detail::FourColumns;
using detail::FullBlockMask;
using detail::kBlockUnits;
using detail::ListColumns;
using detail::PartialBlockMask;
using detail::ScanUnits;
using detail::TabColumns;
#if BLANKWISE_HAS_SSE2
using detail::LoadUnits;
using detail::MaskOf;
using detail::NonAsciiMaskOf;
#endif
using MyLibrary::CurrentTextPlatform;
using MyLibrary::TextPlatform;

// Whether a CR or LF ends the line and starts the next at column 0 (the whole-text forms), or is
// just a one-column character of a single line (the line forms).
enum class LineBreaks { StartNewLine, AreCharacters };

// Columns are carried folded (modulo the tab width for stops at every width columns): only the
// distance to the next stop matters, and a line of any length cannot overflow the count.
template <typename Stop>
std::size_t FirstLineColumn(std::int32_t startColumn, Stop stop) {
    return startColumn > 0 ? stop.Fold(static_cast<std::size_t>(startColumn)) : 0;
}

// Pointer and count: the iterator-pair overload of append copies the range into a temporary first.
void AppendRange(WideString& out, const char16_t* first, const char16_t* last) {
    out.append(first, static_cast<std::size_t>(last - first));
}

// Carries the display column, folded by the stops, from one unit of interest to the next (tabs,
// or spaces), which the transform passes in order. The column before a unit is the column set
// after the previous one plus the width of the units in between, or, when a line break lies in
// between, the width from the start of the unit's line. Breaks are looked for only back from the
// unit, so text without a unit of interest costs nothing here.
//
// The width of a run is the platform's DisplayWidth: by default the byte length of its multi-byte
// form. Runs are cut only at tabs, spaces and line breaks, never inside a surrogate pair, so the sum
// of the run widths before a unit is the width of the whole line up to it, however the platform
// measures each character. Where the platform has a column table by unit (UnitColumns), a
// surrogate pair is counted whole at its high unit and not at its low one, so that blocks of 16
// units that cut a pair still sum to the line's width.
template <typename Stop>
class ColumnTracker {
  public:
    ColumnTracker(WideStringView text, std::size_t startColumn, LineBreaks lineBreaks, Stop stop,
                  const TextPlatform& platform)
        : stop_(stop),
          platform_(platform),
          doubleByteFlags_(platform_.DoubleByteFlags()),
          unitColumns_(doubleByteFlags_ == nullptr ? platform_.UnitColumns() : nullptr),
          begin_(text.data()),
          end_(text.data() + text.size()),
          measured_(text.data()),
          column_(startColumn),
          withBreaks_(lineBreaks == LineBreaks::StartNewLine) {}

    // The column just before unit.
    std::size_t ColumnBefore(const char16_t* unit) const {
        std::size_t width = 0;  // of the units from last to unit
        const char16_t* last = unit;
#if BLANKWISE_HAS_SSE2
        // Where the platform has fixed per-unit lengths, the run is measured back from unit 16
        // units at a time, a break or the measuring point found from masks of those units. Most
        // runs are a word or two and take one step.
        for (; (doubleByteFlags_ != nullptr || unitColumns_ != nullptr) &&
               static_cast<std::size_t>(last - begin_) >= kBlockUnits;
             last -= kBlockUnits) {
            const char16_t* const window = last - kBlockUnits;
            const __m128i low = LoadUnits(window);
            const __m128i high = LoadUnits(window + 8);
            const bool measuredInWindow = measured_ >= window;
            const std::uint32_t sinceMeasured =
                measuredInWindow ? (0xFFFFu << (measured_ - window)) & 0xFFFFu : 0xFFFFu;
            const std::uint32_t breaks =
                withBreaks_ ? (MaskOf(low, high, kCr) | MaskOf(low, high, kLf)) & sinceMeasured : 0;
            const std::uint32_t nonAscii = NonAsciiMaskOf(low, high);
            if (breaks != 0) {
                return stop_.Fold(width + WindowWidth(window, nonAscii, std::bit_width(breaks)));
            }
            if (measuredInWindow) {
                const auto runStart = static_cast<unsigned>(measured_ - window);
                return stop_.Fold(column_ + width + WindowWidth(window, nonAscii, runStart));
            }
            width += WindowWidth(window, nonAscii, 0);
        }
#endif
        const char16_t* lineStart = withBreaks_ ? StartOfLastLine(measured_, last) : measured_;
        const std::size_t column = lineStart == measured_ ? column_ : 0;
        return stop_.Fold(column + RunWidth(lineStart, last) + width);
    }

    // The column just before unit is column; later units are measured from here.
    void RestartAt(const char16_t* unit, std::size_t column) {
        measured_ = unit;
        column_ = column;
    }

  private:
    // The width of units runStart..15 of the 16 at window, nonAscii marking those outside ASCII.
    // Where any of them is outside ASCII, all 16 are looked up without a branch each (in Japanese
    // text most are), and for a partial window the lookups are masked.
    std::size_t WindowWidth(const char16_t* window, std::uint32_t nonAscii, unsigned runStart) const {
        const std::uint32_t run = (0xFFFFu << runStart) & 0xFFFFu;
        std::size_t width = kBlockUnits - runStart;
        if ((nonAscii & run) == 0) {
            return width;
        }
        if (unitColumns_ != nullptr) {
            return UnitColumnsWidth(window + runStart, window + kBlockUnits);
        }
        if (runStart == 0) {
            for (unsigned k = 0; k < kBlockUnits; ++k) {
                width += doubleByteFlags_[window[k]];
            }
        } else {
            std::uint32_t doubleBytes = 0;
            for (unsigned k = 0; k < kBlockUnits; ++k) {
                doubleBytes |= static_cast<std::uint32_t>(doubleByteFlags_[window[k]]) << k;
            }
            width += MyLibrary::CountBits(static_cast<std::uint16_t>(doubleBytes & run));
        }
        return width;
    }

    std::size_t RunWidth(const char16_t* first, const char16_t* last) const {
        const std::size_t units = static_cast<std::size_t>(last - first);
        if (unitColumns_ != nullptr) {
            return UnitColumnsWidth(first, last);
        }
        if (doubleByteFlags_ == nullptr) {
            return units == 0 ? 0 : platform_.DisplayWidth(WideStringView(first, units));
        }
        std::size_t width = units;
        for (; first != last; ++first) {
            width += doubleByteFlags_[*first];
        }
        return width;
    }

    // The width of [first, last) by the unit column table. Any marked unit (a surrogate) sets a bit
    // no width has, and sends the range to the measure by character.
    std::size_t UnitColumnsWidth(const char16_t* first, const char16_t* last) const {
        std::size_t width = 0;
        std::uint8_t marks = 0;
        for (const char16_t* unit = first; unit != last; ++unit) {
            width += unitColumns_[*unit];
            marks |= unitColumns_[*unit];
        }
        if ((marks & TextPlatform::kColumnsFromNeighbours) == 0) {
            return width;
        }
        width = 0;
        for (const char16_t* unit = first; unit != last; ++unit) {
            const std::uint8_t columns = unitColumns_[*unit];
            if (columns != TextPlatform::kColumnsFromNeighbours) {
                width += columns;
            } else if (MyLibrary::IsHighSurrogate(*unit) && unit + 1 != end_ &&
                       MyLibrary::IsLowSurrogate(unit[1])) {
                width += platform_.DisplayWidth(WideStringView(unit, 2));
            } else if (!(MyLibrary::IsLowSurrogate(*unit) && unit != begin_ &&
                         MyLibrary::IsHighSurrogate(unit[-1]))) {
                width += platform_.DisplayWidth(WideStringView(unit, 1));
            }
        }
        return width;
    }

    // Just after the last CR or LF in [first, last), or first when there is none: searched
    // backwards, so the cost is the distance from last to that break.
    static const char16_t* StartOfLastLine(const char16_t* first, const char16_t* last) {
        for (; last != first; --last) {
            if (IsBreak(last[-1])) {
                return last;
            }
        }
        return first;
    }

    const Stop stop_;
    const TextPlatform& platform_;
    const std::uint8_t* doubleByteFlags_;
    const std::uint8_t* unitColumns_;  // when there are no double-byte flags
    const char16_t* begin_;
    const char16_t* end_;
    const char16_t* measured_;  // column_ is the column just before this unit
    std::size_t column_;
    bool withBreaks_;
};

// One pass: each block of 16 units is stored to the output as it is scanned, so the text is read
// once; a tab rewinds the output to its place, writes the spaces and the scan goes on after it.
// The output is sized up front (a zero fill is cheaper than appending piece by piece) and grows
// geometrically for the rare text with many tabs.
template <typename Stop>
WideString Expand(WideStringView text, std::size_t startColumn, LineBreaks lineBreaks, Stop stop,
                  const TextPlatform& platform) {
    ColumnTracker columns(text, startColumn, lineBreaks, stop, platform);
    // Room for a whole block and the plug-in's four spaces beyond the last unit written; a tab at
    // other stops makes room for its own spaces, which a far stop of a list may make many.
    constexpr std::size_t slack = kBlockUnits + kTabWidth;
    WideString out(text.size() + text.size() / 8 + slack, u'\0');
    std::size_t written = 0;
    auto ensureRoom = [&](std::size_t room) {
        if (out.size() - written < room) {
            out.resize(std::max(out.size() * 2, written + room));
        }
    };
    auto expandTab = [&](const char16_t* tab) {
        const std::size_t before = columns.ColumnBefore(tab);
        if constexpr (std::is_same_v<Stop, FourColumns>) {
            static constexpr char16_t kFourSpaces[kTabWidth] = {kSpace, kSpace, kSpace, kSpace};
            std::memcpy(out.data() + written, kFourSpaces, sizeof kFourSpaces);
            written += stop.SpacesFrom(before);
        } else {
            const std::size_t spaces = stop.SpacesFrom(before);
            ensureRoom(spaces + slack);
            if (stop.KeepsTab(before)) {
                out[written++] = kTab;
            } else {
                std::fill_n(out.data() + written, spaces, kSpace);
                written += spaces;
            }
        }
        columns.RestartAt(tab + 1, stop.AfterTab(before));
    };

    const char16_t* scan = text.data();
    const char16_t* const end = text.data() + text.size();
    while (static_cast<std::size_t>(end - scan) >= kBlockUnits) {
        ensureRoom(slack);
        std::memcpy(out.data() + written, scan, kBlockUnits * sizeof(char16_t));
        const std::uint32_t tabs = FullBlockMask(scan, kTab);
        if (tabs == 0) {
            scan += kBlockUnits;
            written += kBlockUnits;
            continue;
        }
        const unsigned at = static_cast<unsigned>(std::countr_zero(tabs));
        written += at;
        expandTab(scan + at);
        scan += at + 1;
    }
    for (; scan != end; ++scan) {
        ensureRoom(slack);
        if (*scan == kTab) {
            expandTab(scan);
        } else {
            out[written++] = *scan;
        }
    }
    out.resize(written);
    return out;
}

template <typename Stop>
WideString Compress(WideStringView text, std::size_t startColumn, LineBreaks lineBreaks, Stop stop,
                    const TextPlatform& platform) {
    WideString out;
    out.reserve(text.size());

    ColumnTracker columns(text, startColumn, lineBreaks, stop, platform);
    const char16_t* copied = text.data();
    const char16_t* afterLastSpace = nullptr;
    std::size_t columnAfterLastSpace = 0;
    ScanUnits(text, kSpace, [&](const char16_t* space) {
        // U+0020 is the single byte 0x20 in every code page the system can run in, so a space
        // right after another is one column further without a measure.
        const std::size_t before =
            space == afterLastSpace ? columnAfterLastSpace : columns.ColumnBefore(space);
        const std::size_t column = stop.Fold(before + 1);
        columns.RestartAt(space + 1, column);
        afterLastSpace = space + 1;
        columnAfterLastSpace = column;
        if (!stop.IsStop(column)) {
            return;
        }
        // The spaces just before this one since the stop before, at most the gap between the two
        // less one, go into the tab with it. They are still uncopied: out always ends in a tab or
        // is empty.
        const std::size_t joining = stop.GapBefore(column) - 1;
        const char16_t* runStart = space;
        while (runStart != copied && static_cast<std::size_t>(space - runStart) < joining &&
               runStart[-1] == kSpace) {
            --runStart;
        }
        AppendRange(out, copied, runStart);
        out.push_back(kTab);
        copied = space + 1;
    });
    AppendRange(out, copied, text.data() + text.size());
    return out;
}

// transform(first line's column, stops) with the stop type that fits: the plug-in's constant 4,
// another width, or a list.
template <typename Transform>
WideString AtStops(const TabStops& stops, TabsPastLastStop pastLastStop, std::int32_t startColumn,
                   Transform transform) {
    const std::int32_t width = stops.EveryWidth();
    if (width == kTabWidth) {
        return transform(FirstLineColumn(startColumn, FourColumns{}), FourColumns{});
    }
    if (width > 0) {
        const TabColumns stop{static_cast<std::size_t>(width)};
        return transform(FirstLineColumn(startColumn, stop), stop);
    }
    const ListColumns stop{stops, pastLastStop == TabsPastLastStop::Stay};
    return transform(FirstLineColumn(startColumn, stop), stop);
}

}  // namespace

WideString ReplacePattern(WideStringView source, WideStringView pattern, WideStringView replacement,
                          bool ignoreCase) {
    return ReplacePattern(CurrentTextPlatform(), source, pattern, replacement, ignoreCase);
}

WideString ReplacePattern(const TextPlatform& platform, WideStringView source, WideStringView pattern,
                          WideStringView replacement, bool ignoreCase) {
    const MyLibrary::TWideStringDynArray patterns{WideString(pattern)};
    const MyLibrary::TWideStringDynArray replacements{WideString(replacement)};
    return MyLibrary::ReplacePatterns(platform, source, patterns, replacements, ignoreCase, true);
}

WideString ExpandTabsInLine(WideStringView text) {
    return Expand(text, 0, LineBreaks::AreCharacters, FourColumns{}, CurrentTextPlatform());
}

WideString ExpandTabs(WideStringView text) {
    return Expand(text, 0, LineBreaks::StartNewLine, FourColumns{}, CurrentTextPlatform());
}

WideString ExpandTabsAfterPrefix(WideStringView text, std::int32_t startColumn) {
    return Expand(text, FirstLineColumn(startColumn, FourColumns{}), LineBreaks::StartNewLine, FourColumns{},
                  CurrentTextPlatform());
}

WideString ExpandTabsAfterPrefix(WideStringView text, std::int32_t startColumn, const TabStops& stops,
                                 const TextPlatform& platform, TabsPastLastStop pastLastStop) {
    return AtStops(stops, pastLastStop, startColumn, [text, &platform](std::size_t column, auto stop) {
        return Expand(text, column, LineBreaks::StartNewLine, stop, platform);
    });
}

WideString CompressSpacesInLine(WideStringView text) {
    return Compress(text, 0, LineBreaks::AreCharacters, FourColumns{}, CurrentTextPlatform());
}

WideString CompressSpaces(WideStringView text) {
    return Compress(text, 0, LineBreaks::StartNewLine, FourColumns{}, CurrentTextPlatform());
}

WideString CompressSpacesAfterPrefix(WideStringView text, std::int32_t startColumn) {
    return Compress(text, FirstLineColumn(startColumn, FourColumns{}), LineBreaks::StartNewLine,
                    FourColumns{}, CurrentTextPlatform());
}

WideString CompressSpacesAfterPrefix(WideStringView text, std::int32_t startColumn, const TabStops& stops,
                                     const TextPlatform& platform) {
    return AtStops(stops, TabsPastLastStop::BecomeSpace, startColumn,
                   [text, &platform](std::size_t column, auto stop) {
                       return Compress(text, column, LineBreaks::StartNewLine, stop, platform);
                   });
}

// A run of spaces never crosses a line break, so the text needs no splitting into lines. One pass
// without a branch per run: each space is written as a tab, and the write position moves on after
// it only when the unit before was no space, so that the rest of its run writes over it. A block of
// 16 units without a space is copied whole. The output is never longer than the text, so it is
// sized to it once.
WideString CollapseSpaceRuns(WideStringView text) {
    WideString out(text.size(), u'\0');
    char16_t* write = out.data();
    std::uint32_t afterSpace = 0;  // whether the unit before the block is a space
    // Each unit of the block is written, a space as a tab; the write position moves on unless the
    // unit is a space after a space. Selected in arithmetic, which the compiler keeps free of
    // branches; a full block's loop is unrolled.
    const auto collapseBlock = [&](const char16_t* block, std::size_t units, std::uint32_t spaces) {
        const std::uint32_t kept = ~(spaces & ((spaces << 1) | afterSpace));
        for (unsigned k = 0; k < units; ++k) {
            const char16_t unit = block[k];
            *write = static_cast<char16_t>(unit ^ ((unit ^ kTab) & (0u - ((spaces >> k) & 1))));
            write += (kept >> k) & 1;
        }
        afterSpace = (spaces >> (units - 1)) & 1;
    };
    const char16_t* scan = text.data();
    const char16_t* const end = text.data() + text.size();
    for (; static_cast<std::size_t>(end - scan) >= kBlockUnits; scan += kBlockUnits) {
        const std::uint32_t spaces = FullBlockMask(scan, kSpace);
        if (spaces == 0) {
            std::memcpy(write, scan, kBlockUnits * sizeof(char16_t));
            write += kBlockUnits;
            afterSpace = 0;
        } else {
            collapseBlock(scan, kBlockUnits, spaces);
        }
    }
    if (scan != end) {
        const auto units = static_cast<std::size_t>(end - scan);
        collapseBlock(scan, units, PartialBlockMask(scan, units, kSpace));
    }
    out.resize(static_cast<std::size_t>(write - out.data()));
    return out;
}

}  // namespace Blankwise
