#include "StreamConversion.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "Blankwise/ConversionPipelines.h"
#include "MyLibrary/StringUnit/TextPlatform.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace BlankwiseCli {
namespace {

constexpr char16_t kTab = u'\t';
constexpr char16_t kSpace = u' ';
constexpr char16_t kFullWidthSpace = u'\u3000';
constexpr char16_t kCr = u'\r';
constexpr char16_t kLf = u'\n';

// Lines without triggers closer than this to converted ones go through the pipeline with them: one
// call for many short lines costs less than a call for each.
constexpr std::size_t kJoinGap = 512;

// Every pipeline works on runs of blanks and on columns, and no pipeline looks across a line
// break (CR and LF each end a line, so even a CR LF may be parted). A piece may therefore end
// after a break, or after a character that ends no run of blanks (a blank's neighbour decides how
// runs pair up, merge or fold into a tab) and splits no surrogate pair.
bool CanCutAt(std::u16string_view text, std::size_t cut) {
    const char16_t before = text[cut - 1];
    const bool highSurrogate = before >= 0xD800 && before <= 0xDBFF;
    return before != kSpace && before != kTab && before != kFullWidthSpace && !highSurrogate;
}

// Fills buffer from source until it is full or the source ends; atEnd tells which.
std::size_t Fill(ByteSource& source, char* buffer, std::size_t size, bool& atEnd) {
    std::size_t filled = 0;
    while (filled < size) {
        const std::size_t got = source.Read(buffer + filled, size - filled);
        if (got == 0) {
            atEnd = true;
            break;
        }
        filled += got;
    }
    return filled;
}

bool IsBreak(char16_t unit) {
    return unit == kCr || unit == kLf;
}

// The start of the line that holds text[pos]: just after the break before it, or 0.
std::size_t LineStart(std::u16string_view text, std::size_t pos) {
    while (pos > 0 && !IsBreak(text[pos - 1])) {
        --pos;
    }
    return pos;
}

// The end of the line that holds text[pos], after its break (a CR LF is one), or the text's end.
std::size_t LineEnd(std::u16string_view text, std::size_t pos) {
    const std::size_t size = text.size();
    while (pos < size && !IsBreak(text[pos])) {
        ++pos;
    }
    if (pos == size) {
        return size;
    }
    const bool crLf = text[pos] == kCr && pos + 1 < size && text[pos + 1] == kLf;
    return pos + (crLf ? 2 : 1);
}

}  // namespace

// Each pipeline acts on blanks only, and on no more kinds than these: a text without them comes
// out of it unchanged, so it need not go through it.
TriggerUnits TriggersOf(int conversionId) {
    constexpr char16_t kNone = TriggerUnits::kNone;
    switch (conversionId) {
        case 6:   // tabs to spaces
        case 8:   // a tab to a space
        case 14:  // delete tabs
            return {{kTab, kNone, kNone}};
        case 1:   // two spaces to a full-width space
        case 2:   // a space to a full-width space
        case 7:   // a run of spaces to a tab
        case 12:  // delete spaces
            return {{kSpace, kNone, kNone}};
        case 3:   // a full-width space to two spaces
        case 4:   // a full-width space to a space
        case 13:  // delete full-width spaces
            return {{kFullWidthSpace, kNone, kNone}};
        case 5:  // expand, then compress spaces
            return {{kTab, kSpace, kNone}};
        case 9:  // full-width spaces to two spaces, then expand
            return {{kFullWidthSpace, kTab, kNone}};
        default:
            return {{kSpace, kTab, kFullWidthSpace}};
    }
}

std::size_t TriggerUnits::FindIn(std::u16string_view text, std::size_t from) const {
    const char16_t* const begin = text.data();
    const char16_t* const end = begin + text.size();
    const char16_t* p = begin + std::min(from, text.size());
#if defined(__SSE2__)
    const __m128i first = _mm_set1_epi16(static_cast<short>(units[0]));
    const __m128i second = _mm_set1_epi16(static_cast<short>(units[1]));
    const __m128i third = _mm_set1_epi16(static_cast<short>(units[2]));
    for (; end - p >= 8; p += 8) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i hits =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(block, first), _mm_cmpeq_epi16(block, second)),
                         _mm_cmpeq_epi16(block, third));
        const auto mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
        if (mask != 0) {
            return static_cast<std::size_t>(p - begin) + static_cast<std::size_t>(std::countr_zero(mask)) / 2;
        }
    }
#endif
    for (; p != end; ++p) {
        if (*p == units[0] || *p == units[1] || *p == units[2]) {
            return static_cast<std::size_t>(p - begin);
        }
    }
    return std::u16string_view::npos;
}

std::int32_t ColumnAfter(std::u16string_view text, std::int32_t startColumn) {
    // A tab ends on a stop, so only the characters after the last one add to it.
    const std::size_t lastTab = text.rfind(kTab);
    const std::u16string_view tail = lastTab == std::u16string_view::npos ? text : text.substr(lastTab + 1);
    const std::size_t start =
        lastTab == std::u16string_view::npos && startColumn > 0 ? static_cast<std::size_t>(startColumn) : 0;
    const std::size_t width = MyLibrary::CurrentTextPlatform().MultiByteLength(tail);
    return static_cast<std::int32_t>((start % Blankwise::kTabWidth + width % Blankwise::kTabWidth) %
                                     Blankwise::kTabWidth);
}

LineStreamConverter::LineStreamConverter(int conversionId, std::int32_t startColumn, std::size_t chunkUnits)
    : conversionId_(conversionId),
      triggers_(TriggersOf(conversionId)),
      column_(startColumn),
      chunkUnits_(std::max<std::size_t>(chunkUnits, 1)) {}

// The last place to cut, looking only at the units that came since the last search: the ones
// before held none.
std::size_t LineStreamConverter::FindCut(bool atEnd) {
    if (atEnd) {
        return pending_.size();
    }
    if (pending_.size() < chunkUnits_) {
        return 0;
    }
    const std::size_t lowest = scanned_ + 1;
    for (std::size_t cut = pending_.size(); cut >= lowest; --cut) {
        if (CanCutAt(pending_, cut)) {
            return cut;
        }
    }
    scanned_ = pending_.size();
    return 0;
}

void LineStreamConverter::Convert(bool atEnd, std::u16string& out) {
    const std::size_t cut = FindCut(atEnd);
    if (cut == 0) {
        return;
    }
    const std::u16string_view piece(pending_.data(), cut);
    ConvertLines(piece, out);
    const std::size_t lastBreak = piece.find_last_of(u"\r\n");
    column_ = lastBreak == std::u16string_view::npos ? ColumnAfter(piece, column_)
                                                     : ColumnAfter(piece.substr(lastBreak + 1), 0);
    pending_.erase(0, cut);
    scanned_ = pending_.size();
}

// Lines that hold none of the units the conversion acts on come out as they are; the others go
// through the pipeline, together with the short stretches between them. The piece's first line
// starts at column_, the others at 0.
void LineStreamConverter::ConvertLines(std::u16string_view piece, std::u16string& out) {
    std::size_t copied = 0;
    std::size_t next = triggers_.FindIn(piece, 0);
    while (next != std::u16string_view::npos) {
        const std::size_t runStart = LineStart(piece, next);
        std::size_t runEnd = LineEnd(piece, next);
        next = triggers_.FindIn(piece, runEnd);
        while (next != std::u16string_view::npos && LineStart(piece, next) <= runEnd + kJoinGap) {
            runEnd = LineEnd(piece, next);
            next = triggers_.FindIn(piece, runEnd);
        }
        out.append(piece.substr(copied, runStart - copied));
        const std::u16string_view run = piece.substr(runStart, runEnd - runStart);
        const std::u16string converted =
            Blankwise::ConvertSelection(conversionId_, run, runStart == 0 ? column_ : 0);
        changed_ = changed_ || converted != run;
        out.append(converted);
        copied = runEnd;
    }
    out.append(piece.substr(copied));
}

StreamOutcome ConvertStream(ByteSource& source, ByteSink* sink, const StreamSettings& settings) {
    StreamOutcome outcome;
    outcome.encoding = settings.encoding;
    LineStreamConverter converter(settings.conversionId, settings.startColumn, settings.chunkUnits);
    // Room for a byte order mark in the first fill, and for progress past a held incomplete sequence.
    std::string buffer(std::max<std::size_t>(settings.readSize, 8), '\0');
    std::u16string converted;
    std::string encoded;
    std::uint64_t offset = 0;  // of buffer[0] in the input
    std::size_t held = 0;      // bytes of an incomplete sequence kept at the start of buffer
    bool atEnd = false;
    bool first = true;
    while (true) {
        const std::size_t filled = held + Fill(source, buffer.data() + held, buffer.size() - held, atEnd);
        std::string_view bytes(buffer.data(), filled);
        if (first) {
            first = false;
            const auto marked =
                outcome.encoding == Encoding::Cp932 ? std::nullopt : EncodingOfByteOrderMark(bytes);
            if (marked) {
                outcome.encoding = *marked;
                const std::string_view mark = ByteOrderMark(*marked);
                if (sink != nullptr) {
                    sink->Write(mark, true);
                }
                bytes.remove_prefix(mark.size());
            }
        }
        const DecodeResult decoded = Decode(outcome.encoding, bytes, atEnd, converter.Pending());
        const std::size_t decodedEnd =
            static_cast<std::size_t>(bytes.data() - buffer.data()) + decoded.consumed;
        if (decoded.invalid) {
            outcome.invalid = true;
            outcome.errorOffset = offset + decodedEnd;
            outcome.changed = converter.Changed();
            return outcome;
        }
        converted.clear();
        converter.Convert(atEnd, converted);
        if (sink != nullptr && !converted.empty()) {
            encoded.clear();
            Encode(outcome.encoding, converted, encoded);
            sink->Write(encoded, !converter.Changed());
        }
        if (atEnd) {
            break;
        }
        held = filled - decodedEnd;
        std::memmove(buffer.data(), buffer.data() + decodedEnd, held);
        offset += decodedEnd;
    }
    outcome.changed = converter.Changed();
    return outcome;
}

}  // namespace BlankwiseCli
