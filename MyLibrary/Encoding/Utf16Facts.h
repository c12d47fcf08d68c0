#pragma once

#include <cstdint>

// What UTF-16's units tell by themselves: which are surrogates, and how a pair of them holds a code
// point beyond the Basic Multilingual Plane.
namespace MyLibrary {

inline constexpr char32_t kFirstSupplementaryCodePoint = 0x10000;
inline constexpr char16_t kFirstSurrogate = 0xD800;
inline constexpr char16_t kLastSurrogate = 0xDFFF;

constexpr bool IsHighSurrogate(std::uint32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
constexpr bool IsLowSurrogate(std::uint32_t unit) {
    return unit >= 0xDC00 && unit <= kLastSurrogate;
}
constexpr bool IsSurrogate(std::uint32_t unit) {
    return unit >= kFirstSurrogate && unit <= kLastSurrogate;
}

// The two units of a code point from U+10000 to U+10FFFF.
struct SurrogatePair {
    char16_t high;
    char16_t low;
};
constexpr SurrogatePair SurrogatePairOf(char32_t codePoint) {
    const char32_t offset = codePoint - kFirstSupplementaryCodePoint;
    return {static_cast<char16_t>(0xD800 + (offset >> 10)), static_cast<char16_t>(0xDC00 + (offset & 0x3FF))};
}

// The code point of a high surrogate followed by a low one.
constexpr char32_t CodePointOfPair(std::uint32_t high, std::uint32_t low) {
    return kFirstSupplementaryCodePoint + ((high - 0xD800) << 10) + (low - 0xDC00);
}

}  // namespace MyLibrary
