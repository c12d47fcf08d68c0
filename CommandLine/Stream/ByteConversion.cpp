#include "CommandLine/Stream/ByteConversion.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <iterator>

#include "Blankwise/ConversionPipelines.h"
#include "CommandLine/Stream/UnitLayout.h"
#include "CommandLine/Stream/Utf8Widths.h"
#include "MyLibrary/Encoding/Cp932Facts.h"
#include "MyLibrary/Encoding/Utf8Facts.h"
#include "MyLibrary/StringUnit/TextPlatform.h"
#include "MyLibrary/StringUnit/VectorPaths.h"

namespace BlankwiseCli {
namespace {

using MyLibrary::BitsBetween;
using MyLibrary::CountBits;

constexpr int kSpacesToTabs = 5;
constexpr int kTabsToSpaces = 6;
// The tab and the space are these single bytes in UTF-8 and code page 932, as are the breaks.
constexpr auto kTabByte = static_cast<std::uint8_t>(Blankwise::kTab);
constexpr auto kSpaceByte = static_cast<std::uint8_t>(Blankwise::kSpace);
constexpr std::int32_t kWidestByteTab = 1000;

void Append(Bytes* out, std::string_view text, std::size_t from, std::size_t to) {
    if (out != nullptr) {
        out->insert(out->end(), text.data() + from, text.data() + to);
    }
}

// Writes into a buffer sized ahead (without a zero fill), so that short copies and runs of spaces
// are stores of a fixed size; Finish trims it to what was written. It keeps its own pointers,
// which the bytes it stores cannot alias, so that they stay in registers.
class Output {
  public:
    static constexpr std::size_t kStore = 64;

    Output(Bytes& out, std::string_view text)
        : out_(out), text_(text.data()), textSize_(text.size()), written_(out.size()) {
        Point();
    }

    // Room for extra more bytes and a fixed-size store beyond them.
    void Reserve(std::size_t extra) {
        if (static_cast<std::size_t>(end_ - write_) < extra + kStore) {
            // All the room the buffer has, or twice that once it is too small.
            written_ = static_cast<std::size_t>(write_ - out_.data());
            const std::size_t needed = written_ + extra + kStore;
            out_.resize(std::max(needed, needed <= out_.capacity() ? out_.capacity() : 2 * out_.capacity()));
            Point();
        }
    }
    void Copy(std::size_t from, std::size_t to) {
        const std::size_t count = to - from;
        if (count <= kStore && from + kStore <= textSize_) {
            std::memcpy(write_, text_ + from, kStore);
        } else {
            std::memcpy(write_, text_ + from, count);
        }
        write_ += count;
    }
    void Spaces(std::size_t count) {
        if (count <= kStore) {
            std::memset(write_, ' ', kStore);
        } else {
            std::memset(write_, ' ', count);
        }
        write_ += count;
    }
    void Tab() { *write_++ = '\t'; }
    void Finish() { out_.resize(static_cast<std::size_t>(write_ - out_.data())); }

  private:
    void Point() {
        write_ = out_.data() + written_;
        end_ = out_.data() + out_.size();
    }

    Bytes& out_;
    const char* text_;
    std::size_t textSize_;
    std::size_t written_;  // where write_ was when it was last pointed
    char* write_ = nullptr;
    char* end_ = nullptr;
};

// Bit k of each mask set where byte k of the 64 at p is a trigger (a tab, or a space when
// compressing) or a break.
struct BlockMasks {
    std::uint64_t triggers = 0;
    std::uint64_t breaks = 0;
};

template <bool kSse2>
BlockMasks MasksOf(const std::uint8_t* p, bool compress) {
    BlockMasks masks;
#if BLANKWISE_HAS_SSE2
    if constexpr (kSse2) {
        const __m128i tab = _mm_set1_epi8(static_cast<char>(kTabByte));
        const __m128i space =
            _mm_set1_epi8(compress ? static_cast<char>(kSpaceByte) : static_cast<char>(kTabByte));
        const __m128i lf = _mm_set1_epi8(static_cast<char>(Blankwise::kLf));
        const __m128i cr = _mm_set1_epi8(static_cast<char>(Blankwise::kCr));
        for (unsigned k = 0; k < 4; ++k) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
            const auto triggers = static_cast<std::uint32_t>(
                _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(block, tab), _mm_cmpeq_epi8(block, space))));
            const auto breaks = static_cast<std::uint32_t>(
                _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(block, lf), _mm_cmpeq_epi8(block, cr))));
            masks.triggers |= std::uint64_t{triggers} << (16 * k);
            masks.breaks |= std::uint64_t{breaks} << (16 * k);
        }
        return masks;
    }
#endif
    for (unsigned k = 0; k < 64; ++k) {
        masks.triggers |= std::uint64_t{p[k] == kTabByte || (compress && p[k] == kSpaceByte)} << k;
        masks.breaks |= std::uint64_t{Blankwise::IsBreak(p[k])} << k;
    }
    return masks;
}

// The end of the spaces, tabs and full-width spaces from pos on, in UTF-8 or code page 932. Called
// for each line with --initial, once: inlined there.
std::size_t BlanksEnd(std::string_view text, std::size_t pos, bool utf8) {
    // A full-width space of two or three bytes, compared byte by byte, since most lines start with
    // none and a call to compare would cost more than the rest.
    const std::string_view fullWidth =
        utf8 ? MyLibrary::kUtf8FullWidthSpace : MyLibrary::kCp932FullWidthSpace;
    while (pos < text.size()) {
        const char byte = text[pos];
        if (byte == kSpaceByte || byte == kTabByte) {
            ++pos;
        } else if (byte == fullWidth[0] && text.size() - pos >= fullWidth.size() &&
                   text[pos + 1] == fullWidth[1] && (fullWidth.size() < 3 || text[pos + 2] == fullWidth[2])) {
            pos += fullWidth.size();
        } else {
            break;
        }
    }
    return pos;
}

}  // namespace

std::optional<ByteConversion> ByteConversion::For(int conversionId, MyLibrary::Encoding encoding,
                                                  std::int32_t tabWidth, bool initialOnly,
                                                  const MyLibrary::TextPlatform& platform) {
    const bool utf8 = encoding == MyLibrary::Encoding::Utf8;
    // Code page 932 bytes are as wide as they are long only with its own widths; UTF-8 is measured
    // by character, from the code page 932 lengths or from the per-unit columns of Unicode widths.
    const bool measurable = utf8
                                ? Utf8Widths::Available(platform)
                                : encoding == MyLibrary::Encoding::Cp932 && platform.WidthIsMultiByteLength();
    // The loops make room for a tab's spaces for every byte of a block: wider stops go through
    // the pipeline, as do lists of stops (no width).
    if ((conversionId != kSpacesToTabs && conversionId != kTabsToSpaces) || tabWidth < 1 ||
        tabWidth > kWidestByteTab || !measurable) {
        return std::nullopt;
    }
    return ByteConversion(conversionId == kSpacesToTabs, encoding, static_cast<std::size_t>(tabWidth),
                          initialOnly, platform);
}

ByteConversion::ByteConversion(bool compress, MyLibrary::Encoding encoding, std::size_t tabWidth,
                               bool initialOnly, const MyLibrary::TextPlatform& platform)
    : convertRange_(
          LoopFor(compress, encoding == MyLibrary::Encoding::Utf8, MyLibrary::ActiveKernelVariant())),
      compress_(compress),
      utf8_(encoding == MyLibrary::Encoding::Utf8),
      stop_(tabWidth),
      wrapMask_(std::has_single_bit(tabWidth) ? tabWidth - 1 : 0),
      initialOnly_(initialOnly),
      utf8Widths_(platform),
      breaks_(UnitLayout(encoding), {Blankwise::kCr, Blankwise::kLf}) {}

bool ByteConversion::Convert(std::string_view text, std::int32_t column, bool startsMidLine,
                             Bytes* out) const {
    const std::size_t start = column > 0 ? static_cast<std::size_t>(column) % stop_ : 0;
    return initialOnly_ ? ConvertInitialBlanks(text, start, startsMidLine, out)
                        : ConvertRange(text, start, out);
}

bool ByteConversion::ConvertRange(std::string_view text, std::size_t column, Bytes* out) const {
    return convertRange_(*this, text, column, out);
}

// The loop for the conversion and the encoding in the kernel variant, chosen once: the code page 932
// loops count no bits, so they take the plain SSE2 loop for the popcount variant.
ByteConversion::RangeLoop ByteConversion::LoopFor(bool compress, bool utf8,
                                                  [[maybe_unused]] MyLibrary::KernelVariant variant) {
    using MyLibrary::KernelVariant;
#if BLANKWISE_POPCOUNT_DISPATCH
    if (variant == KernelVariant::Sse2Popcount && utf8) {
        return &ByteConversion::RunUtf8LoopWithPopcount;
    }
#endif
#if BLANKWISE_HAS_SSE2
    if (variant != KernelVariant::Scalar) {
        return LoopFor<KernelVariant::Sse2>(compress, utf8);
    }
#endif
    return LoopFor<KernelVariant::Scalar>(compress, utf8);
}

template <MyLibrary::KernelVariant kVariant>
ByteConversion::RangeLoop ByteConversion::LoopFor(bool compress, bool utf8) {
    if (utf8) {
        return compress ? &ByteConversion::RunLoop<true, true, kVariant>
                        : &ByteConversion::RunLoop<false, true, kVariant>;
    }
    return compress ? &ByteConversion::RunLoop<true, false, kVariant>
                    : &ByteConversion::RunLoop<false, false, kVariant>;
}

template <bool kCompress, bool kUtf8, MyLibrary::KernelVariant kVariant>
bool ByteConversion::RunLoop(const ByteConversion& conversion, std::string_view text, std::size_t column,
                             Bytes* out) {
    return conversion.ConvertRangeAs<kCompress, kUtf8, kVariant>(text, column, out);
}

#if BLANKWISE_POPCOUNT_DISPATCH
// The UTF-8 loops compiled for the instruction that counts bits (the declaration asks for it), with
// which each stretch between two blanks counts its columns; everything they call here is compiled
// into them. Both conversions share the function: compiled apart, the expanding loop took 1.5% more
// instructions.
bool ByteConversion::RunUtf8LoopWithPopcount(const ByteConversion& conversion, std::string_view text,
                                             std::size_t column, Bytes* out) {
    using MyLibrary::KernelVariant;
    return conversion.compress_
               ? conversion.ConvertRangeAs<true, true, KernelVariant::Sse2Popcount>(text, column, out)
               : conversion.ConvertRangeAs<false, true, KernelVariant::Sse2Popcount>(text, column, out);
}
#endif

// Walks from one tab (or space, when compressing) to the next, 64 bytes a step; the characters
// between them only move the column, which is measured from the last break before the tab. One
// loop for each conversion, encoding and kernel variant, so that the one at hand takes no branch
// for another.
template <bool kCompress, bool kUtf8, MyLibrary::KernelVariant kVariant>
bool ByteConversion::ConvertRangeAs(std::string_view text, std::size_t column, Bytes* out) const {
    using MyLibrary::KernelVariant;
    constexpr bool kSse2 = kVariant != KernelVariant::Scalar;
    constexpr bool kPopcount = kVariant == KernelVariant::Sse2Popcount;
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
    // The settings in locals, which the stores into the output cannot alias. Columns are wrapped
    // to the tab width with a mask where it is a power of two, as it mostly is, since a division
    // costs more than the rest of a short stretch between two blanks.
    const std::size_t stop = stop_;
    const std::size_t wrapMask = wrapMask_;
    const auto wrap = [stop, wrapMask](std::size_t columns) {
        return wrapMask != 0 ? columns & wrapMask : columns % stop;
    };
    Utf8Widths::Block widths;
    Utf8Widths::Block previousWidths;
    bool widthsKnown = false;
    std::size_t widthsBlock = 0;  // where the widths were measured
    for (std::size_t block = 0; block < text.size(); block += 64) {
        // What is left of the block, and a tab's spaces for each of its bytes.
        write.Reserve(block + 64 - copied + (kCompress ? 0 : 64 * stop));
        const std::uint8_t* at64 = bytes + block;
        if (text.size() - block < 64) {
            // Zero bytes are neither triggers nor breaks.
            std::fill(std::begin(tail), std::end(tail), std::uint8_t{0});
            std::copy(bytes + block, bytes + text.size(), tail);
            at64 = tail;
        }
        const BlockMasks masks = MasksOf<kSse2>(at64, kCompress);
        // The widths of the block's characters, measured when a tab in it first needs them; those
        // of the block before, when they were measured, serve a stretch that starts there.
        const bool previousKnown = widthsKnown && widthsBlock + 64 == block;
        previousWidths = widths;
        widthsKnown = false;
        const auto columnsBetween = [&](std::size_t from, std::size_t to) {
            if constexpr (kUtf8) {
                // An empty stretch counts no bits of whatever widths there are.
                if (!widthsKnown && from != to) {
                    widths = utf8Widths_.At<kSse2>(bytes, text.size(), block);
                    widthsKnown = true;
                    widthsBlock = block;
                }
                // Mostly the stretch starts in this block or the one before, whose widths are
                // known: the bits of both are counted without a branch between the two cases.
                const bool fromBefore = from < block;
                if ((!fromBefore || (previousKnown && from + 64 >= block && previousWidths.regular)) &&
                    widths.regular) {
                    const std::uint64_t here = BitsBetween(fromBefore ? 0 : from - block, to - block);
                    const std::uint64_t before = fromBefore ? BitsBetween(from + 64 - block, 64) : 0;
                    return std::size_t{CountBits<kPopcount>(widths.columns & here) +
                                       CountBits<kPopcount>(previousWidths.columns & before)};
                }
                return utf8Widths_.Between<kSse2>(bytes, text.size(), from, to, block, widths,
                                                  previousKnown ? &previousWidths : nullptr);
            } else {
                return to - from;
            }
        };
        // In a block without tabs (or spaces) only its last break counts: the next line starts
        // there at column 0.
        if (masks.triggers == 0) {
            if (masks.breaks != 0) {
                lineStart = block + 64 - static_cast<std::size_t>(std::countl_zero(masks.breaks));
                measuredTo = lineStart;
                column = 0;
                pendingSpaces = 0;
            }
            continue;
        }
        if constexpr (!kCompress) {
            // Each tab becomes the spaces to the next stop, from the column its stretch reaches:
            // the stretch starts after the tab before or at the start of its line, whichever is
            // later, and at column 0 but for the text's first.
            for (std::uint64_t rest = masks.triggers; rest != 0; rest &= rest - 1) {
                const auto bit = static_cast<unsigned>(std::countr_zero(rest));
                const std::size_t at = block + bit;
                const std::uint64_t breaksBefore = masks.breaks & ((std::uint64_t{1} << bit) - 1);
                const std::size_t start =
                    breaksBefore != 0 ? block + 64 - static_cast<std::size_t>(std::countl_zero(breaksBefore))
                                      : lineStart;
                const std::size_t from = std::max(start, measuredTo);
                const std::size_t reached =
                    wrap((from == measuredTo ? column : 0) + columnsBetween(from, at));
                write.Copy(copied, at);
                write.Spaces(stop - reached);
                copied = at + 1;
                measuredTo = at + 1;
                column = 0;
                changed = true;
            }
            if (masks.breaks != 0) {
                lineStart = block + 64 - static_cast<std::size_t>(std::countl_zero(masks.breaks));
            }
            continue;
        }
        // Spaces and tabs, and the breaks between them, in the order they come.
        for (std::uint64_t rest = masks.triggers | masks.breaks; rest != 0; rest &= rest - 1) {
            const auto bit = static_cast<unsigned>(std::countr_zero(rest));
            const std::size_t at = block + bit;
            if (((masks.breaks >> bit) & 1) != 0) {
                measuredTo = at + 1;
                column = 0;
                pendingSpaces = 0;
                continue;
            }
            if (at != measuredTo) {
                column = wrap(column + columnsBetween(measuredTo, at));
                pendingSpaces = 0;
            }
            measuredTo = at + 1;
            if (bytes[at] == kSpaceByte) {
                column = column + 1 == stop ? 0 : column + 1;
                if (column != 0) {
                    ++pendingSpaces;
                    continue;
                }
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
    }
    write.Reserve(text.size() - copied);
    write.Copy(copied, text.size());
    write.Finish();
    return changed;
}

// Each line's leading blanks converted on their own, the rest of the line copied.
bool ByteConversion::ConvertInitialBlanks(std::string_view text, std::size_t column, bool startsMidLine,
                                          Bytes* out) const {
    bool changed = false;
    std::size_t pos = 0;
    std::size_t copied = 0;  // text before this is written: lines without blanks go out together
    bool first = true;
    while (pos < text.size()) {
        const std::size_t found = breaks_.FindIn(text, pos);
        const std::size_t lineEnd = found == std::string_view::npos ? text.size() : found + 1;
        const std::size_t blanksEnd = first && startsMidLine ? pos : BlanksEnd(text, pos, utf8_);
        if (blanksEnd > pos) {
            Append(out, text, copied, pos);
            changed = ConvertRange(text.substr(pos, blanksEnd - pos), first ? column : 0, out) || changed;
            copied = blanksEnd;
        }
        first = false;
        pos = lineEnd;
    }
    Append(out, text, copied, text.size());
    return changed;
}

}  // namespace BlankwiseCli
