#pragma once

#include <cstdint>
#include <optional>

#include "Blankwise/HostPort.h"
#include "MyLibrary/StringUnit/StringUnit.h"

namespace Blankwise {

using MyLibrary::WideString;
using MyLibrary::WideStringView;

// Options of GetLineText; the request's flags field is their sum: the logical line (counted in UTF-16
// units, as positions of kind 2 count it) and, with the second, its line break. The command asks
// for the logical line only.
inline constexpr std::int32_t kLineOptionLogical = 1;
inline constexpr std::int32_t kLineOptionWithBreak = 2;

// The selected text as the host holds it (two sends: the size, then the fill), up to its first
// U+0000. A size answer of 0 or below gives the empty text; the buffer is never read past the size.
WideString GetSelectedText(HostPort& host);
// One line's text, read as GetSelectedText reads the selection; options are sent as the flags.
WideString GetLineText(HostPort& host, std::int32_t line, std::int32_t options);

// How a piece of text ends. The values are those the write-back compares.
enum class TLineEnding : std::uint8_t { CrLf = 0, Cr = 1, Lf = 2, None = 3 };
TLineEnding LineEndingKind(WideStringView piece);

inline bool SamePosition(const TCaretPos& a, const TCaretPos& b) {
    return a == b;
}

// True when the caret (kind 0) stands at the selection's end and not at its start; false with
// nothing selected.
bool IsCaretAtSelectionEnd(HostPort& host);
// Selects from anchor to caret (kind 0); equal ends just place the caret.
void SelectRange(HostPort& host, TCaretPos anchor, TCaretPos caret);
// Selects the current selection again with the caret at its end (caretAtEnd) or its start.
void RestoreCaretSide(HostPort& host, bool caretAtEnd);

// Writes newText over the selection line by line: lines equal in the old and the new text are left
// alone, a CR LF ending both an old and a new line stays in place, surplus lines are inserted or
// removed in one edit. Afterwards newText is selected with the caret on the side it was on.
//
// With capturedText, the text newText was converted from, nothing is written unless the selection
// still holds exactly that text: a host whose selection moved between the reads keeps its document
// as it was rather than have another text overwritten by a conversion of the first.
void WriteBackLines(HostPort& host, WideStringView newText,
                    std::optional<WideStringView> capturedText = std::nullopt);

}  // namespace Blankwise
