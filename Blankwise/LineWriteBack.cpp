#include "Blankwise/LineWriteBack.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "MyLibrary/LineList/WideStringRecordList.h"
#include "MyLibrary/TemplateList/ListClone.h"

namespace Blankwise {
namespace {

// The host's size answer, in UTF-16 units with the terminating zero. The request record carries
// sizes as int32, so nothing larger is asked for.
constexpr std::intptr_t kLargestRead = std::numeric_limits<std::int32_t>::max();

// Two sends: the size needed, then the fill. The host is told the buffer's exact size; the text is
// taken up to the first zero within that size, so a host that leaves no zero is never read past.
WideString ReadHostText(HostPort& host, std::uint32_t message, TLineRequest* request) {
    const std::intptr_t size = host.Send(message, WordOf(request), 0);
    if (size <= 0) {
        return {};
    }
    const auto capacity = static_cast<std::size_t>(std::min(size, kLargestRead));
    // Filled in place and cut at its first zero: a document-sized text is not copied again.
    WideString text(capacity, u'\0');
    std::uintptr_t sizeWord = capacity;
    if (request != nullptr) {
        request->bufferSize = static_cast<std::int32_t>(capacity);
        sizeWord = WordOf(request);
    }
    host.Send(message, sizeWord, AddressOf(text.data()));
    text.resize(static_cast<std::size_t>(std::find(text.begin(), text.end(), u'\0') - text.begin()));
    return text;
}

TCaretPos ReadPosition(HostPort& host, std::uint32_t message, std::uintptr_t kind) {
    TCaretPos position;
    host.Send(message, kind, AddressOf(&position));
    return position;
}

void PlaceCaret(HostPort& host, std::uintptr_t kind, TCaretPos position) {
    host.Send(HostSetCaretPos, kind, AddressOf(&position));
}

void SelectUnits(HostPort& host, std::size_t length) {
    host.Send(HostSetSelLength, length, 0);
}

// The host takes the text zero-terminated; `terminated` is the caller's buffer for it, reused from
// one insertion to the next.
void InsertText(HostPort& host, WideStringView text, WideString& terminated) {
    terminated.assign(text);
    host.Send(HostInsertText, 0, AddressOf(terminated.c_str()));
}

// A piece and the line right after it in the same text, as one view.
WideStringView ThroughNextLine(WideStringView piece, WideStringView nextLine) {
    return WideStringView(piece.data(),
                          static_cast<std::size_t>(nextLine.data() + nextLine.size() - piece.data()));
}

// The text's lines as TCommonStringRecordList::SplitLines cuts them, as views. A text of more lines
// than the list can hold fails as the list fails, before anything is written.
std::vector<WideStringView> SplitLinesAsTheListDoes(WideStringView text) {
    std::vector<WideStringView> lines = MyLibrary::SplitLineViews(text);
    static const std::size_t kMostLines = [] {
        std::int32_t capacity = 0;
        while (MyLibrary::TListClone::GrowthIncrement(capacity) <=
               MyLibrary::TListClone::kMaxListSize - capacity) {
            capacity += MyLibrary::TListClone::GrowthIncrement(capacity);
        }
        return static_cast<std::size_t>(capacity);
    }();
    if (lines.size() > kMostLines) {
        MyLibrary::TListClone::ListError({}, MyLibrary::TListClone::kMaxListSize);
    }
    return lines;
}

// The line `count` lines below `line`; a host that reports a line near the int32 limit gets the
// limit rather than an overflow.
std::int32_t LineBelow(std::int32_t line, std::int32_t count) {
    const std::int64_t below = static_cast<std::int64_t>(line) + count;
    return static_cast<std::int32_t>(std::min<std::int64_t>(below, std::numeric_limits<std::int32_t>::max()));
}

bool StartsWithLf(WideStringView piece) {
    return !piece.empty() && piece.front() == u'\n';
}

// The old and the new pieces of a write-back in the pairs WriteBackLines writes them in, and what is
// left over on either side once one side has run out; views of the two texts, which outlive it.
class PiecePairs {
  public:
    PiecePairs(WideStringView oldText, WideStringView newText)
        : oldText_(oldText),
          newText_(newText),
          oldLines_(SplitLinesAsTheListDoes(oldText)),
          newLines_(SplitLinesAsTheListDoes(newText)) {}

    bool HasPair() const { return OldLeft() && NewLeft(); }
    bool OldLeft() const { return oldIndex_ < oldLines_.size(); }
    bool NewLeft() const { return newIndex_ < newLines_.size(); }
    std::int32_t NewTaken() const { return static_cast<std::int32_t>(newIndex_); }
    bool OneSideEmpty() const { return oldLines_.empty() != newLines_.empty(); }

    // The next pair, joined with the pairs after it while the new piece ends in a lone CR and the
    // next old piece starts with LF; where the old pieces run out there, the new pieces left join it.
    void Take(WideStringView& oldPiece, WideStringView& newPiece) {
        oldPiece = oldLines_[oldIndex_++];
        newPiece = newLines_[newIndex_++];
        while (LineEndingKind(newPiece) == TLineEnding::Cr && OldLeft() &&
               StartsWithLf(oldLines_[oldIndex_])) {
            oldPiece = ThroughNextLine(oldPiece, oldLines_[oldIndex_++]);
            if (NewLeft()) {
                newPiece = ThroughNextLine(newPiece, newLines_[newIndex_++]);
            }
        }
        if (!OldLeft() && NewLeft() && LineEndingKind(newPiece) == TLineEnding::Cr &&
            LineEndingKind(oldPiece) != TLineEnding::Cr) {
            newPiece = ThroughNextLine(newPiece, newLines_.back());
            newIndex_ = newLines_.size();
        }
    }

    // The new pieces not taken, as one text.
    WideStringView NewSurplus() {
        const WideStringView surplus = newText_.substr(Offset(newText_, newLines_[newIndex_]));
        newIndex_ = newLines_.size();
        return surplus;
    }

    // The length of the old pieces not taken.
    std::size_t OldSurplusLength() {
        const std::size_t length = oldText_.size() - Offset(oldText_, oldLines_[oldIndex_]);
        oldIndex_ = oldLines_.size();
        return length;
    }

  private:
    static std::size_t Offset(WideStringView text, WideStringView line) {
        return static_cast<std::size_t>(line.data() - text.data());
    }

    WideStringView oldText_;
    WideStringView newText_;
    std::vector<WideStringView> oldLines_;
    std::vector<WideStringView> newLines_;
    std::size_t oldIndex_ = 0;
    std::size_t newIndex_ = 0;
};

// Writes newPiece over oldPiece, which starts at current, and leaves the caret at next, where the
// pair after it starts, but after an edit that may have joined lines. Returns whether the edit
// joined a first new piece's LF to a CR before the selection, which mayJoinBefore (the first pair,
// at the start of its line) allows.
bool WritePair(HostPort& host, WideStringView oldPiece, WideStringView newPiece, TCaretPos current,
               TCaretPos next, bool mayJoinBefore, WideString& terminated) {
    if (oldPiece == newPiece) {
        PlaceCaret(host, kPositionKindUnits, next);
        return false;
    }
    PlaceCaret(host, kPositionKindUnits, current);
    if (LineEndingKind(oldPiece) == TLineEnding::CrLf && LineEndingKind(newPiece) == TLineEnding::CrLf) {
        SelectUnits(host, oldPiece.size() - 2);
        InsertText(host, newPiece.substr(0, newPiece.size() - 2), terminated);
        PlaceCaret(host, kPositionKindUnits, next);
        return false;
    }
    SelectUnits(host, oldPiece.size());
    InsertText(host, newPiece, terminated);
    return mayJoinBefore && StartsWithLf(newPiece) && !StartsWithLf(oldPiece) &&
           ReadPosition(host, HostGetCaretPos, kPositionKindUnits).line < next.line;
}

}  // namespace

WideString GetSelectedText(HostPort& host) {
    return ReadHostText(host, HostGetSelText, nullptr);
}

WideString GetLineText(HostPort& host, std::int32_t line, std::int32_t options) {
    TLineRequest request{0, options, line};
    return ReadHostText(host, HostGetLineText, &request);
}

TLineEnding LineEndingKind(WideStringView piece) {
    if (piece.size() >= 2 && piece.ends_with(u"\r\n")) {
        return TLineEnding::CrLf;
    }
    if (piece.empty()) {
        return TLineEnding::None;
    }
    switch (piece.back()) {
        case u'\n':
            return TLineEnding::Lf;
        case u'\r':
            return TLineEnding::Cr;
        default:
            return TLineEnding::None;
    }
}

bool IsCaretAtSelectionEnd(HostPort& host) {
    const TCaretPos start = ReadPosition(host, HostGetSelStart, kPositionKindVisible);
    const TCaretPos end = ReadPosition(host, HostGetSelEnd, kPositionKindVisible);
    const TCaretPos caret = ReadPosition(host, HostGetCaretPos, kPositionKindVisible);
    if (SamePosition(caret, start)) {
        return false;
    }
    return SamePosition(caret, end);
}

void SelectRange(HostPort& host, TCaretPos anchor, TCaretPos caret) {
    if (SamePosition(anchor, caret)) {
        PlaceCaret(host, kPositionKindVisible, anchor);
        return;
    }
    host.Send(HostSetSelection, WordOf(&anchor), AddressOf(&caret));
}

void RestoreCaretSide(HostPort& host, bool caretAtEnd) {
    const TCaretPos start = ReadPosition(host, HostGetSelStart, kPositionKindVisible);
    const TCaretPos end = ReadPosition(host, HostGetSelEnd, kPositionKindVisible);
    if (caretAtEnd) {
        SelectRange(host, start, end);
    } else {
        SelectRange(host, end, start);
    }
}

// Old piece i starts on document line start.line + i (at the selection's column for the first), so
// each differing pair is replaced where it stands and equal pairs are stepped over. A pair that both
// end in CR LF keeps the document's CR LF. What one list has beyond the other goes in, or out, in
// one edit at the caret the last pair left.
//
// Three things the plain pairing gets wrong are handled here:
// - a new piece ending in a lone CR written before an old piece that begins with LF would join them
//   into one CR LF, so the next pieces would no longer start on the lines counted for them. Such
//   pieces are written together with the following ones, old and new, until nothing joins; and when
//   the old pieces run out there, the surplus new pieces go in with the same edit, since the text
//   after the selection may begin with LF too.
// - a first new piece that begins with LF, written at the start of a line, joins a lone CR that
//   ends the line before the selection into one CR LF: the lines after it move up one, and the
//   LF can no longer be selected apart from its CR. Whether the document has that CR is not
//   known, so in that case alone the caret the edit left is read back to find out; the later
//   pieces are then placed one line higher and the new text is selected without its first LF.
// - with no pair compared the caret has not been placed yet: for a forward selection it stands at
//   the selection's end, and the surplus would be inserted or removed there. It is put at the
//   selection's start first.
void WriteBackLines(HostPort& host, WideStringView newText, std::optional<WideStringView> capturedText) {
    bool caretAtEnd = false;
    TCaretPos start;
    std::int32_t joinedLines = 0;  // 1 when the first new piece's LF joined a CR before the selection
    {
        const WideString oldText = GetSelectedText(host);
        if (capturedText && oldText != *capturedText) {
            return;
        }
        PiecePairs pairs(oldText, newText);
        start = ReadPosition(host, HostGetSelStart, kPositionKindUnits);
        caretAtEnd = IsCaretAtSelectionEnd(host);
        WideString terminated;  // the text of each insertion, zero-terminated, one buffer for all
        WideStringView oldPiece;
        WideStringView newPiece;
        while (pairs.HasPair()) {
            const bool first = pairs.NewTaken() == 0;
            const TCaretPos current{first ? start.column : 0,
                                    LineBelow(start.line, pairs.NewTaken() - joinedLines)};
            pairs.Take(oldPiece, newPiece);
            const TCaretPos next{0, LineBelow(start.line, pairs.NewTaken() - joinedLines)};
            if (WritePair(host, oldPiece, newPiece, current, next, first && start.column == 0, terminated)) {
                joinedLines = 1;
            }
        }
        if (pairs.OneSideEmpty()) {
            PlaceCaret(host, kPositionKindUnits, start);
        }
        if (pairs.NewLeft()) {
            InsertText(host, pairs.NewSurplus(), terminated);
        } else if (pairs.OldLeft()) {
            SelectUnits(host, pairs.OldSurplusLength());
            InsertText(host, u"", terminated);
        }
    }

    PlaceCaret(host, kPositionKindUnits, start);
    SelectUnits(host, newText.size() - static_cast<std::size_t>(joinedLines));
    RestoreCaretSide(host, caretAtEnd);
}

}  // namespace Blankwise
