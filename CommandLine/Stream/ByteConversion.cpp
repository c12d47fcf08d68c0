#include "CommandLine/Stream/ByteConversion.h"

#include <algorithm>
#include <bit>

#include "Blankwise/ConversionPipelines.h"
#include "CommandLine/Stream/ByteBlocks.h"
#include "CommandLine/Stream/UnitLayout.h"
#include "CommandLine/Stream/Utf8Widths.h"
#include "MyLibrary/Encoding/Cp932Facts.h"
#include "MyLibrary/Encoding/EucJpFacts.h"
#include "MyLibrary/Encoding/Utf8Facts.h"
#include "MyLibrary/StringUnit/TextPlatform.h"
#include "MyLibrary/StringUnit/VectorPaths.h"

namespace BlankwiseCli {
namespace {

using ByteBlocks::AfterLastBreak;
using ByteBlocks::BlockMasks;
using ByteBlocks::BlockScanner;
using ByteBlocks::kSpaceByte;
using ByteBlocks::kTabByte;
using ByteBlocks::Output;

constexpr int kSpacesToTabs = 5;
constexpr int kTabsToSpaces = 6;
constexpr std::int32_t kWidestByteTab = 1000;

void Append(Bytes* out, std::string_view text, std::size_t from, std::size_t to) {
    if (out != nullptr) {
        out->insert(out->end(), text.data() + from, text.data() + to);
    }
}

// The end of the spaces, tabs and full-width spaces (fullWidth's bytes) from pos on. Called for
// each line with --initial, once: inlined there.
std::size_t BlanksEnd(std::string_view text, std::size_t pos, std::string_view fullWidth) {
    // A full-width space of two or three bytes, compared byte by byte, since most lines start with
    // none and a call to compare would cost more than the rest.
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
    // The loops make room for a tab's spaces for every byte of a block: wider stops go through
    // the pipeline, as do lists of stops (no width).
    if ((conversionId != kSpacesToTabs && conversionId != kTabsToSpaces) || tabWidth < 1 ||
        tabWidth > kWidestByteTab) {
        return std::nullopt;
    }
    // Code page 932 bytes are as wide as they are long only with its own widths, EUC-JP's but for
    // their shifted codes; UTF-8 is measured by character, from the code page 932 lengths or from
    // the per-unit columns of Unicode widths.
    EucJpWidths eucJpWidths;
    ByteText byteText = ByteText::Cp932;
    switch (encoding) {
        case MyLibrary::Encoding::Utf8:
            if (!Utf8Widths::Available(platform)) {
                return std::nullopt;
            }
            byteText = ByteText::Utf8;
            break;
        case MyLibrary::Encoding::Cp932:
            if (!platform.WidthIsMultiByteLength()) {
                return std::nullopt;
            }
            break;
        case MyLibrary::Encoding::EucJp:
            eucJpWidths = EucJpWidths(platform);
            if (!eucJpWidths.Exact()) {
                return std::nullopt;
            }
            byteText = ByteText::EucJp;
            break;
        default:
            return std::nullopt;
    }
    return ByteConversion(conversionId == kSpacesToTabs, byteText, static_cast<std::size_t>(tabWidth),
                          initialOnly, platform, std::move(eucJpWidths));
}

ByteConversion::ByteConversion(bool compress, ByteText byteText, std::size_t tabWidth, bool initialOnly,
                               const MyLibrary::TextPlatform& platform, EucJpWidths eucJpWidths)
    : convertRange_(LoopFor(compress, byteText, MyLibrary::ActiveKernelVariant())),
      compress_(compress),
      fullWidthSpace_(byteText == ByteText::Utf8    ? MyLibrary::kUtf8FullWidthSpace
                      : byteText == ByteText::EucJp ? MyLibrary::kEucJpFullWidthSpace
                                                    : MyLibrary::kCp932FullWidthSpace),
      stop_(tabWidth),
      wrapMask_(std::has_single_bit(tabWidth) ? tabWidth - 1 : 0),
      initialOnly_(initialOnly),
      utf8Widths_(platform),
      eucJpWidths_(std::move(eucJpWidths)),
      // The same single bytes in every encoding the byte path reads.
      breaks_(UnitLayout(MyLibrary::Encoding::Utf8), {Blankwise::kCr, Blankwise::kLf}) {}

bool ByteConversion::Convert(std::string_view text, std::int32_t column, bool startsMidLine, Bytes* out) {
    const std::size_t start = column > 0 ? static_cast<std::size_t>(column) % stop_ : 0;
    return initialOnly_ ? ConvertInitialBlanks(text, start, startsMidLine, out)
                        : ConvertRange(text, start, out);
}

bool ByteConversion::ConvertRange(std::string_view text, std::size_t column, Bytes* out) {
    if (out != nullptr) {
        return convertRange_(*this, text, column, *out);
    }
    discarded_.clear();
    return convertRange_(*this, text, column, discarded_);
}

// The loop for the conversion and the encoding in the kernel variant, chosen once: the code page 932
// and EUC-JP loops count no bits, so they take the plain SSE2 loop for the popcount variant.
ByteConversion::RangeLoop ByteConversion::LoopFor(bool compress, ByteText byteText,
                                                  [[maybe_unused]] MyLibrary::KernelVariant variant) {
    using MyLibrary::KernelVariant;
#if BLANKWISE_POPCOUNT_DISPATCH
    if (variant == KernelVariant::Sse2Popcount && byteText == ByteText::Utf8) {
        return &ByteConversion::RunUtf8LoopWithPopcount;
    }
#endif
#if BLANKWISE_HAS_SSE2
    if (variant != KernelVariant::Scalar) {
        return LoopFor<KernelVariant::Sse2>(compress, byteText);
    }
#endif
    return LoopFor<KernelVariant::Scalar>(compress, byteText);
}

template <MyLibrary::KernelVariant kVariant>
ByteConversion::RangeLoop ByteConversion::LoopFor(bool compress, ByteText byteText) {
    switch (byteText) {
        case ByteText::Utf8:
            return LoopFor<ByteText::Utf8, kVariant>(compress);
        case ByteText::EucJp:
            return LoopFor<ByteText::EucJp, kVariant>(compress);
        case ByteText::Cp932:
            break;
    }
    return LoopFor<ByteText::Cp932, kVariant>(compress);
}

template <ByteText kText, MyLibrary::KernelVariant kVariant>
ByteConversion::RangeLoop ByteConversion::LoopFor(bool compress) {
    return compress ? &ByteConversion::RunLoop<true, kText, kVariant>
                    : &ByteConversion::RunLoop<false, kText, kVariant>;
}

template <bool kCompress, ByteText kText, MyLibrary::KernelVariant kVariant>
bool ByteConversion::RunLoop(const ByteConversion& conversion, std::string_view text, std::size_t column,
                             Bytes& out) {
    if constexpr (kCompress) {
        return conversion.CompressRange<kText, kVariant>(text, column, out);
    } else {
        return conversion.ExpandRange<kText, kVariant>(text, column, out);
    }
}

#if BLANKWISE_POPCOUNT_DISPATCH
// The UTF-8 loops compiled for the instruction that counts bits (the declaration asks for it), with
// which each stretch between two blanks counts its columns; everything they call here is compiled
// into them. Both conversions share the function: compiled apart, the expanding loop took 1.5% more
// instructions.
bool ByteConversion::RunUtf8LoopWithPopcount(const ByteConversion& conversion, std::string_view text,
                                             std::size_t column, Bytes& out) {
    using MyLibrary::KernelVariant;
    return conversion.compress_
               ? conversion.CompressRange<ByteText::Utf8, KernelVariant::Sse2Popcount>(text, column, out)
               : conversion.ExpandRange<ByteText::Utf8, KernelVariant::Sse2Popcount>(text, column, out);
}
#endif

// The columns wrapped to the tab width: with a mask where it is a power of two, as it mostly is,
// since a division costs more than the rest of a short stretch between two blanks.
struct ByteConversion::Wrap {
    std::size_t stop;
    std::size_t mask;  // the tab width less one where it is a power of two (not 1), else 0
    std::size_t operator()(std::size_t columns) const { return mask != 0 ? columns & mask : columns % stop; }
};

// The loops walk from one tab (or space, when compressing) to the next, 64 bytes a step; the
// characters between them only move the column, which is measured from the last break before the
// tab. One loop for each conversion, encoding and kernel variant, so that the one at hand takes no
// branch for another. The settings are copied into locals, which the stores into the output cannot
// alias.

// Each tab becomes the spaces to the next stop, from the column its stretch reaches: the stretch
// starts after the tab before or at the start of its line, whichever is later, and at column 0 but
// for the text's first.
template <ByteText kText, MyLibrary::KernelVariant kVariant>
bool ByteConversion::ExpandRange(std::string_view text, std::size_t column, Bytes& out) const {
    BlockScanner<false, kText, kVariant> scanner(utf8Widths_, eucJpWidths_, text);
    Output write(out, text);
    const std::size_t stop = stop_;
    const Wrap wrap{stop, wrapMask_};
    bool changed = false;
    std::size_t copied = 0;      // text before this is written
    std::size_t measuredTo = 0;  // column is the column at this offset
    std::size_t lineStart = 0;   // after the last break before the block
    for (std::size_t block = 0; block < text.size(); block += 64) {
        // What is left of the block, and a tab's spaces for each of its bytes.
        write.Reserve(block + 64 - copied + 64 * stop);
        const BlockMasks masks = scanner.Enter(block);
        if (masks.triggers == 0) {
            // Only the block's last break counts: the next line starts there at column 0.
            if (masks.breaks != 0) {
                lineStart = AfterLastBreak(block, masks.breaks);
                measuredTo = lineStart;
                column = 0;
            }
            continue;
        }
        for (std::uint64_t rest = masks.triggers; rest != 0; rest &= rest - 1) {
            const auto bit = static_cast<unsigned>(std::countr_zero(rest));
            const std::size_t at = block + bit;
            const std::uint64_t breaksBefore = masks.breaks & ((std::uint64_t{1} << bit) - 1);
            const std::size_t start = breaksBefore != 0 ? AfterLastBreak(block, breaksBefore) : lineStart;
            const std::size_t from = std::max(start, measuredTo);
            const std::size_t reached =
                wrap((from == measuredTo ? column : 0) + scanner.ColumnsBetween(from, at));
            write.Copy(copied, at);
            write.Spaces(stop - reached);
            copied = at + 1;
            measuredTo = at + 1;
            column = 0;
            changed = true;
        }
        if (masks.breaks != 0) {
            lineStart = AfterLastBreak(block, masks.breaks);
        }
    }
    write.Reserve(text.size() - copied);
    write.Copy(copied, text.size());
    write.Finish();
    return changed;
}

// Spaces and tabs, and the breaks between them, in the order they come: a space that reaches a
// stop, or a tab, becomes one tab with the spaces before it since the stop before.
template <ByteText kText, MyLibrary::KernelVariant kVariant>
bool ByteConversion::CompressRange(std::string_view text, std::size_t column, Bytes& out) const {
    BlockScanner<true, kText, kVariant> scanner(utf8Widths_, eucJpWidths_, text);
    Output write(out, text);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const std::size_t stop = stop_;
    const Wrap wrap{stop, wrapMask_};
    bool changed = false;
    std::size_t copied = 0;         // text before this is written
    std::size_t measuredTo = 0;     // column is the column at this offset
    std::size_t pendingSpaces = 0;  // spaces right before measuredTo since the last stop, unwritten
    for (std::size_t block = 0; block < text.size(); block += 64) {
        write.Reserve(block + 64 - copied);  // what is left of the block
        const BlockMasks masks = scanner.Enter(block);
        if (masks.triggers == 0) {
            // Only the block's last break counts: the next line starts there at column 0.
            if (masks.breaks != 0) {
                measuredTo = AfterLastBreak(block, masks.breaks);
                column = 0;
                pendingSpaces = 0;
            }
            continue;
        }
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
                column = wrap(column + scanner.ColumnsBetween(measuredTo, at));
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
                                          Bytes* out) {
    bool changed = false;
    std::size_t pos = 0;
    std::size_t copied = 0;  // text before this is written: lines without blanks go out together
    bool first = true;
    while (pos < text.size()) {
        const std::size_t found = breaks_.FindIn(text, pos);
        const std::size_t lineEnd = found == std::string_view::npos ? text.size() : found + 1;
        const std::size_t blanksEnd = first && startsMidLine ? pos : BlanksEnd(text, pos, fullWidthSpace_);
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
