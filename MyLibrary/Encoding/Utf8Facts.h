#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "MyLibrary/Encoding/Utf16Facts.h"
#include "MyLibrary/StringUnit/VectorPaths.h"

// What UTF-8's bytes tell by themselves, for code that works on the bytes rather than decoding
// them with the codec (TextCodec.h): which bytes start characters, how long a character is, the
// UTF-16 unit or code point a valid character holds, and the full-width space's bytes. The block
// forms answer for 64 bytes at once, bit k of a mask for byte k.
namespace MyLibrary {

// U+3000, the full-width space.
inline constexpr std::string_view kUtf8FullWidthSpace = "\xE3\x80\x80";

// The bits of the character a continuation byte carries; the lead byte of a character of three
// or four bytes carries fewer, those of one of two as many.
inline constexpr std::uint8_t kUtf8PayloadBits = 0x3F;

// A character of one byte: ASCII.
constexpr bool IsUtf8SingleByte(std::uint8_t byte) {
    return byte < 0x80;
}

// A continuation byte (10xxxxxx), which goes on with the character before it.
constexpr bool IsUtf8Continuation(std::uint8_t byte) {
    return (byte & 0xC0) == 0x80;
}

// In valid text, the first byte of a character of two bytes or more, and of one of four.
constexpr bool IsUtf8MultiByteLead(std::uint8_t byte) {
    return byte >= 0xC0;
}
constexpr bool IsUtf8FourByteLead(std::uint8_t byte) {
    return byte >= 0xF0;
}

// The length of the character a byte starts: 1 for ASCII, 2 for C2-DF, 3 for E0-EF, 4 for F0-F4;
// 0 for a byte that starts none (a continuation byte, C0, C1, F5-FF).
constexpr std::size_t Utf8SequenceLength(std::uint8_t lead) {
    return lead < 0x80                    ? 1
           : lead >= 0xC2 && lead <= 0xDF ? 2
           : lead >= 0xE0 && lead <= 0xEF ? 3
           : lead >= 0xF0 && lead <= 0xF4 ? 4
                                          : 0;
}

// The length of a character of valid text, from its first byte.
constexpr std::size_t Utf8LengthOfValidLead(std::uint8_t lead) {
    return IsUtf8SingleByte(lead) ? 1 : static_cast<std::size_t>(std::countl_one(lead));
}

// The UTF-16 unit of the valid character of two or three bytes at p.
constexpr char16_t Utf8UnitOf(const std::uint8_t* p) {
    return p[0] < 0xE0 ? static_cast<char16_t>((p[0] & 0x1F) << 6 | (p[1] & kUtf8PayloadBits))
                       : static_cast<char16_t>((p[0] & 0x0F) << 12 | (p[1] & kUtf8PayloadBits) << 6 |
                                               (p[2] & kUtf8PayloadBits));
}

// The code point of the valid character of `length` bytes at p.
constexpr char32_t Utf8CodePointOf(const std::uint8_t* p, std::size_t length) {
    constexpr std::uint8_t kLeadBits[] = {0x7F, 0x1F, 0x0F, 0x07};
    char32_t codePoint = p[0] & kLeadBits[length - 1];
    for (std::size_t k = 1; k < length; ++k) {
        codePoint = codePoint << 6 | (p[k] & kUtf8PayloadBits);
    }
    return codePoint;
}

// The bytes of a unit of the Basic Multilingual Plane that is no surrogate, as they are written,
// and their count.
struct Utf8Code {
    char bytes[3];
    std::uint8_t length;
};
constexpr Utf8Code Utf8CodeOf(char16_t unit) {
    if (unit < 0x80) {
        return {{static_cast<char>(unit), 0, 0}, 1};
    }
    const auto last = static_cast<char>(0x80 | (unit & kUtf8PayloadBits));
    if (unit < 0x800) {
        return {{static_cast<char>(0xC0 | (unit >> 6)), last, 0}, 2};
    }
    return {{static_cast<char>(0xE0 | (unit >> 12)),
             static_cast<char>(0x80 | ((unit >> 6) & kUtf8PayloadBits)), last},
            3};
}

// Where the characters of the 64 bytes at p start, kSse2 through the SSE2 kernel (in a build that
// has it), else a byte at a time.
struct Utf8Starts {
    std::uint64_t all = 0;        // bytes that are no continuation byte
    std::uint64_t multiByte = 0;  // the first bytes of characters of two or three bytes
    std::uint64_t fourByte = 0;   // of four
};

template <bool kSse2>
inline Utf8Starts Utf8StartsOf(const std::uint8_t* p) {
    Utf8Starts starts;
#if BLANKWISE_HAS_SSE2
    if constexpr (kSse2) {
        // As signed bytes, continuation bytes (0x80..0xBF) are the ones below -64, and the first bytes
        // of four-byte characters (0xF0..0xF4) the negative ones above -17.
        const __m128i firstLead = _mm_set1_epi8(static_cast<char>(0xC0));
        const __m128i lastOfThree = _mm_set1_epi8(static_cast<char>(0xEF));
        std::uint64_t continuations = 0;
        for (unsigned k = 0; k < 4; ++k) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
            const __m128i continuation = _mm_cmplt_epi8(block, firstLead);
            const __m128i four = _mm_cmpgt_epi8(block, lastOfThree);
            const auto inner = static_cast<std::uint32_t>(_mm_movemask_epi8(continuation));
            const auto leads =
                static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_andnot_si128(continuation, block)));
            const auto fours = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_and_si128(four, block)));
            continuations |= std::uint64_t{inner} << (16 * k);
            starts.multiByte |= std::uint64_t{leads & ~fours} << (16 * k);
            starts.fourByte |= std::uint64_t{fours} << (16 * k);
        }
        starts.all = ~continuations;
        return starts;
    }
#endif
    for (unsigned k = 0; k < 64; ++k) {
        starts.all |= std::uint64_t{!IsUtf8Continuation(p[k])} << k;
        starts.multiByte |= std::uint64_t{IsUtf8MultiByteLead(p[k]) && !IsUtf8FourByteLead(p[k])} << k;
        starts.fourByte |= std::uint64_t{IsUtf8FourByteLead(p[k])} << k;
    }
    return starts;
}

#if BLANKWISE_HAS_SSE2
// Utf8UnitOf each of the 64 bytes at p, of which 66 are readable (meaningless where no character of
// two or three bytes starts).
inline void Utf8UnitsOf(const std::uint8_t* p, std::uint16_t* units) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i low4 = _mm_set1_epi16(0x0F);
    const __m128i low5 = _mm_set1_epi16(0x1F);
    const __m128i low6 = _mm_set1_epi16(kUtf8PayloadBits);
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
#endif

}  // namespace MyLibrary
