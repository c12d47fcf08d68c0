#include "TextTransforms.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

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

// Searching four units per 64-bit word: a lane is zero after the XOR exactly where the unit is the
// one wanted, and (w - 1 per lane) & ~w & high bits is nonzero when any lane of w is zero. Skipping
// 16 units per step without a branch per unit is what keeps long lines cheap.
constexpr std::uint64_t kOnePerLane = 0x0001000100010001u;
constexpr std::uint64_t kHighBitPerLane = 0x8000800080008000u;

std::uint64_t HasZeroLane(const char16_t* p, std::uint64_t pattern) {
    std::uint64_t word = 0;
    std::memcpy(&word, p, sizeof word);
    word ^= pattern;
    return (word - kOnePerLane) & ~word & kHighBitPerLane;
}

const char16_t* Find(const char16_t* p, const char16_t* end, char16_t wanted) {
    const std::uint64_t pattern = kOnePerLane * wanted;
    while (end - p >= 16) {
        if ((HasZeroLane(p, pattern) | HasZeroLane(p + 4, pattern) | HasZeroLane(p + 8, pattern) |
             HasZeroLane(p + 12, pattern)) != 0) {
            break;
        }
        p += 16;
    }
    while (p != end && *p != wanted) {
        ++p;
    }
    return p;
}

// The start of the line that holds `at`: just after the last CR or LF in [from, at), or from when
// there is none there.
const char16_t* LineStartSince(const char16_t* from, const char16_t* at) {
    while (at != from && at[-1] != kLf && at[-1] != kCr) {
        --at;
    }
    return at;
}

// Only the tabs matter: between two of them, the units are copied in one piece and their width is
// taken in one measure, from the start of the tab's line when a break lies between.
WideString Expand(WideStringView text, std::size_t startColumn, LineBreaks lineBreaks) {
    const std::size_t tabCount = static_cast<std::size_t>(std::count(text.begin(), text.end(), kTab));
    if (tabCount == 0) {
        return WideString(text);
    }
    // A tab becomes at most 4 spaces.
    WideString out;
    out.reserve(text.size() + (kStop - 1) * tabCount);

    const TextPlatform& platform = CurrentTextPlatform();
    const char16_t* const end = text.data() + text.size();
    const char16_t* copied = text.data();  // the units before it are in out
    const char16_t* measured = copied;     // column is the column just before this unit
    std::size_t column = startColumn;
    for (const char16_t* tab = Find(copied, end, kTab); tab != end; tab = Find(copied, end, kTab)) {
        if (lineBreaks == LineBreaks::StartNewLine) {
            const char16_t* lineStart = LineStartSince(measured, tab);
            if (lineStart != measured) {
                measured = lineStart;
                column = 0;
            }
        }
        column = (column + RunWidth(platform, measured, tab)) % kStop;
        AppendRange(out, copied, tab);
        out.append(kStop - column, kSpace);
        column = 0;
        measured = copied = tab + 1;
    }
    AppendRange(out, copied, end);
    return out;
}
// Only the spaces matter: the column after each is the column after the one before plus the width
// of the units between them (from the start of the space's line when a break lies between).
WideString Compress(WideStringView text, std::size_t startColumn, LineBreaks lineBreaks) {
    WideString out;
    out.reserve(text.size());

    const TextPlatform& platform = CurrentTextPlatform();
    const char16_t* const end = text.data() + text.size();
    const char16_t* copied = text.data();
    const char16_t* measured = copied;
    std::size_t column = startColumn;
    for (const char16_t* space = Find(measured, end, kSpace); space != end;
         space = Find(measured, end, kSpace)) {
        if (lineBreaks == LineBreaks::StartNewLine) {
            const char16_t* lineStart = LineStartSince(measured, space);
            if (lineStart != measured) {
                measured = lineStart;
                column = 0;
            }
        }
        // U+0020 is the single byte 0x20 in every code page the system can run in.
        column = (column + RunWidth(platform, measured, space) + 1) % kStop;
        measured = space + 1;
        if (column == 0) {
            // The spaces just before this one, at most 3, go into the tab with it. They are still
            // uncopied: out always ends in a tab or is empty.
            const char16_t* runStart = space;
            while (runStart != copied && space - runStart < kTabWidth - 1 && runStart[-1] == kSpace) {
                --runStart;
            }
            AppendRange(out, copied, runStart);
            out.push_back(kTab);
            copied = space + 1;
        }
    }
    AppendRange(out, copied, end);
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

// A run of spaces never crosses a line break, so the text needs no splitting into lines. Every unit
// is written, a space as a tab; the write position moves on except for a space after a space.
WideString CollapseSpaceRuns(WideStringView text) {
    WideString out(text.size(), u'\0');
    char16_t* written = out.data();
    char16_t previous = 0;
    for (const char16_t unit : text) {
        const bool space = unit == kSpace;
        *written = space ? kTab : unit;
        written += !(space && previous == kSpace);
        previous = unit;
    }
    out.resize(static_cast<std::size_t>(written - out.data()));
    return out;
}

}  // namespace Blankwise
