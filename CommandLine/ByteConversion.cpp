#include "CommandLine/ByteConversion.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <iterator>

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

[[maybe_unused]] bool IsBreakByte(std::uint8_t byte) {
    return byte == 0x0A || byte == 0x0D;
}

void Append(std::string* out, std::string_view text, std::size_t from, std::size_t to) {
    if (out != nullptr) {
        out->append(text.data() + from, to - from);
    }
}

// Writes into a string sized ahead, so that short copies and runs of spaces are stores of a fixed
// size; Finish trims it to what was written.
class Output {
  public:
    static constexpr std::size_t kStore = 16;

    Output(std::string& out, std::string_view text) : out_(out), text_(text), written_(out.size()) {}

    // Room for extra more bytes and a fixed-size store beyond them.
    void Reserve(std::size_t extra) {
        if (out_.size() - written_ < extra + kStore) {
            out_.resize(std::max(out_.size() * 2, written_ + extra + kStore + 4096));
        }
    }
    void Copy(std::size_t from, std::size_t to) {
        const std::size_t count = to - from;
        char* const write = out_.data() + written_;
        if (count <= kStore && from + kStore <= text_.size()) {
            std::memcpy(write, text_.data() + from, kStore);
        } else {
            std::memcpy(write, text_.data() + from, count);
        }
        written_ += count;
    }
    void Spaces(std::size_t count) {
        std::memset(out_.data() + written_, ' ', count <= kStore ? kStore : count);
        written_ += count;
    }
    void Tab() { out_[written_++] = '\t'; }
    void Finish() { out_.resize(written_); }

  private:
    std::string& out_;
    std::string_view text_;
    std::size_t written_;
};

// Bit k of each mask set where byte k of the 64 at p is a trigger (a tab, or a space when
// compressing) or a break.
struct BlockMasks {
    std::uint64_t triggers = 0;
    std::uint64_t breaks = 0;
};

BlockMasks MasksOf(const std::uint8_t* p, bool compress) {
    BlockMasks masks;
#if BLANKWISE_HAS_SSE2
    const __m128i tab = _mm_set1_epi8(static_cast<char>(kTabByte));
    const __m128i space =
        _mm_set1_epi8(compress ? static_cast<char>(kSpaceByte) : static_cast<char>(kTabByte));
    const __m128i lf = _mm_set1_epi8(0x0A);
    const __m128i cr = _mm_set1_epi8(0x0D);
    for (unsigned k = 0; k < 4; ++k) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
        const auto triggers = static_cast<std::uint32_t>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(block, tab), _mm_cmpeq_epi8(block, space))));
        const auto breaks = static_cast<std::uint32_t>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(block, lf), _mm_cmpeq_epi8(block, cr))));
        masks.triggers |= std::uint64_t{triggers} << (16 * k);
        masks.breaks |= std::uint64_t{breaks} << (16 * k);
    }
#else
    for (unsigned k = 0; k < 64; ++k) {
        masks.triggers |= std::uint64_t{p[k] == kTabByte || (compress && p[k] == kSpaceByte)} << k;
        masks.breaks |= std::uint64_t{IsBreakByte(p[k])} << k;
    }
#endif
    return masks;
}

}  // namespace

std::optional<ByteConversion> ByteConversion::For(int conversionId, MyLibrary::Encoding encoding,
                                                  std::int32_t tabWidth, bool initialOnly) {
    const MyLibrary::TextPlatform& platform = MyLibrary::CurrentTextPlatform();
    const bool utf8 = encoding == MyLibrary::Encoding::Utf8;
    // Code page 932 bytes are as wide as they are long only with its own widths; UTF-8 is measured
    // by character, from the code page 932 lengths or from the per-unit columns of Unicode widths.
    const bool measurable = utf8
                                ? platform.DoubleByteFlags() != nullptr || platform.UnitColumns() != nullptr
                                : encoding == MyLibrary::Encoding::Cp932 && platform.WidthIsMultiByteLength();
    if ((conversionId != kSpacesToTabs && conversionId != kTabsToSpaces) || tabWidth < 1 || !measurable) {
        return std::nullopt;
    }
    return ByteConversion(conversionId == kSpacesToTabs, encoding, static_cast<std::size_t>(tabWidth),
                          initialOnly, platform);
}

ByteConversion::ByteConversion(bool compress, MyLibrary::Encoding encoding, std::size_t tabWidth,
                               bool initialOnly, const MyLibrary::TextPlatform& platform)
    : compress_(compress),
      utf8_(encoding == MyLibrary::Encoding::Utf8),
      stop_(tabWidth),
      wrapMask_(std::has_single_bit(tabWidth) ? tabWidth - 1 : 0),
      initialOnly_(initialOnly),
      platform_(&platform),
      doubleByteFlags_(platform.DoubleByteFlags()),
      unitColumns_(doubleByteFlags_ == nullptr ? platform.UnitColumns() : nullptr),
      breaks_(UnitLayout(encoding), {kCr, kLf}) {}

bool ByteConversion::Convert(std::string_view text, std::int32_t column, bool startsMidLine,
                             std::string* out) const {
    const std::size_t start = column > 0 ? static_cast<std::size_t>(column) % stop_ : 0;
    return initialOnly_ ? ConvertInitialBlanks(text, start, startsMidLine, out)
                        : ConvertRange(text, start, out);
}

// Walks from one tab (or space, when compressing) to the next, 64 bytes a step; the characters
// between them only move the column, which is measured from the last break before the tab.
bool ByteConversion::ConvertRange(std::string_view text, std::size_t column, std::string* out) const {
    return compress_ ? ConvertRangeAs<true>(text, column, out) : ConvertRangeAs<false>(text, column, out);
}

// One loop for each conversion, so that the one at hand takes no branch for the other.
template <bool kCompress>
bool ByteConversion::ConvertRangeAs(std::string_view text, std::size_t column, std::string* out) const {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    bool changed = false;
    std::size_t copied = 0;         // text before this is written
    std::size_t measuredTo = 0;     // column is the column at this offset
    std::size_t pendingSpaces = 0;  // spaces right before measuredTo since the last stop, unwritten
    std::size_t lineStart = 0;      // after the last break before the block
    std::uint8_t tail[64];
    if (out == nullptr) {
        scratch_.clear();
    }
    Output write(out != nullptr ? *out : scratch_, text);
    for (std::size_t block = 0; block < text.size(); block += 64) {
        // What is left of the block, and a tab's spaces for each of its bytes.
        write.Reserve(block + 64 - copied + (kCompress ? 0 : 64 * stop_));
        const std::uint8_t* at64 = bytes + block;
        if (text.size() - block < 64) {
            // Zero bytes are neither triggers nor breaks.
            std::fill(std::begin(tail), std::end(tail), std::uint8_t{0});
            std::copy(bytes + block, bytes + text.size(), tail);
            at64 = tail;
        }
        const BlockMasks masks = MasksOf(at64, kCompress);
        for (std::uint64_t rest = masks.triggers; rest != 0; rest &= rest - 1) {
            const auto bit = static_cast<unsigned>(std::countr_zero(rest));
            const std::size_t at = block + bit;
            const std::uint64_t breaksBefore = masks.breaks & ((std::uint64_t{1} << bit) - 1);
            const std::size_t start =
                breaksBefore != 0 ? block + 64 - static_cast<std::size_t>(std::countl_zero(breaksBefore))
                                  : lineStart;
            if (start > measuredTo) {
                column = Wrap(Columns(bytes + start, bytes + at));
                pendingSpaces = 0;
            } else if (at != measuredTo) {
                column = Wrap(column + Columns(bytes + measuredTo, bytes + at));
                pendingSpaces = 0;
            }
            measuredTo = at + 1;
            if (kCompress && bytes[at] == kSpaceByte) {
                column = column + 1 == stop_ ? 0 : column + 1;
                if (column != 0) {
                    ++pendingSpaces;
                    continue;
                }
            } else if (!kCompress) {
                // A tab to the spaces up to the next stop.
                write.Copy(copied, at);
                write.Spaces(stop_ - column);
                copied = at + 1;
                column = 0;
                changed = true;
                continue;
            }
            // A space that reaches a stop, or a tab (spaces up to the next stop once expanded):
            // one tab for them and the spaces before them since the last stop.
            changed = changed || bytes[at] == kSpaceByte || pendingSpaces > 0;
            write.Copy(copied, at - pendingSpaces);
            write.Tab();
            copied = at + 1;
            column = 0;
            pendingSpaces = 0;
        }
        if (masks.breaks != 0) {
            lineStart = block + 64 - static_cast<std::size_t>(std::countl_zero(masks.breaks));
        }
    }
    write.Reserve(text.size() - copied);
    write.Copy(copied, text.size());
    write.Finish();
    return changed;
}

// columns modulo the tab width; a mask where the width is a power of two, as it mostly is, since
// a division costs more than the rest of a short stretch between two blanks.
std::size_t ByteConversion::Wrap(std::size_t columns) const {
    return wrapMask_ != 0 ? columns & wrapMask_ : columns % stop_;
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
// The columns of a character of the Basic Multilingual Plane (no surrogate in valid UTF-8).
std::size_t ByteConversion::UnitWidth(char16_t unit) const {
    return doubleByteFlags_ != nullptr ? 1u + doubleByteFlags_[unit] : unitColumns_[unit];
}

std::size_t ByteConversion::Columns(const std::uint8_t* from, const std::uint8_t* to) const {
    if (!utf8_) {
        return static_cast<std::size_t>(to - from);
    }
    std::size_t columns = 0;
    const std::uint8_t* p = from;
    while (p != to) {
        const std::uint8_t lead = *p;
        if (lead < 0x80) {
            ++columns;
            ++p;
#if BLANKWISE_HAS_SSE2
            // After an ASCII character, sixteen more at a time.
            while (to - p >= 16 &&
                   _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))) == 0) {
                p += 16;
                columns += 16;
            }
#endif
        } else if (lead < 0xE0) {
            const auto unit = static_cast<char16_t>((lead & 0x1F) << 6 | (p[1] & 0x3F));
            columns += UnitWidth(unit);
            p += 2;
        } else if (lead < 0xF0) {
            const auto unit = static_cast<char16_t>((lead & 0x0F) << 12 | (p[1] & 0x3F) << 6 | (p[2] & 0x3F));
            columns += UnitWidth(unit);
            p += 3;
        } else {
            const std::uint32_t scalar =
                (lead & 0x07u) << 18 | (p[1] & 0x3Fu) << 12 | (p[2] & 0x3Fu) << 6 | (p[3] & 0x3Fu);
            const char16_t pair[2] = {static_cast<char16_t>(0xD800 + ((scalar - 0x10000) >> 10)),
                                      static_cast<char16_t>(0xDC00 + (scalar & 0x3FF))};
            // A pair is one character to Unicode widths, two units of code page 932 lengths.
            columns += doubleByteFlags_ != nullptr
                           ? 2u + doubleByteFlags_[pair[0]] + doubleByteFlags_[pair[1]]
                           : platform_->DisplayWidth(std::u16string_view(pair, 2));
            p += 4;
        }
    }
    return columns;
}

}  // namespace BlankwiseCli
