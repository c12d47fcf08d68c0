#include "CommandLine/Stream/PieceReader.h"

#include <algorithm>

#include "Blankwise/TextColumns.h"
#include "MyLibrary/Encoding/Cp932Facts.h"
#include "MyLibrary/Encoding/EucJpFacts.h"
#include "MyLibrary/Encoding/Iso2022Jp.h"
#include "MyLibrary/Encoding/Utf8Facts.h"
#include "MyLibrary/StringUnit/TextPlatform.h"

namespace BlankwiseCli {

using Blankwise::IsBreak;
using Blankwise::kSpace;
using Blankwise::kTab;

PieceReader::PieceReader(ByteSource& source, const StreamSettings& settings)
    : source_(source), settings_(settings), layout_(settings.encoding), column_(settings.startColumn) {}

std::string_view PieceReader::Start(StreamOutcome& outcome) {
    while (!atEnd_ && pending_.size() < 4) {
        ReadMore();
    }
    // Whatever the encoding asked for: UTF-16 read as code page 932 would be corrupted.
    const auto marked = MyLibrary::EncodingOfByteOrderMark(ViewOf(pending_));
    if (!marked) {
        return {};
    }
    outcome.encoding = *marked;
    layout_ = UnitLayout(*marked);
    const std::string_view mark = MyLibrary::ByteOrderMark(*marked);
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(mark.size()));
    offset_ = mark.size();
    return mark;
}

bool PieceReader::Next(Piece& piece) {
    const std::size_t target = std::max<std::size_t>(settings_.chunkUnits, 1) * layout_.unitBytes;
    while (true) {
        if (atEnd_ || pending_.size() >= target) {
            const std::size_t cut = atEnd_ ? pending_.size() : FindCut();
            if (cut > 0) {
                HandOut(piece, cut);
                return true;
            }
            if (atEnd_) {
                return false;
            }
        }
        ReadMore();
    }
}

void PieceReader::ReadMore() {
    const std::size_t used = pending_.size();
    const std::size_t wanted = std::max<std::size_t>(settings_.readSize, 1);
    pending_.resize(used + wanted);
    const std::size_t got = source_.Read(pending_.data() + used, wanted);
    pending_.resize(used + got);
    atEnd_ = got == 0;
}

void PieceReader::HandOut(Piece& piece, std::size_t cut) {
    piece.input.swap(pending_);
    pending_.assign(piece.input.begin() + static_cast<std::ptrdiff_t>(cut), piece.input.end());
    piece.input.resize(cut);
    piece.column = column_;
    piece.offset = offset_;
    piece.startsMidLine = midLine_;
    piece.shiftState = shiftState_;
    piece.state = Piece::State::Waiting;
    // The last whole unit tells; a piece at the end of UTF-16 input may end in half a unit, or be one.
    const std::size_t whole = cut - cut % layout_.unitBytes;
    midLine_ = whole == 0 || !IsBreak(layout_.UnitAt(ViewOf(piece.input), whole - layout_.unitBytes));
    offset_ += cut;
    column_ = ColumnAtEnd(ViewOf(piece.input), column_, shiftState_);
    if (layout_.encoding == MyLibrary::Encoding::Iso2022Jp) {
        shiftState_ = MyLibrary::Iso2022JpStateAfter(ViewOf(piece.input), shiftState_);
    }
    scanned_ = 0;
    parsed_ = 0;
}

// The last place to cut among the bytes that came since the last search (the ones before
// held none): after the last line break, else after the last character that is no blank.
// 0 when there is none.
std::size_t PieceReader::FindCut() {
    const std::string_view bytes = ViewOf(pending_);
    const std::size_t unit = layout_.unitBytes;
    const std::size_t size = bytes.size() - bytes.size() % unit;
    const std::size_t from = scanned_;
    scanned_ = size;
    for (std::size_t p = size; p > from; p -= unit) {
        if (IsBreak(layout_.UnitAt(bytes, p - unit))) {
            return p;
        }
    }
    // A cut at p needs the unit at p, to know that it starts a character.
    for (std::size_t p = size - unit; p > 0 && p + unit > from; p -= unit) {
        if (CanCutBefore(bytes, p)) {
            return p;
        }
    }
    const bool parsed =
        layout_.encoding == MyLibrary::Encoding::Cp932 || layout_.encoding == MyLibrary::Encoding::EucJp;
    return parsed ? ParseForCut(bytes) : 0;
}

// Whether p starts a character and the character before it is no blank and no high
// surrogate, told by the few bytes around p alone. Bytes that are invalid there are invalid
// in the whole stream as well, so a piece that ends with them reports them at the same place.
bool PieceReader::CanCutBefore(std::string_view bytes, std::size_t p) const {
    const auto at = [&](std::size_t i) { return static_cast<std::uint8_t>(bytes[i]); };
    const auto blankByte = [&](std::size_t i) { return at(i) == kTab || at(i) == kSpace; };
    // Whether the bytes before p end with the full-width space's.
    const auto afterFullWidthSpace = [&](std::string_view fullWidth) {
        return p >= fullWidth.size() && bytes.substr(p - fullWidth.size(), fullWidth.size()) == fullWidth;
    };
    switch (layout_.encoding) {
        case MyLibrary::Encoding::Utf8:
            return !MyLibrary::IsUtf8Continuation(at(p)) && !blankByte(p - 1) &&
                   !afterFullWidthSpace(MyLibrary::kUtf8FullWidthSpace);
        case MyLibrary::Encoding::Cp932:
            // A byte that can be no trail starts a character; the full-width space's bytes before it
            // may be one.
            return !MyLibrary::MayBeCp932TrailByte(at(p)) && !blankByte(p - 1) &&
                   !afterFullWidthSpace(MyLibrary::kCp932FullWidthSpace);
        case MyLibrary::Encoding::EucJp:
            return MyLibrary::AlwaysStartsEucJpCode(at(p)) && !blankByte(p - 1) &&
                   !afterFullWidthSpace(MyLibrary::kEucJpFullWidthSpace);
        case MyLibrary::Encoding::Iso2022Jp:
            // Before an escape sequence, which starts with a byte nothing else holds; the piece's
            // shift state is that of the escapes before it.
            return at(p) == MyLibrary::kIso2022JpEscape && !blankByte(p - 1) &&
                   !afterFullWidthSpace(MyLibrary::kIso2022JpFullWidthSpace);
        case MyLibrary::Encoding::Utf16Le:
        case MyLibrary::Encoding::Utf16Be: {
            const char16_t before = layout_.UnitAt(bytes, p - 2);
            return !Blankwise::IsBlank(before) && !MyLibrary::IsHighSurrogate(before);
        }
    }
    return false;
}

// Code page 932 or EUC-JP text without such bytes (all kanji and kana, say): its characters are
// found from the start of the pending bytes, which is one, where a search from the end cannot tell
// a lead from a trail.
std::size_t PieceReader::ParseForCut(std::string_view bytes) {
    const bool eucJp = layout_.encoding == MyLibrary::Encoding::EucJp;
    const std::string_view fullWidth =
        eucJp ? MyLibrary::kEucJpFullWidthSpace : MyLibrary::kCp932FullWidthSpace;
    std::size_t cut = 0;
    std::size_t i = parsed_;
    while (true) {
        const auto first = static_cast<std::uint8_t>(bytes[i]);
        const std::size_t length = eucJp                               ? MyLibrary::EucJpCodeLength(first)
                                   : MyLibrary::IsCp932LeadByte(first) ? 2
                                                                       : 1;
        const std::size_t end = i + length;
        if (end >= bytes.size()) {
            break;
        }
        const bool blank =
            length > 1 ? bytes.substr(i, length) == fullWidth : first == kTab || first == kSpace;
        if (!blank) {
            cut = end;
        }
        i = end;
    }
    parsed_ = i;
    return cut;
}

// The display column after a piece that starts at column start: from its last break on, which
// starts the count afresh, and for stops every width columns from its last tab on, which ends at
// column 0 of those folded columns.
std::int32_t PieceReader::ColumnAtEnd(std::string_view bytes, std::int32_t start,
                                      MyLibrary::Iso2022JpState shiftState) const {
    const std::size_t unit = layout_.unitBytes;
    const std::int32_t width = settings_.tabStops.EveryWidth();
    std::size_t p = bytes.size() - bytes.size() % unit;
    while (p > 0) {
        const char16_t last = layout_.UnitAt(bytes, p - unit);
        if (IsBreak(last)) {
            if (p == bytes.size()) {
                return 0;
            }
            start = 0;
            break;
        }
        if (last == kTab && width > 0) {
            start = 0;
            break;
        }
        p -= unit;
    }
    if (width > 0 && layout_.encoding == MyLibrary::Encoding::Cp932 &&
        settings_.textPlatform->WidthIsMultiByteLength()) {
        // Each character of code page 932 is as wide as its code is long.
        const auto tabWidth = static_cast<std::size_t>(width);
        return static_cast<std::int32_t>(
            (static_cast<std::size_t>(start) % tabWidth + (bytes.size() - p) % tabWidth) % tabWidth);
    }
    std::u16string tail;
    if (layout_.encoding == MyLibrary::Encoding::Iso2022Jp) {
        bool recoded = false;
        shiftState = MyLibrary::Iso2022JpStateAfter(bytes.substr(0, p), shiftState);
        MyLibrary::DecodeIso2022Jp(bytes.substr(p), true, shiftState, tail, recoded);
    } else {
        MyLibrary::Decode(layout_.encoding, bytes.substr(p), true, tail);
    }
    return Blankwise::ColumnAfter(tail, start, settings_.tabStops, *settings_.textPlatform);
}

}  // namespace BlankwiseCli
