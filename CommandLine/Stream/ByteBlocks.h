#pragma once

// What the byte path's loops (ByteConversion.cpp, the only file that includes this) walk a text
// with: the output they write ahead into, and a scanner of 64-byte blocks that sums each block up as
// masks of its triggers and breaks and measures the columns of its characters when a stretch asks.

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string_view>

#include "Blankwise/Blanks.h"
#include "CommandLine/Stream/ByteConversion.h"
#include "CommandLine/Stream/EucJpWidths.h"
#include "CommandLine/Stream/Piece.h"
#include "CommandLine/Stream/Utf8Widths.h"
#include "MyLibrary/Encoding/EucJpFacts.h"
#include "MyLibrary/StringUnit/BitMasks.h"
#include "MyLibrary/StringUnit/KernelVariants.h"
#include "MyLibrary/StringUnit/VectorPaths.h"

namespace BlankwiseCli::ByteBlocks {

// The tab and the space are these single bytes in UTF-8, code page 932 and EUC-JP, as are the
// breaks.
inline constexpr auto kTabByte = static_cast<std::uint8_t>(Blankwise::kTab);
inline constexpr auto kSpaceByte = static_cast<std::uint8_t>(Blankwise::kSpace);

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
// compressing), a break, or (where asked for) an EUC-JP shift.
struct BlockMasks {
    std::uint64_t triggers = 0;
    std::uint64_t breaks = 0;
    std::uint64_t shifts = 0;
};

// Inlined into each block scan: as a call it returns its masks through memory, which costs the
// EUC-JP scans (the only ones that ask for shifts, and where the compiler chose the call) a sixth
// of their instructions.
template <bool kSse2, bool kShifts>
[[gnu::always_inline]] inline BlockMasks MasksOf(const std::uint8_t* p, bool compress) {
    BlockMasks masks;
#if BLANKWISE_HAS_SSE2
    if constexpr (kSse2) {
        const __m128i katakana = _mm_set1_epi8(static_cast<char>(MyLibrary::kEucJpKatakanaShift));
        const __m128i plane2 = _mm_set1_epi8(static_cast<char>(MyLibrary::kEucJpPlane2Shift));
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
            if constexpr (kShifts) {
                const auto shifts = static_cast<std::uint32_t>(_mm_movemask_epi8(
                    _mm_or_si128(_mm_cmpeq_epi8(block, katakana), _mm_cmpeq_epi8(block, plane2))));
                masks.shifts |= std::uint64_t{shifts} << (16 * k);
            }
        }
        return masks;
    }
#endif
    for (unsigned k = 0; k < 64; ++k) {
        masks.triggers |= std::uint64_t{p[k] == kTabByte || (compress && p[k] == kSpaceByte)} << k;
        masks.breaks |= std::uint64_t{Blankwise::IsBreak(p[k])} << k;
        if constexpr (kShifts) {
            masks.shifts |=
                std::uint64_t{p[k] == MyLibrary::kEucJpKatakanaShift || p[k] == MyLibrary::kEucJpPlane2Shift}
                << k;
        }
    }
    return masks;
}

// Where the line after the last of the breaks (not none) in the block at `block` starts.
inline std::size_t AfterLastBreak(std::size_t block, std::uint64_t breaks) {
    return block + 64 - static_cast<std::size_t>(std::countl_zero(breaks));
}

// The blocks of a text in order, for a loop of one conversion (kCompress), encoding (kText) and
// kernel variant: each block's masks, and the columns of the characters of a stretch that ends in
// it. A block's UTF-8 widths are measured when a stretch in it first needs them; those of the
// block before, when they were measured, serve a stretch that starts there. An EUC-JP stretch is
// as wide as it is long unless it holds a shift, which the blocks' masks tell.
template <bool kCompress, ByteText kText, MyLibrary::KernelVariant kVariant>
class BlockScanner {
  public:
    static constexpr bool kSse2 = kVariant != MyLibrary::KernelVariant::Scalar;
    static constexpr bool kPopcount = kVariant == MyLibrary::KernelVariant::Sse2Popcount;
    static constexpr bool kUtf8 = kText == ByteText::Utf8;
    static constexpr bool kEucJp = kText == ByteText::EucJp;

    BlockScanner(const Utf8Widths& utf8Widths, const EucJpWidths& eucJpWidths, std::string_view text)
        : utf8Widths_(utf8Widths),
          eucJpWidths_(eucJpWidths),
          bytes_(reinterpret_cast<const std::uint8_t*>(text.data())),
          size_(text.size()) {}

    // The masks of the block at `block` (the block after the one before), which the stretches
    // asked of ColumnsBetween end in from now on.
    BlockMasks Enter(std::size_t block) {
        block_ = block;
        const std::uint8_t* at64 = bytes_ + block;
        std::uint8_t tail[64];
        if (size_ - block < 64) {
            // Zero bytes are neither triggers nor breaks.
            std::fill(std::begin(tail), std::end(tail), std::uint8_t{0});
            std::copy(bytes_ + block, bytes_ + size_, tail);
            at64 = tail;
        }
        previousKnown_ = widthsKnown_ && widthsBlock_ + 64 == block;
        previousWidths_ = widths_;
        widthsKnown_ = false;
        const BlockMasks masks = MasksOf<kSse2, kEucJp>(at64, kCompress);
        if (kEucJp && masks.shifts != 0) {
            afterLastShift_ = block + 64 - static_cast<std::size_t>(std::countl_zero(masks.shifts));
        }
        return masks;
    }

    // The columns of the characters from `from` to `to`, which ends in the block entered and holds
    // no tab and no break.
    std::size_t ColumnsBetween(std::size_t from, std::size_t to) {
        if constexpr (kUtf8) {
            // An empty stretch counts no bits of whatever widths there are.
            if (!widthsKnown_ && from != to) {
                widths_ = utf8Widths_.At<kSse2>(bytes_, size_, block_);
                widthsKnown_ = true;
                widthsBlock_ = block_;
            }
            // Mostly the stretch starts in this block or the one before, whose widths are known:
            // the bits of both are counted without a branch between the two cases.
            const bool fromBefore = from < block_;
            if ((!fromBefore || (previousKnown_ && from + 64 >= block_ && previousWidths_.regular)) &&
                widths_.regular) {
                const std::uint64_t here =
                    MyLibrary::BitsBetween(fromBefore ? 0 : from - block_, to - block_);
                const std::uint64_t before = fromBefore ? MyLibrary::BitsBetween(from + 64 - block_, 64) : 0;
                return std::size_t{MyLibrary::CountBits<kPopcount>(widths_.columns & here) +
                                   MyLibrary::CountBits<kPopcount>(previousWidths_.columns & before)};
            }
            // Copies, whose addresses go out instead of the scanner's, which stays in registers.
            const Utf8Widths::Block widths = widths_;
            const Utf8Widths::Block previousWidths = previousWidths_;
            return utf8Widths_.Between<kSse2>(bytes_, size_, from, to, block_, widths,
                                              previousKnown_ ? &previousWidths : nullptr);
        } else if constexpr (kEucJp) {
            return afterLastShift_ <= from ? to - from : eucJpWidths_.Between(bytes_, from, to);
        } else {
            return to - from;
        }
    }

  private:
    const Utf8Widths& utf8Widths_;
    const EucJpWidths& eucJpWidths_;
    const std::uint8_t* bytes_;
    std::size_t size_;
    std::size_t block_ = 0;
    Utf8Widths::Block widths_;
    Utf8Widths::Block previousWidths_;
    bool widthsKnown_ = false;
    bool previousKnown_ = false;
    std::size_t widthsBlock_ = 0;  // where widths_ were measured
    // After the last EUC-JP shift up to the end of the block entered: no stretch from here on
    // holds one.
    std::size_t afterLastShift_ = 0;
};

}  // namespace BlankwiseCli::ByteBlocks
