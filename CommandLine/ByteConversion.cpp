#include "CommandLine/ByteConversion.h"

#include "Blankwise/ConversionPipelines.h"
#include "CommandLine/UnitLayout.h"
#include "MyLibrary/StringUnit/TextPlatform.h"
#include "MyLibrary/StringUnit/VectorPaths.h"

namespace BlankwiseCli {
namespace {

constexpr int kSpacesToTabs = 5;
constexpr int kTabsToSpaces = 6;
constexpr std::uint8_t kTabByte = 0x09;
constexpr std::uint8_t kSpaceByte = 0x20;

bool IsBreakByte(std::uint8_t byte) {
    return byte == 0x0A || byte == 0x0D;
}

// The offset after the last break in [from, to), or from when there is none.
std::size_t AfterLastBreak(const std::uint8_t* bytes, std::size_t from, std::size_t to) {
    for (std::size_t p = to; p > from; --p) {
        if (IsBreakByte(bytes[p - 1])) {
            return p;
        }
    }
    return from;
}

void Append(std::string* out, std::string_view text, std::size_t from, std::size_t to) {
    if (out != nullptr) {
        out->append(text.data() + from, to - from);
    }
}

}  // namespace

std::optional<ByteConversion> ByteConversion::For(int conversionId, MyLibrary::Encoding encoding,
                                                  std::int32_t tabWidth, bool initialOnly) {
    const MyLibrary::TextPlatform& platform = MyLibrary::CurrentTextPlatform();
    const bool utf8 = encoding == MyLibrary::Encoding::Utf8;
    if ((conversionId != kSpacesToTabs && conversionId != kTabsToSpaces) || tabWidth < 1 ||
        !(utf8 || encoding == MyLibrary::Encoding::Cp932) || !platform.WidthIsMultiByteLength() ||
        (utf8 && platform.DoubleByteFlags() == nullptr)) {
        return std::nullopt;
    }
    return ByteConversion(conversionId == kSpacesToTabs, encoding, static_cast<std::size_t>(tabWidth),
                          initialOnly, platform.DoubleByteFlags());
}

ByteConversion::ByteConversion(bool compress, MyLibrary::Encoding encoding, std::size_t tabWidth,
                               bool initialOnly, const std::uint8_t* doubleByteFlags)
    : compress_(compress),
      utf8_(encoding == MyLibrary::Encoding::Utf8),
      stop_(tabWidth),
      initialOnly_(initialOnly),
      doubleByteFlags_(doubleByteFlags),
      triggers_(UnitLayout(encoding), {kTab, compress ? kSpace : Blankwise::kNoUnit}),
      breaks_(UnitLayout(encoding), {kCr, kLf}) {}

bool ByteConversion::Convert(std::string_view text, std::int32_t column, bool startsMidLine,
                             std::string* out) const {
    const std::size_t start = column > 0 ? static_cast<std::size_t>(column) % stop_ : 0;
    return initialOnly_ ? ConvertInitialBlanks(text, start, startsMidLine, out)
                        : ConvertRange(text, start, out);
}

// Walks from one tab (or space, when compressing) to the next; the characters between them only
// move the column, which is measured from the last break before the tab.
bool ByteConversion::ConvertRange(std::string_view text, std::size_t column, std::string* out) const {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    bool changed = false;
    std::size_t copied = 0;         // text before this is written
    std::size_t measuredTo = 0;     // column is the column at this offset
    std::size_t pendingSpaces = 0;  // spaces right before measuredTo since the last stop, unwritten
    for (std::size_t at = triggers_.FindIn(text, 0); at != std::string_view::npos;
         at = triggers_.FindIn(text, at + 1)) {
        if (at != measuredTo) {
            const std::size_t lineStart = AfterLastBreak(bytes, measuredTo, at);
            if (lineStart != measuredTo) {
                column = 0;
            }
            column = (column + Columns(bytes + lineStart, bytes + at)) % stop_;
            pendingSpaces = 0;
        }
        measuredTo = at + 1;
        if (bytes[at] == kSpaceByte) {
            column = (column + 1) % stop_;
            if (column != 0) {
                ++pendingSpaces;
                continue;
            }
        } else if (!compress_) {
            // A tab to the spaces up to the next stop.
            Append(out, text, copied, at);
            if (out != nullptr) {
                out->append(stop_ - column, ' ');
            }
            copied = at + 1;
            column = 0;
            changed = true;
            continue;
        }
        // A space that reaches a stop, or a tab (spaces up to the next stop once expanded): one
        // tab for them and the spaces before them since the last stop.
        changed = changed || bytes[at] == kSpaceByte || pendingSpaces > 0;
        Append(out, text, copied, at - pendingSpaces);
        if (out != nullptr) {
            out->push_back('\t');
        }
        copied = at + 1;
        column = 0;
        pendingSpaces = 0;
    }
    Append(out, text, copied, text.size());
    return changed;
}

// Each line's leading blanks converted on their own, the rest of the line copied.
bool ByteConversion::ConvertInitialBlanks(std::string_view text, std::size_t column, bool startsMidLine,
                                          std::string* out) const {
    bool changed = false;
    std::size_t pos = 0;
    bool first = true;
    while (pos < text.size()) {
        const std::size_t found = breaks_.FindIn(text, pos);
        const std::size_t lineEnd = found == std::string_view::npos ? text.size() : found + 1;
        const std::size_t blanksEnd = first && startsMidLine ? pos : BlanksEnd(text, pos);
        if (blanksEnd > pos) {
            changed = ConvertRange(text.substr(pos, blanksEnd - pos), first ? column : 0, out) || changed;
        }
        Append(out, text, blanksEnd, lineEnd);
        first = false;
        pos = lineEnd;
    }
    return changed;
}

// The end of the spaces, tabs and full-width spaces from pos on.
std::size_t ByteConversion::BlanksEnd(std::string_view text, std::size_t pos) const {
    const auto at = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    const std::string_view fullWidthSpace =
        utf8_ ? std::string_view("\xE3\x80\x80", 3) : std::string_view("\x81\x40", 2);
    while (pos < text.size()) {
        if (at(pos) == kSpaceByte || at(pos) == kTabByte) {
            ++pos;
        } else if (text.substr(pos, fullWidthSpace.size()) == fullWidthSpace) {
            pos += fullWidthSpace.size();
        } else {
            break;
        }
    }
    return pos;
}

// The display columns of the characters in [from, to), which holds no tab and no break.
std::size_t ByteConversion::Columns(const std::uint8_t* from, const std::uint8_t* to) const {
    if (!utf8_) {
        return static_cast<std::size_t>(to - from);
    }
    std::size_t columns = 0;
    const std::uint8_t* p = from;
    while (p != to) {
#if BLANKWISE_HAS_SSE2
        // Sixteen ASCII characters at a time.
        while (to - p >= 16 && _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))) == 0) {
            p += 16;
            columns += 16;
        }
        if (p == to) {
            break;
        }
#endif
        const std::uint8_t lead = *p;
        if (lead < 0x80) {
            ++columns;
            ++p;
        } else if (lead < 0xE0) {
            const auto unit = static_cast<char16_t>((lead & 0x1F) << 6 | (p[1] & 0x3F));
            columns += 1u + doubleByteFlags_[unit];
            p += 2;
        } else if (lead < 0xF0) {
            const auto unit = static_cast<char16_t>((lead & 0x0F) << 12 | (p[1] & 0x3F) << 6 | (p[2] & 0x3F));
            columns += 1u + doubleByteFlags_[unit];
            p += 3;
        } else {
            const std::uint32_t scalar =
                (lead & 0x07u) << 18 | (p[1] & 0x3Fu) << 12 | (p[2] & 0x3Fu) << 6 | (p[3] & 0x3Fu);
            const auto high = static_cast<char16_t>(0xD800 + ((scalar - 0x10000) >> 10));
            const auto low = static_cast<char16_t>(0xDC00 + (scalar & 0x3FF));
            columns += 2u + doubleByteFlags_[high] + doubleByteFlags_[low];
            p += 4;
        }
    }
    return columns;
}

}  // namespace BlankwiseCli
