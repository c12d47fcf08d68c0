#include "CommandLine/Stream/BytePatterns.h"

#include <algorithm>
#include <bit>
#include <string>

#include "Blankwise/ConversionPipelines.h"
#include "MyLibrary/Encoding/Iso2022JpFacts.h"
#include "MyLibrary/StringUnit/VectorPaths.h"

namespace BlankwiseCli {

BytePatterns::BytePatterns(const UnitLayout& layout, std::initializer_list<char16_t> units)
    : align_(layout.unitBytes) {
    for (const char16_t unit : units) {
        if (unit == Blankwise::kNoUnit) {
            continue;
        }
        std::string bytes;
        if (layout.encoding == MyLibrary::Encoding::Iso2022Jp && unit == Blankwise::kFullWidthSpace) {
            // Its bytes inside a two-byte set, wherever that was designated: they find every
            // full-width space, and some bytes of other characters too, whose lines then come out
            // of the conversion unchanged.
            bytes = MyLibrary::kIso2022JpFullWidthSpace;
        } else {
            MyLibrary::Encode(layout.encoding, std::u16string_view(&unit, 1), bytes);
        }
        Pattern& pattern = patterns_[count_++];
        pattern.length = bytes.size();
        std::copy(bytes.begin(), bytes.end(), pattern.bytes.begin());
        oneByteEach_ = oneByteEach_ && pattern.length == 1;
    }
}

std::size_t BytePatterns::FindIn(std::string_view text, std::size_t from) const {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const std::size_t size = text.size();
    std::size_t p = from;
#if BLANKWISE_HAS_SSE2
    __m128i first[3];
    __m128i second[3];
    __m128i third[3];
    const __m128i all = _mm_set1_epi8(-1);
    for (std::size_t k = 0; k < count_; ++k) {
        const Pattern& pattern = patterns_[k];
        first[k] = _mm_set1_epi8(static_cast<char>(pattern.bytes[0]));
        second[k] = _mm_set1_epi8(static_cast<char>(pattern.bytes[1]));
        third[k] = _mm_set1_epi8(static_cast<char>(pattern.bytes[2]));
    }
    if (oneByteEach_) {
        // Tabs, spaces and breaks in UTF-8 and code page 932: 32 bytes a step, one comparison
        // for each pattern.
        const auto hitsIn = [&](const std::uint8_t* at) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
            __m128i hits = _mm_setzero_si128();
            for (std::size_t k = 0; k < count_; ++k) {
                hits = _mm_or_si128(hits, _mm_cmpeq_epi8(block, first[k]));
            }
            return static_cast<std::uint32_t>(_mm_movemask_epi8(hits));
        };
        for (; p + 32 <= size; p += 32) {
            const std::uint32_t mask = hitsIn(bytes + p) | hitsIn(bytes + p + 16) << 16;
            if (mask != 0) {
                return p + static_cast<std::size_t>(std::countr_zero(mask));
            }
        }
    }
    // Offsets of a unit boundary among sixteen that start on one.
    const unsigned aligned = align_ == 2 ? 0x5555u : 0xFFFFu;
    for (; p + 18 <= size; p += 16) {
        const __m128i at0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + p));
        const __m128i at1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + p + 1));
        const __m128i at2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + p + 2));
        __m128i hits = _mm_setzero_si128();
        for (std::size_t k = 0; k < count_; ++k) {
            const std::size_t length = patterns_[k].length;
            const __m128i one = _mm_cmpeq_epi8(at0, first[k]);
            const __m128i two = length > 1 ? _mm_cmpeq_epi8(at1, second[k]) : all;
            const __m128i three = length > 2 ? _mm_cmpeq_epi8(at2, third[k]) : all;
            hits = _mm_or_si128(hits, _mm_and_si128(one, _mm_and_si128(two, three)));
        }
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hits)) & aligned;
        if (mask != 0) {
            return p + static_cast<std::size_t>(std::countr_zero(mask));
        }
    }
#endif
    for (; p < size; p += align_) {
        for (std::size_t k = 0; k < count_; ++k) {
            const Pattern& pattern = patterns_[k];
            if (size - p >= pattern.length &&
                std::equal(pattern.bytes.begin(),
                           pattern.bytes.begin() + static_cast<std::ptrdiff_t>(pattern.length), bytes + p)) {
                return p;
            }
        }
    }
    return std::string_view::npos;
}

}  // namespace BlankwiseCli
