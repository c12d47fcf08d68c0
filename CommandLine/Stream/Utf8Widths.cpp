#include "CommandLine/Stream/Utf8Widths.h"

#include <algorithm>
#include <string_view>

#include "MyLibrary/StringUnit/VectorPaths.h"

namespace BlankwiseCli {
namespace {

// Where the UTF-8 characters of the 64 bytes at p start: bit k of each mask for byte k.
struct Utf8Starts {
    std::uint64_t all = 0;        // bytes that are no continuation byte
    std::uint64_t multiByte = 0;  // the first bytes of characters of two or three bytes
    std::uint64_t fourByte = 0;   // of four
};

template <bool kSse2>
Utf8Starts Utf8StartsOf(const std::uint8_t* p) {
    Utf8Starts starts;
#if BLANKWISE_HAS_SSE2
    if constexpr (kSse2) {
        // As signed bytes, continuation bytes (0x80..0xBF) are the ones below -64, and the first bytes
        // of four-byte characters (0xF0..0xF4) the ones above -17.
        const __m128i lastContinuation = _mm_set1_epi8(static_cast<char>(0xBF));
        const __m128i lastOfThree = _mm_set1_epi8(static_cast<char>(0xEF));
        for (unsigned k = 0; k < 4; ++k) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
            const __m128i start = _mm_cmpgt_epi8(block, lastContinuation);
            const __m128i four = _mm_cmpgt_epi8(block, lastOfThree);
            const auto all = static_cast<std::uint32_t>(_mm_movemask_epi8(start));
            const auto leads = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_and_si128(start, block)));
            const auto fours = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_and_si128(four, block)));
            starts.all |= std::uint64_t{all} << (16 * k);
            starts.multiByte |= std::uint64_t{leads & ~fours} << (16 * k);
            starts.fourByte |= std::uint64_t{fours} << (16 * k);
        }
        return starts;
    }
#endif
    for (unsigned k = 0; k < 64; ++k) {
        starts.all |= std::uint64_t{(p[k] & 0xC0) != 0x80} << k;
        starts.multiByte |= std::uint64_t{p[k] >= 0xC0 && p[k] < 0xF0} << k;
        starts.fourByte |= std::uint64_t{p[k] >= 0xF0} << k;
    }
    return starts;
}

// The UTF-16 unit of the character of two or three bytes at p.
char16_t UnitOf(const std::uint8_t* p) {
    return p[0] < 0xE0 ? static_cast<char16_t>((p[0] & 0x1F) << 6 | (p[1] & 0x3F))
                       : static_cast<char16_t>((p[0] & 0x0F) << 12 | (p[1] & 0x3F) << 6 | (p[2] & 0x3F));
}

#if BLANKWISE_HAS_SSE2
// UnitOf each of the 64 bytes at p, of which 66 are readable (meaningless where no character of
// two or three bytes starts).
void UnitsOf(const std::uint8_t* p, std::uint16_t* units) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i low4 = _mm_set1_epi16(0x0F);
    const __m128i low5 = _mm_set1_epi16(0x1F);
    const __m128i low6 = _mm_set1_epi16(0x3F);
    const __m128i lastOfTwo = _mm_set1_epi16(0xDF);
    const auto unitsOf = [&](__m128i first, __m128i second, __m128i third) {
        const __m128i ofThree = _mm_or_si128(_mm_or_si128(_mm_slli_epi16(_mm_and_si128(first, low4), 12),
                                                          _mm_slli_epi16(_mm_and_si128(second, low6), 6)),
                                             _mm_and_si128(third, low6));
        const __m128i ofTwo =
            _mm_or_si128(_mm_slli_epi16(_mm_and_si128(first, low5), 6), _mm_and_si128(second, low6));
        const __m128i three = _mm_cmpgt_epi16(first, lastOfTwo);
        return _mm_or_si128(_mm_and_si128(three, ofThree), _mm_andnot_si128(three, ofTwo));
    };
    for (unsigned k = 0; k < 64; k += 16) {
        const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k));
        const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k + 1));
        const __m128i third = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k + 2));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(units + k),
                         unitsOf(_mm_unpacklo_epi8(first, zero), _mm_unpacklo_epi8(second, zero),
                                 _mm_unpacklo_epi8(third, zero)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(units + k + 8),
                         unitsOf(_mm_unpackhi_epi8(first, zero), _mm_unpackhi_epi8(second, zero),
                                 _mm_unpackhi_epi8(third, zero)));
    }
}

// For each of the 64 bytes at p, of which 66 are readable, the row of Utf8Widths::rowFlags_ and
// the bit in it that tell whether the character of two or three bytes that starts there takes two
// bytes in code page 932: the row from its first two bytes, the bit from its third.
void RowsOf(const std::uint8_t* p, std::uint16_t* rows, std::uint8_t* bits) {
    const __m128i low6 = _mm_set1_epi16(0x3F);
    const __m128i next6 = _mm_set1_epi16(0xFC0);
    const __m128i low6Bytes = _mm_set1_epi8(0x3F);
    // Second byte | first byte << 8 in each lane, to (first & 0x3F) << 6 | (second & 0x3F).
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
        for (unsigned unit = 0x80; unit < 0x800; ++unit) {
            rowFlags_[(unit >> 6) << 6 | (unit & 0x3Fu)] = 0 - std::uint64_t{doubleByteFlags_[unit]};
        }
        for (unsigned unit = 0x800; unit < 0x10000; ++unit) {
            rowFlags_[(0x20u | unit >> 12) << 6 | (unit >> 6 & 0x3Fu)] |=
                std::uint64_t{doubleByteFlags_[unit]} << (unit & 0x3Fu);
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
    const std::uint8_t lead = *p;
    if (lead < 0xF0) {
        return UnitWidth(UnitOf(p));
    }
    const std::uint32_t scalar =
        (lead & 0x07u) << 18 | (p[1] & 0x3Fu) << 12 | (p[2] & 0x3Fu) << 6 | (p[3] & 0x3Fu);
    const char16_t pair[2] = {static_cast<char16_t>(0xD800 + ((scalar - 0x10000) >> 10)),
                              static_cast<char16_t>(0xDC00 + (scalar & 0x3FF))};
    // A pair is one character to Unicode widths, two units of code page 932 lengths.
    return doubleByteFlags_ != nullptr ? 2u + doubleByteFlags_[pair[0]] + doubleByteFlags_[pair[1]]
                                       : platform_->DisplayWidth(std::u16string_view(pair, 2));
}

// The display columns of the characters in [from, to), which holds no tab and no break, one
// character at a time.
std::size_t Utf8Widths::OneByOne(const std::uint8_t* from, const std::uint8_t* to) const {
    std::size_t columns = 0;
    for (const std::uint8_t* p = from; p != to;) {
        if (*p < 0x80) {
            ++columns;
            ++p;
        } else {
            columns += CharacterWidth(p);
            p += std::countl_one(*p);
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
    if (block > 0 && bytes[block - 1] >= 0xC0) {
        const std::uint8_t lead = bytes[block - 1];
        widths.columns |=
            kSse2 && !rowFlags_.empty() && lead < 0xF0
                ? rowFlags_[(lead & 0x3Fu) << 6 | (loaded[0] & 0x3Fu)] >> (loaded[1] & 0x3Fu) & 1
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
        UnitsOf(loaded, units);
    }
    const auto unitAt = [&units, loaded](unsigned bit) {
        return kSse2 ? static_cast<char16_t>(units[bit]) : UnitOf(loaded + bit);
    };
#else
    const auto unitAt = [loaded](unsigned bit) { return UnitOf(loaded + bit); };
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
