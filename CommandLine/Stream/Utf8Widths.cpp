#include "CommandLine/Stream/Utf8Widths.h"

#include <algorithm>
#include <string_view>

#include "MyLibrary/Encoding/Utf8Facts.h"
#include "MyLibrary/StringUnit/VectorPaths.h"

namespace BlankwiseCli {
namespace {

using MyLibrary::BitsBetween;
using MyLibrary::CountBits;
using MyLibrary::kUtf8PayloadBits;
using MyLibrary::Utf8Starts;
using MyLibrary::Utf8StartsOf;
using MyLibrary::Utf8UnitOf;

// The row of Utf8Widths::rowFlags_ for a character of two or three bytes: from its first two bytes,
// the bits each carries (six of them for a lead of two or three bytes, with the bits that tell the
// two apart).
constexpr std::size_t RowOf(std::uint8_t first, std::uint8_t second) {
    return static_cast<std::size_t>(first & kUtf8PayloadBits) << 6 | (second & kUtf8PayloadBits);
}

#if BLANKWISE_HAS_SSE2
// For each of the 64 bytes at p, of which 66 are readable, the row of Utf8Widths::rowFlags_ and
// the bit in it that tell whether the character of two or three bytes that starts there takes two
// bytes in code page 932: the row from its first two bytes, the bit from its third.
void RowsOf(const std::uint8_t* p, std::uint16_t* rows, std::uint8_t* bits) {
    const __m128i low6 = _mm_set1_epi16(kUtf8PayloadBits);
    const __m128i next6 = _mm_set1_epi16(kUtf8PayloadBits << 6);
    const __m128i low6Bytes = _mm_set1_epi8(kUtf8PayloadBits);
    // Second byte | first byte << 8 in each lane, to RowOf(first, second).
    const auto rowOf = [&](__m128i pairs) {
        return _mm_or_si128(_mm_and_si128(pairs, low6), _mm_and_si128(_mm_srli_epi16(pairs, 2), next6));
    };
    for (unsigned k = 0; k < 64; k += 16) {
        const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k));
        const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k + 1));
        const __m128i third = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k + 2));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(rows + k), rowOf(_mm_unpacklo_epi8(second, first)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(rows + k + 8), rowOf(_mm_unpackhi_epi8(second, first)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(bits + k), _mm_and_si128(third, low6Bytes));
    }
}
#endif

}  // namespace

bool Utf8Widths::Available(const MyLibrary::TextPlatform& platform) {
    return platform.DoubleByteFlags() != nullptr || platform.UnitColumns() != nullptr;
}

Utf8Widths::Utf8Widths(const MyLibrary::TextPlatform& platform)
    : platform_(&platform),
      doubleByteFlags_(platform.DoubleByteFlags()),
      unitColumns_(doubleByteFlags_ == nullptr ? platform.UnitColumns() : nullptr) {
#if BLANKWISE_HAS_SSE2
    if (doubleByteFlags_ != nullptr) {
        // A row for each first byte and second byte (six bits of each): of a character of three
        // bytes, the flags of the 64 units its third byte tells apart; of one of two, its flag in
        // every bit, since the byte after it does not count.
        rowFlags_.assign(std::size_t{64} * 64, 0);
        for (char16_t unit = 0x0080; unit < 0x0800; ++unit) {
            const MyLibrary::Utf8Code code = MyLibrary::Utf8CodeOf(unit);
            rowFlags_[RowOf(static_cast<std::uint8_t>(code.bytes[0]),
                            static_cast<std::uint8_t>(code.bytes[1]))] =
                0 - std::uint64_t{doubleByteFlags_[unit]};
        }
        for (unsigned first = 0x0800; first < 0x10000; first += 64) {
            const MyLibrary::Utf8Code code = MyLibrary::Utf8CodeOf(static_cast<char16_t>(first));
            std::uint64_t& row = rowFlags_[RowOf(static_cast<std::uint8_t>(code.bytes[0]),
                                                 static_cast<std::uint8_t>(code.bytes[1]))];
            for (unsigned third = 0; third < 64; ++third) {
                row |= std::uint64_t{doubleByteFlags_[first + third]} << third;
            }
        }
    }
#endif
}

// The columns of a character of the Basic Multilingual Plane (no surrogate in valid UTF-8).
std::size_t Utf8Widths::UnitWidth(char16_t unit) const {
    return doubleByteFlags_ != nullptr ? 1u + doubleByteFlags_[unit] : unitColumns_[unit];
}

// The display columns of the UTF-8 character of more than one byte at p.
std::size_t Utf8Widths::CharacterWidth(const std::uint8_t* p) const {
    if (!MyLibrary::IsUtf8FourByteLead(*p)) {
        return UnitWidth(Utf8UnitOf(p));
    }
    const MyLibrary::SurrogatePair pair = MyLibrary::SurrogatePairOf(MyLibrary::Utf8CodePointOf(p, 4));
    const char16_t units[2] = {pair.high, pair.low};
    // A pair is one character to Unicode widths, two units of code page 932 lengths.
    return doubleByteFlags_ != nullptr ? 2u + doubleByteFlags_[pair.high] + doubleByteFlags_[pair.low]
                                       : platform_->DisplayWidth(std::u16string_view(units, 2));
}

// The display columns of the characters in [from, to), which holds no tab and no break, one
// character at a time.
std::size_t Utf8Widths::OneByOne(const std::uint8_t* from, const std::uint8_t* to) const {
    std::size_t columns = 0;
    for (const std::uint8_t* p = from; p != to;) {
        if (MyLibrary::IsUtf8SingleByte(*p)) {
            ++columns;
            ++p;
        } else {
            columns += CharacterWidth(p);
            p += MyLibrary::Utf8LengthOfValidLead(*p);
        }
    }
    return columns;
}

// The columns of the block of 64 bytes at `block`: each character counts one at its first byte,
// none where it has no width, and two where it is wide, the second at its second byte (which
// may be the first of the next block). A character of another width makes the block irregular.
template <bool kSse2>
Utf8Widths::Block Utf8Widths::At(const std::uint8_t* bytes, std::size_t size, std::size_t block) const {
    // The block and the two bytes after it, zero bytes past the end of the text.
    constexpr std::size_t kRead = 64 + 2;
    const std::uint8_t* loaded = bytes + block;
    std::uint8_t padded[80] = {};
    if (size - block < kRead) {
        std::copy(bytes + block, bytes + size, padded);
        loaded = padded;
    }
    const Utf8Starts starts = Utf8StartsOf<kSse2>(loaded);
    Block widths;
    widths.columns = starts.all;
    // A wide character that starts at the last byte of the block before counts its second column
    // here.
    if (block > 0 && MyLibrary::IsUtf8MultiByteLead(bytes[block - 1])) {
        const std::uint8_t lead = bytes[block - 1];
        widths.columns |= kSse2 && !rowFlags_.empty() && !MyLibrary::IsUtf8FourByteLead(lead)
                              ? rowFlags_[RowOf(lead, loaded[0])] >> (loaded[1] & kUtf8PayloadBits) & 1
                              : std::uint64_t{CharacterWidth(bytes + block - 1) == 2};
    }
    const auto count = [&widths](unsigned bit, std::size_t width) {
        widths.columns ^= std::uint64_t{width == 0} << bit;
        widths.columns |= (std::uint64_t{width == 2} << bit) << 1;
        widths.regular = widths.regular && width <= 2;
    };
#if BLANKWISE_HAS_SSE2
    std::uint16_t units[64];
    if (kSse2 && starts.multiByte != 0 && doubleByteFlags_ == nullptr) {
        MyLibrary::Utf8UnitsOf(loaded, units);
    }
    const auto unitAt = [&units, loaded](unsigned bit) {
        return kSse2 ? static_cast<char16_t>(units[bit]) : Utf8UnitOf(loaded + bit);
    };
#else
    const auto unitAt = [loaded](unsigned bit) { return Utf8UnitOf(loaded + bit); };
#endif
    if (doubleByteFlags_ != nullptr) {
        // Code page 932 lengths: one column, or two where the unit takes two bytes.
#if BLANKWISE_HAS_SSE2
        if constexpr (kSse2) {
            std::uint16_t rows[64];
            std::uint8_t bits[64];
            if (starts.multiByte != 0) {
                RowsOf(loaded, rows, bits);
            }
            for (std::uint64_t rest = starts.multiByte; rest != 0; rest &= rest - 1) {
                const auto bit = static_cast<unsigned>(std::countr_zero(rest));
                widths.columns |= ((rowFlags_[rows[bit]] >> bits[bit] & 1) << bit) << 1;
            }
        }
#endif
        if constexpr (!kSse2) {
            for (std::uint64_t rest = starts.multiByte; rest != 0; rest &= rest - 1) {
                const auto bit = static_cast<unsigned>(std::countr_zero(rest));
                widths.columns |= (std::uint64_t{doubleByteFlags_[unitAt(bit)]} << bit) << 1;
            }
        }
    } else {
        for (std::uint64_t rest = starts.multiByte; rest != 0; rest &= rest - 1) {
            const auto bit = static_cast<unsigned>(std::countr_zero(rest));
            count(bit, unitColumns_[unitAt(bit)]);
        }
    }
    for (std::uint64_t rest = starts.fourByte; rest != 0; rest &= rest - 1) {
        const auto bit = static_cast<unsigned>(std::countr_zero(rest));
        count(bit, CharacterWidth(bytes + block + bit));
    }
    return widths;
}

// The columns of UTF-8 characters from from to to, which holds no tab and no break and ends in the
// block at `block`, whose widths are given, as may be those of the block before; the other blocks
// before it are measured here.
template <bool kSse2>
std::size_t Utf8Widths::Between(const std::uint8_t* bytes, std::size_t size, std::size_t from, std::size_t to,
                                std::size_t block, const Block& widths, const Block* previous) const {
    std::size_t columns = 0;
    bool regular = widths.regular;
    for (std::size_t earlier = from - from % 64; earlier < block; earlier += 64) {
        const Block earlierWidths =
            previous != nullptr && earlier + 64 == block ? *previous : At<kSse2>(bytes, size, earlier);
        columns += CountBits(earlierWidths.columns & BitsBetween(std::max(from, earlier) - earlier, 64));
        regular = regular && earlierWidths.regular;
    }
    columns += CountBits(widths.columns & BitsBetween(from > block ? from - block : 0, to - block));
    return regular ? columns : OneByOne(bytes + from, bytes + to);
}

template Utf8Widths::Block Utf8Widths::At<false>(const std::uint8_t*, std::size_t, std::size_t) const;
template std::size_t Utf8Widths::Between<false>(const std::uint8_t*, std::size_t, std::size_t, std::size_t,
                                                std::size_t, const Block&, const Block*) const;
#if BLANKWISE_HAS_SSE2
template Utf8Widths::Block Utf8Widths::At<true>(const std::uint8_t*, std::size_t, std::size_t) const;
template std::size_t Utf8Widths::Between<true>(const std::uint8_t*, std::size_t, std::size_t, std::size_t,
                                               std::size_t, const Block&, const Block*) const;
#endif

}  // namespace BlankwiseCli
