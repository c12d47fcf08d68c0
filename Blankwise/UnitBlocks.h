#pragma once

// How the tab and space transforms (TextTransforms.cpp, which alone includes this) walk UTF-16 text:
// 16 units at a time, each block summed up as a bit mask.

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>

#include "MyLibrary/StringUnit/StringUnit.h"
#include "MyLibrary/StringUnit/VectorPaths.h"

namespace Blankwise::detail {

// The text is walked in blocks of 16 units, each summed up as a bit mask (bit k for unit k) of the
// units that matter, so that the units in between cost no branch of their own.
inline constexpr std::size_t kBlockUnits = 16;

inline std::uint32_t PartialBlockMask(const char16_t* block, std::size_t units, char16_t wanted) {
    std::uint32_t mask = 0;
    for (std::size_t k = 0; k < units; ++k) {
        mask |= static_cast<std::uint32_t>(block[k] == wanted) << k;
    }
    return mask;
}

#if BLANKWISE_HAS_SSE2
inline __m128i LoadUnits(const char16_t* units) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(units));
}

// Bit k set where unit k of the 16 in low and high equals wanted.
inline std::uint32_t MaskOf(__m128i low, __m128i high, char16_t wanted) {
    const __m128i repeated = _mm_set1_epi16(static_cast<short>(wanted));
    return static_cast<std::uint32_t>(
        _mm_movemask_epi8(_mm_packs_epi16(_mm_cmpeq_epi16(low, repeated), _mm_cmpeq_epi16(high, repeated))));
}

// Bit k set where unit k of the 16 in low and high lies outside ASCII.
inline std::uint32_t NonAsciiMaskOf(__m128i low, __m128i high) {
    const __m128i highBits = _mm_set1_epi16(static_cast<short>(0xFF80));
    return ~MaskOf(_mm_and_si128(low, highBits), _mm_and_si128(high, highBits), 0) & 0xFFFFu;
}

inline std::uint32_t FullBlockMask(const char16_t* block, char16_t wanted) {
    return MaskOf(LoadUnits(block), LoadUnits(block + 8), wanted);
}
#else
inline std::uint32_t FullBlockMask(const char16_t* block, char16_t wanted) {
    return PartialBlockMask(block, kBlockUnits, wanted);
}
#endif

// Calls onUnit(position) for every unit equal to wanted, in order.
template <typename OnUnit>
void ScanUnits(MyLibrary::WideStringView text, char16_t wanted, OnUnit onUnit) {
    const char16_t* const end = text.data() + text.size();
    for (const char16_t* block = text.data(); block != end;) {
        const std::size_t units = std::min(kBlockUnits, static_cast<std::size_t>(end - block));
        std::uint32_t mask =
            units == kBlockUnits ? FullBlockMask(block, wanted) : PartialBlockMask(block, units, wanted);
        for (; mask != 0; mask &= mask - 1) {
            onUnit(block + std::countr_zero(mask));
        }
        block += units;
    }
}

}  // namespace Blankwise::detail
