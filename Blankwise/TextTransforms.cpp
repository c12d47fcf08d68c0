#include "TextTransforms.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "../MyLibrary/StringUnit/TextPlatform.h"

namespace Blankwise {
namespace {

using MyLibrary::CurrentTextPlatform;
using MyLibrary::TextPlatform;

constexpr char16_t kTab = u'\t';
constexpr char16_t kSpace = u' ';
constexpr char16_t kCr = u'\r';
constexpr char16_t kLf = u'\n';
constexpr std::size_t kStop = static_cast<std::size_t>(kTabWidth);

// Whether a CR or LF ends the line and starts the next at column 0 (the whole-text forms), or is
// just a one-column character of a single line (the line forms).
enum class LineBreaks { StartNewLine, AreCharacters };

// Columns are carried modulo the tab width: only the distance to the next stop matters, and a line
// of any length cannot overflow the count.
std::size_t FirstLineColumn(std::int32_t startColumn) {
    return startColumn > 0 ? static_cast<std::size_t>(startColumn) % kStop : 0;
}

// The width of a run is the byte length of its multi-byte form. Runs are cut only at tabs, spaces
// and line breaks, never inside a surrogate pair, so the sum of the run widths before a unit is the
// width of the whole line up to it, however the code page maps each unit.
std::size_t RunWidth(const TextPlatform& platform, const char16_t* first, const char16_t* last) {
    return first == last
               ? 0
               : platform.MultiByteLength(WideStringView(first, static_cast<std::size_t>(last - first)));
}

// Pointer and count: the iterator-pair overload of append copies the range into a temporary first.
void AppendRange(WideString& out, const char16_t* first, const char16_t* last) {
    out.append(first, static_cast<std::size_t>(last - first));
}

// The text is walked in blocks of 16 units, each summed up as bit masks (bit k for unit k) of the
// units that matter, so that the units in between cost no branch of their own.
constexpr std::size_t kBlockUnits = 16;

struct BlockMasks {
    std::uint32_t wanted;  // units equal to the one the transform works on
    std::uint32_t breaks;  // CR and LF, when they start lines
};

BlockMasks PartialBlockMasks(const char16_t* block, std::size_t units, char16_t wanted, bool withBreaks) {
    BlockMasks masks{0, 0};
    for (std::size_t k = 0; k < units; ++k) {
        masks.wanted |= static_cast<std::uint32_t>(block[k] == wanted) << k;
        masks.breaks |= static_cast<std::uint32_t>(withBreaks && (block[k] == kCr || block[k] == kLf)) << k;
    }
    return masks;
}

#if defined(__SSE2__)
std::uint32_t MaskOf(__m128i low, __m128i high, __m128i wanted) {
    return static_cast<std::uint32_t>(
        _mm_movemask_epi8(_mm_packs_epi16(_mm_cmpeq_epi16(low, wanted), _mm_cmpeq_epi16(high, wanted))));
}

BlockMasks FullBlockMasks(const char16_t* block, char16_t wanted, bool withBreaks) {
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 8));
    BlockMasks masks{MaskOf(low, high, _mm_set1_epi16(static_cast<short>(wanted))), 0};
    if (withBreaks) {
        masks.breaks = MaskOf(low, high, _mm_set1_epi16(static_cast<short>(kCr))) |
                       MaskOf(low, high, _mm_set1_epi16(static_cast<short>(kLf)));
    }
    return masks;
}
#else
BlockMasks FullBlockMasks(const char16_t* block, char16_t wanted, bool withBreaks) {
    return PartialBlockMasks(block, kBlockUnits, wanted, withBreaks);
}
#endif

// Calls onUnit(position) for every unit equal to wanted, in order, and tells onLineStart(position)
// of every line that starts after a CR or LF before the next such unit (when withBreaks is set).
template <typename OnUnit, typename OnLineStart>
void ScanUnits(WideStringView text, char16_t wanted, bool withBreaks, OnUnit onUnit,
               OnLineStart onLineStart) {
    const char16_t* const end = text.data() + text.size();
    for (const char16_t* block = text.data(); block != end;) {
        const std::size_t units = std::min(kBlockUnits, static_cast<std::size_t>(end - block));
        BlockMasks masks = units == kBlockUnits ? FullBlockMasks(block, wanted, withBreaks)
                                                : PartialBlockMasks(block, units, wanted, withBreaks);
        for (; masks.wanted != 0; masks.wanted &= masks.wanted - 1) {
            const unsigned at = static_cast<unsigned>(std::countr_zero(masks.wanted));
            const std::uint32_t breaksBefore = masks.breaks & ((1u << at) - 1);
            if (breaksBefore != 0) {
                onLineStart(block + std::bit_width(breaksBefore));
            }
            masks.breaks &= ~((1u << at) - 1);
            onUnit(block + at);
        }
        if (masks.breaks != 0) {
            onLineStart(block + std::bit_width(masks.breaks));
        }
        block += units;
    }
}

// One pass: each block of 16 units is stored to the output as it is scanned, so the text is read
// once; a tab rewinds the output to its place, writes the spaces and the scan goes on after it.
// The output is sized up front (a zero fill is cheaper than appending piece by piece) and grows
// geometrically for the rare text with many tabs.
WideString Expand(WideStringView text, std::size_t startColumn, LineBreaks lineBreaks) {
    const bool withBreaks = lineBreaks == LineBreaks::StartNewLine;
    const TextPlatform& platform = CurrentTextPlatform();
    // Room for a whole block and four spaces beyond the last unit written.
    constexpr std::size_t kSlack = kBlockUnits + kStop;
    WideString out(text.size() + text.size() / 8 + kSlack, u'\0');
    std::size_t written = 0;
    auto ensureRoom = [&out, &written] {
        if (out.size() - written < kSlack) {
            out.resize(out.size() * 2);
        }
    };

    const char16_t* scan = text.data();
    const char16_t* const end = text.data() + text.size();
    const char16_t* measured = scan;  // column is the column just before this unit
    std::size_t column = startColumn;
    auto expandTab = [&](const char16_t* tab) {
        static constexpr char16_t kFourSpaces[kStop] = {kSpace, kSpace, kSpace, kSpace};
        column = (column + RunWidth(platform, measured, tab)) % kStop;
        std::memcpy(out.data() + written, kFourSpaces, sizeof kFourSpaces);
        written += kStop - column;
        column = 0;
        measured = tab + 1;
    };
    while (static_cast<std::size_t>(end - scan) >= kBlockUnits) {
        ensureRoom();
        std::memcpy(out.data() + written, scan, kBlockUnits * sizeof(char16_t));
        const BlockMasks masks = FullBlockMasks(scan, kTab, withBreaks);
        if (masks.wanted == 0) {
            if (masks.breaks != 0) {
                measured = scan + std::bit_width(masks.breaks);
                column = 0;
            }
            scan += kBlockUnits;
            written += kBlockUnits;
            continue;
        }
        const unsigned at = static_cast<unsigned>(std::countr_zero(masks.wanted));
        const std::uint32_t breaksBefore = masks.breaks & ((1u << at) - 1);
        if (breaksBefore != 0) {
            measured = scan + std::bit_width(breaksBefore);
            column = 0;
        }
        written += at;
        expandTab(scan + at);
        scan += at + 1;
    }
    for (; scan != end; ++scan) {
        ensureRoom();
        if (*scan == kTab) {
            expandTab(scan);
            continue;
        }
        out[written++] = *scan;
        if (withBreaks && (*scan == kCr || *scan == kLf)) {
            measured = scan + 1;
            column = 0;
        }
    }
    out.resize(written);
    return out;
}

// The column after each space is the column after the one before plus the width of the units
// between them (from the start of the space's line when a break lies between).
WideString Compress(WideStringView text, std::size_t startColumn, LineBreaks lineBreaks) {
    WideString out;
    out.reserve(text.size());

    const TextPlatform& platform = CurrentTextPlatform();
    const char16_t* copied = text.data();
    const char16_t* measured = copied;
    std::size_t column = startColumn;
    ScanUnits(
        text, kSpace, lineBreaks == LineBreaks::StartNewLine,
        [&](const char16_t* space) {
            // U+0020 is the single byte 0x20 in every code page the system can run in.
            column = (column + RunWidth(platform, measured, space) + 1) % kStop;
            measured = space + 1;
            if (column != 0) {
                return;
            }
            // The spaces just before this one, at most 3, go into the tab with it. They are still
            // uncopied: out always ends in a tab or is empty.
            const char16_t* runStart = space;
            while (runStart != copied && space - runStart < kTabWidth - 1 && runStart[-1] == kSpace) {
                --runStart;
            }
            AppendRange(out, copied, runStart);
            out.push_back(kTab);
            copied = space + 1;
        },
        [&](const char16_t* lineStart) {
            measured = lineStart;
            column = 0;
        });
    AppendRange(out, copied, text.data() + text.size());
    return out;
}

}  // namespace

WideString ReplacePattern(WideStringView source, WideStringView pattern, WideStringView replacement,
                          bool ignoreCase) {
    const MyLibrary::TWideStringDynArray patterns{WideString(pattern)};
    const MyLibrary::TWideStringDynArray replacements{WideString(replacement)};
    return MyLibrary::ReplacePatterns(source, patterns, replacements, ignoreCase, true);
}

WideString ExpandTabsInLine(WideStringView text) {
    return Expand(text, 0, LineBreaks::AreCharacters);
}

WideString ExpandTabs(WideStringView text) {
    return Expand(text, 0, LineBreaks::StartNewLine);
}

WideString ExpandTabsAfterPrefix(WideStringView text, std::int32_t startColumn) {
    return Expand(text, FirstLineColumn(startColumn), LineBreaks::StartNewLine);
}

WideString CompressSpacesInLine(WideStringView text) {
    return Compress(text, 0, LineBreaks::AreCharacters);
}

WideString CompressSpaces(WideStringView text) {
    return Compress(text, 0, LineBreaks::StartNewLine);
}

WideString CompressSpacesAfterPrefix(WideStringView text, std::int32_t startColumn) {
    return Compress(text, FirstLineColumn(startColumn), LineBreaks::StartNewLine);
}

// A run of spaces never crosses a line break, so the text needs no splitting into lines. The units
// between runs are copied in one piece; each run is written as one tab.
WideString CollapseSpaceRuns(WideStringView text) {
    WideString out;
    out.reserve(text.size());
    const char16_t* copied = text.data();
    ScanUnits(
        text, kSpace, false,
        [&](const char16_t* space) {
            if (space == text.data() || space[-1] != kSpace) {
                AppendRange(out, copied, space);
                out.push_back(kTab);
            }
            copied = space + 1;
        },
        [](const char16_t*) {});
    AppendRange(out, copied, text.data() + text.size());
    return out;
}

}  // namespace Blankwise
