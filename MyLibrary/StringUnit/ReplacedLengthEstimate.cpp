#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <limits>
#include <optional>

#include "MyLibrary/Encoding/Utf16Facts.h"
#include "MyLibrary/StringUnit/SaturatedArithmetic.h"
#include "MyLibrary/StringUnit/StringUnit.h"
#include "MyLibrary/StringUnit/TextPlatform.h"
#include "MyLibrary/StringUnit/VectorPaths.h"

namespace MyLibrary {
namespace {

bool HoldsSurrogate(WideStringView text) {
    std::size_t index = 0;
#if BLANKWISE_HAS_SSE2
    const __m128i topBits = _mm_set1_epi16(static_cast<short>(0xF800));
    const __m128i surrogates = _mm_set1_epi16(static_cast<short>(0xD800));
    for (; text.size() - index >= 8; index += 8) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + index));
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(block, topBits), surrogates)) != 0) {
            return true;
        }
    }
#endif
    return std::any_of(text.begin() + static_cast<std::ptrdiff_t>(index), text.end(),
                       [](char16_t unit) { return IsSurrogate(unit); });
}

#if BLANKWISE_HAS_SSE2
constexpr std::size_t kMaxUnitsOfOneForm = 4;

// From this length on a text is counted by a vector compare with the units of the pattern's form,
// which are first found in the whole forms table: reading the table costs about what the unit by
// unit count costs on a sixteenth of this.
constexpr std::size_t kLengthWorthTheTableScan = std::size_t{1} << 15;

struct UnitsOfOneForm {
    std::array<char16_t, kMaxUnitsOfOneForm> units{};
    std::size_t count = 0;
};

// Every unit whose form is `form`, read from the table eight forms at a time; nothing when there
// are more than kMaxUnitsOfOneForm (the forms of unmapped units, which the API writes as '?').
std::optional<UnitsOfOneForm> FindUnitsOfForm(const std::uint16_t* forms, std::uint16_t form) {
    UnitsOfOneForm found;
    const __m128i wanted = _mm_set1_epi16(static_cast<short>(form));
    for (std::size_t first = 0; first < 0x10000; first += 8) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(forms + first));
        // The low one of each unit's two bits.
        for (auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(block, wanted))) & 0x5555u;
             mask != 0; mask &= mask - 1) {
            if (found.count == kMaxUnitsOfOneForm) {
                return std::nullopt;
            }
            found.units[found.count++] =
                static_cast<char16_t>(first + static_cast<std::size_t>(std::countr_zero(mask)) / 2);
        }
    }
    return found;
}

// The units of source that are one of units, eight at a time; nothing when source holds a
// surrogate. Each lane of a 16-bit counter takes at most one hit per block, so the counters are
// added up before they pass the largest positive 16-bit value.
std::optional<std::size_t> CountUnitsByVector(WideStringView source, const UnitsOfOneForm& units) {
    __m128i needles[kMaxUnitsOfOneForm];
    for (std::size_t i = 0; i < kMaxUnitsOfOneForm; ++i) {
        needles[i] = _mm_set1_epi16(static_cast<short>(units.units[i < units.count ? i : 0]));
    }
    const __m128i topBits = _mm_set1_epi16(static_cast<short>(0xF800));
    const __m128i surrogateBits = _mm_set1_epi16(static_cast<short>(0xD800));
    constexpr std::size_t kBlocksPerFlush = 0x4000;
    std::size_t count = 0;
    __m128i surrogates = _mm_setzero_si128();
    std::size_t index = 0;
    while (source.size() - index >= 8) {
        __m128i counters = _mm_setzero_si128();
        const std::size_t blocks = std::min((source.size() - index) / 8, kBlocksPerFlush);
        for (const std::size_t end = index + blocks * 8; index != end; index += 8) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source.data() + index));
            surrogates =
                _mm_or_si128(surrogates, _mm_cmpeq_epi16(_mm_and_si128(block, topBits), surrogateBits));
            const __m128i hits = _mm_or_si128(
                _mm_or_si128(_mm_cmpeq_epi16(block, needles[0]), _mm_cmpeq_epi16(block, needles[1])),
                _mm_or_si128(_mm_cmpeq_epi16(block, needles[2]), _mm_cmpeq_epi16(block, needles[3])));
            counters = _mm_sub_epi16(counters, hits);  // a hit is all ones, minus one
        }
        std::array<std::int32_t, 4> sums;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(sums.data()),
                         _mm_madd_epi16(counters, _mm_set1_epi16(1)));
        for (const std::int32_t sum : sums) {
            count += static_cast<std::size_t>(sum);
        }
    }
    if (_mm_movemask_epi8(surrogates) != 0) {
        return std::nullopt;
    }
    for (; index < source.size(); ++index) {
        if (IsSurrogate(source[index])) {
            return std::nullopt;
        }
        count += static_cast<std::size_t>(std::find(units.units.begin(), units.units.begin() + units.count,
                                                    source[index]) != units.units.begin() + units.count);
    }
    return count;
}
#endif

// The occurrences that CountOccurrences finds of a one-unit pattern's form in the multi-byte form of
// source, counted by units where the platform's forms are Shift-JIS characters of one unit each:
// the byte classes fall on the units' forms, so an occurrence is exactly a unit of the pattern's
// form, and two cannot overlap. Nothing where the platform has no such forms, or the pattern or
// the source holds a surrogate.
std::optional<std::size_t> CountUnitsOfForm(const TextPlatform& platform, WideStringView source,
                                            WideStringView pattern) {
    const std::uint16_t* forms = platform.ShiftJisUnitForms();
    if (forms == nullptr || pattern.size() != 1 || IsSurrogate(pattern.front())) {
        return std::nullopt;
    }
    // As CountOccurrences saturates its count.
    const auto saturated = [](std::size_t count) {
        return std::min<std::size_t>(count, std::numeric_limits<std::int32_t>::max());
    };
#if BLANKWISE_HAS_SSE2
    if (source.size() >= kLengthWorthTheTableScan) {
        if (const std::optional<UnitsOfOneForm> units = FindUnitsOfForm(forms, forms[pattern.front()])) {
            const std::optional<std::size_t> count = CountUnitsByVector(source, *units);
            return count ? std::optional(saturated(*count)) : std::nullopt;
        }
    }
#endif
    if (HoldsSurrogate(source)) {
        return std::nullopt;
    }
    // Equality in arithmetic (x - 1 wraps to all ones for x = 0 only), which the compiler keeps free
    // of branches, where a comparison became a branch mispredicted at every match.
    const std::uint32_t wanted = forms[pattern.front()];
    std::size_t count = 0;
    for (const char16_t unit : source) {
        count += static_cast<std::size_t>(((forms[unit] ^ wanted) - 1) >> 31);
    }
    return saturated(count);
}

}  // namespace

std::size_t ReplacedLengthEstimate(const TextPlatform& platform, WideStringView source,
                                   const TWideStringDynArray& patterns,
                                   const TWideStringDynArray& replacements) {
    std::size_t estimate = source.size();
    if (patterns.size() != replacements.size()) {
        return estimate;
    }
    MultiByteString sourceBytes;
    bool converted = false;
    for (std::size_t k = 0; k < patterns.size(); ++k) {
        // A pattern whose replacement is not longer adds nothing: its count is not needed.
        if (patterns[k].empty() || replacements[k].size() <= patterns[k].size()) {
            continue;
        }
        std::optional<std::size_t> count = CountUnitsOfForm(platform, source, patterns[k]);
        if (!count) {
            if (!converted) {
                sourceBytes = platform.ToMultiByte(source);
                converted = true;
            }
            count = static_cast<std::size_t>(
                CountOccurrences(platform.ToMultiByte(patterns[k]), sourceBytes, true, false));
        }
        estimate =
            SaturatedAdd(estimate, SaturatedMultiply(*count, replacements[k].size() - patterns[k].size()));
    }
    return estimate;
}

std::size_t ReplacedLengthEstimate(WideStringView source, const TWideStringDynArray& patterns,
                                   const TWideStringDynArray& replacements) {
    return ReplacedLengthEstimate(CurrentTextPlatform(), source, patterns, replacements);
}

}  // namespace MyLibrary
