#include "CommandLine/Stream/PieceConverter.h"

#include <algorithm>
#include <array>
#include <exception>

#include "Blankwise/ConversionPipelines.h"
#include "Blankwise/InitialBlanks.h"
#include "CommandLine/Stream/StreamTypes.h"

namespace BlankwiseCli {
namespace {

// Lines without triggers closer than this many bytes to converted ones go through the pipeline
// with them: one call for a few short lines costs less than a call for each, and more than a few
// cost more to decode and encode than to check and copy.
constexpr std::size_t kJoinGap = 128;

// Lines joined into one call of the pipeline stop at this many bytes, so that the text, its
// conversion and their encodings stay in the processor's nearer caches.
constexpr std::size_t kRunBytes = std::size_t{1} << 14;

// The patterns of the units the conversion acts on: a line without any of them comes out of it
// unchanged.
BytePatterns TriggersOf(const UnitLayout& layout, int conversionId) {
    const std::array<char16_t, 3> units = Blankwise::UnitsActedOn(conversionId);
    return BytePatterns(layout, {units[0], units[1], units[2]});
}

void Append(Bytes& out, std::string_view bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

}  // namespace

PieceConverter::PieceConverter(int conversionId, MyLibrary::Encoding encoding, bool writes,
                               const StreamSettings& settings)
    : conversionId_(conversionId),
      tabStops_(settings.tabStops),
      platform_(*settings.textPlatform),
      initialOnly_(settings.initialOnly),
      layout_(encoding),
      triggers_(TriggersOf(layout_, conversionId)),
      breaks_(layout_, {Blankwise::kCr, Blankwise::kLf}),
      writes_(writes) {
    if (settings.bytePaths) {
        // A list of stops goes through the pipeline.
        byteConversion_ = ByteConversion::For(conversionId, encoding, settings.tabStops.EveryWidth(),
                                              settings.initialOnly, platform_);
    }
}

void PieceConverter::Convert(Piece& piece) {
    try {
        if (byteConversion_) {
            ConvertBytes(piece);
        } else {
            ConvertLines(piece);
        }
    } catch (...) {
        piece.failure = std::current_exception();
    }
}

// The end of the line that holds the unit at pos, after its break, or the end of bytes.
std::size_t PieceConverter::LineEnd(std::string_view bytes, std::size_t pos) const {
    const std::size_t found = breaks_.FindIn(bytes, pos);
    return found == std::string_view::npos ? bytes.size() : found + layout_.unitBytes;
}

// Lines that hold none of the trigger units' bytes are checked and copied; the others go
// through the pipeline, together with the short stretches between them.
void PieceConverter::ConvertLines(Piece& piece) {
    piece.output.clear();
    piece.changed = false;
    piece.invalid = false;
    piece.failure = nullptr;
    const std::string_view bytes = ViewOf(piece.input);
    MyLibrary::Iso2022JpState shiftState = piece.shiftState;
    std::size_t copied = 0;
    std::size_t next = triggers_.FindIn(bytes, 0);
    while (next != std::string_view::npos) {
        const std::size_t runStart = layout_.LineStart(bytes, next, copied);
        std::size_t runEnd = LineEnd(bytes, next);
        next = triggers_.FindIn(bytes, runEnd);
        while (next != std::string_view::npos && next - runEnd <= kJoinGap && runEnd - runStart < kRunBytes) {
            runEnd = LineEnd(bytes, next);
            next = triggers_.FindIn(bytes, runEnd);
        }
        if (!Copy(piece, copied, runStart, shiftState) || !ConvertRun(piece, runStart, runEnd, shiftState)) {
            return;
        }
        copied = runEnd;
    }
    Copy(piece, copied, bytes.size(), shiftState);
}

// The whole piece checked, then converted on its bytes. Before invalid bytes only the whole
// lines are converted and written. A piece with a character read from a code that Windows does
// not write for it goes through the pipeline, which writes changed lines with Windows' codes.
void PieceConverter::ConvertBytes(Piece& piece) {
    piece.output.clear();
    piece.invalid = false;
    piece.failure = nullptr;
    const std::string_view bytes = ViewOf(piece.input);
    bool recoded = false;
    const MyLibrary::DecodeResult checked = MyLibrary::Validate(layout_.encoding, bytes, true, recoded);
    if (recoded) {
        ConvertLines(piece);
        return;
    }
    const std::size_t end = checked.invalid ? layout_.LineStart(bytes, checked.consumed, 0) : bytes.size();
    piece.changed = byteConversion_->Convert(bytes.substr(0, end), piece.column, piece.startsMidLine,
                                             writes_ ? &piece.output : nullptr);
    if (checked.invalid) {
        piece.invalid = true;
        piece.invalidAt = checked.consumed;
    }
}

// Decodes bytes into out, or validates them where out is null; in ISO-2022-JP from shiftState,
// which is left as it is after them.
MyLibrary::DecodeResult PieceConverter::Read(std::string_view bytes, MyLibrary::Iso2022JpState& shiftState,
                                             std::u16string* out, bool& recoded) const {
    if (layout_.encoding == MyLibrary::Encoding::Iso2022Jp) {
        return out != nullptr ? MyLibrary::DecodeIso2022Jp(bytes, true, shiftState, *out, recoded)
                              : MyLibrary::ValidateIso2022Jp(bytes, true, shiftState, recoded);
    }
    return out != nullptr ? MyLibrary::Decode(layout_.encoding, bytes, true, *out, recoded)
                          : MyLibrary::Validate(layout_.encoding, bytes, true, recoded);
}

// Bytes the conversion leaves as they are, once they are known to be valid.
bool PieceConverter::Copy(Piece& piece, std::size_t from, std::size_t to,
                          MyLibrary::Iso2022JpState& shiftState) {
    const std::string_view bytes = ViewOf(piece.input).substr(from, to - from);
    bool recoded = false;
    const MyLibrary::DecodeResult checked = Read(bytes, shiftState, nullptr, recoded);
    if (writes_) {
        Append(piece.output, bytes.substr(0, checked.consumed));
    }
    if (checked.invalid) {
        piece.invalid = true;
        piece.invalidAt = from + checked.consumed;
        return false;
    }
    return true;
}

// Lines from from to to (whole lines, but for the piece's ends) through the pipeline. When
// the pipeline leaves them as they were, their bytes are copied.
bool PieceConverter::ConvertRun(Piece& piece, std::size_t from, std::size_t to,
                                MyLibrary::Iso2022JpState& shiftState) {
    const std::string_view bytes = ViewOf(piece.input).substr(from, to - from);
    const MyLibrary::Iso2022JpState start = shiftState;
    units_.clear();
    bool recoded = false;
    const MyLibrary::DecodeResult decoded = Read(bytes, shiftState, &units_, recoded);
    if (decoded.invalid) {
        piece.invalid = true;
        piece.invalidAt = from + decoded.consumed;
        return false;
    }
    const std::int32_t column = from == 0 ? piece.column : 0;
    converted_ = initialOnly_
                     ? Blankwise::ConvertInitialBlanks(conversionId_, units_, column,
                                                       from == 0 && piece.startsMidLine, tabStops_, platform_)
                     : Blankwise::ConvertSelection(conversionId_, units_, column, tabStops_, platform_);
    if (converted_ == units_) {
        if (writes_) {
            Append(piece.output, bytes);
        }
        return true;
    }
    piece.changed = true;
    if (writes_) {
        encoded_.clear();
        if (recoded || layout_.encoding == MyLibrary::Encoding::Iso2022Jp) {
            EncodeChangedLines(bytes, start, encoded_);
        } else {
            MyLibrary::Encode(layout_.encoding, converted_, encoded_);
        }
        Append(piece.output, encoded_);
    }
    return true;
}

// Some characters would come back as other bytes, or the bytes carry a shift state: the lines
// the pipeline left as they were keep theirs, and the others are written each from its own start
// state to its end state. Each break is one unit in the text and in its conversion, which no
// pipeline adds or removes, so the lines pair up in order.
void PieceConverter::EncodeChangedLines(std::string_view bytes, MyLibrary::Iso2022JpState shiftState,
                                        std::string& out) {
    const bool stateful = layout_.encoding == MyLibrary::Encoding::Iso2022Jp;
    const auto stateAfter = [&](std::string_view line, MyLibrary::Iso2022JpState start) {
        return stateful ? MyLibrary::Iso2022JpStateAfter(line, start) : start;
    };
    const std::u16string_view before = units_;
    const std::u16string_view after = converted_;
    const auto breaks = [](std::u16string_view text) {
        return std::count_if(text.begin(), text.end(), Blankwise::IsBreak);
    };
    if (breaks(before) != breaks(after)) {
        EncodeLine(after, shiftState, stateAfter(bytes, shiftState), out);
        return;
    }
    const auto lineEnd = [](std::u16string_view text, std::size_t pos) {
        while (pos < text.size() && !Blankwise::IsBreak(text[pos++])) {
        }
        return pos;
    };
    std::size_t b = 0;
    std::size_t a = 0;
    std::size_t r = 0;
    while (b < before.size() || a < after.size()) {
        const std::size_t bEnd = lineEnd(before, b);
        const std::size_t aEnd = lineEnd(after, a);
        const std::size_t rEnd = layout_.LineEndAfter(bytes, r);
        const std::string_view line = bytes.substr(r, rEnd - r);
        const MyLibrary::Iso2022JpState endState = stateAfter(line, shiftState);
        if (before.substr(b, bEnd - b) == after.substr(a, aEnd - a)) {
            out.append(line);
        } else {
            EncodeLine(after.substr(a, aEnd - a), shiftState, endState, out);
        }
        shiftState = endState;
        b = bEnd;
        a = aEnd;
        r = rEnd;
    }
}

// A changed line's bytes; in ISO-2022-JP from the state its bytes started in to the set they ended in.
void PieceConverter::EncodeLine(std::u16string_view units, MyLibrary::Iso2022JpState start,
                                MyLibrary::Iso2022JpState end, std::string& out) const {
    if (layout_.encoding == MyLibrary::Encoding::Iso2022Jp) {
        MyLibrary::EncodeIso2022Jp(units, start, end, out);
    } else {
        MyLibrary::Encode(layout_.encoding, units, out);
    }
}

}  // namespace BlankwiseCli
