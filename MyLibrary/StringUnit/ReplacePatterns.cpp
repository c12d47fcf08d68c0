#include <algorithm>
#include <array>
#include <bit>
#include <vector>

#include "MyLibrary/StringUnit/LocaleMatcher.h"
#include "MyLibrary/StringUnit/SaturatedArithmetic.h"
#include "MyLibrary/StringUnit/StringUnit.h"
#include "MyLibrary/StringUnit/TextPlatform.h"
#include "MyLibrary/StringUnit/VectorPaths.h"

namespace MyLibrary {
namespace {

constexpr std::size_t kNoPattern = LocaleUnitTable::kNoPattern;

// The first units of the non-empty patterns: no pattern can match by code units where none of
// them stands. Units() lists them in the order of their first pattern in the list.
class FirstUnitSet {
  public:
    explicit FirstUnitSet(const TWideStringDynArray& patterns) {
        for (std::size_t k = 0; k < patterns.size(); ++k) {
            const WideString& pattern = patterns[k];
            if (!pattern.empty() && !Contains(pattern.front())) {
                bitmap_[pattern.front() / 64] |= std::uint64_t{1} << (pattern.front() % 64);
                units_.push_back(pattern.front());
                firstPatterns_.push_back(k);
            }
        }
    }

    bool Contains(char16_t unit) const { return (bitmap_[unit / 64] >> (unit % 64)) & 1; }

    const std::vector<char16_t>& Units() const { return units_; }

    // The first pattern in list order that starts with Units()[i].
    std::size_t FirstPattern(std::size_t i) const { return firstPatterns_[i]; }

    // The first index from `from` on where a first unit stands, or the text's length.
    std::size_t Next(WideStringView text, std::size_t from) const {
        if (units_.empty()) {
            return text.size();
        }
        while (from < text.size() && !Contains(text[from])) {
            ++from;
        }
        return from;
    }

  private:
    std::array<std::uint64_t, 0x10000 / 64> bitmap_{};
    std::vector<char16_t> units_;
    std::vector<std::size_t> firstPatterns_;
};

// The result of a scan, sized to the estimate up front and written through an index; it grows
// (to at least twice its size) only when the scan appends more than the estimate.
class ResultBuffer {
  public:
    explicit ResultBuffer(std::size_t estimate) { text_.resize(estimate); }

    // Space for at least `count` more units at the end of what was written.
    char16_t* Room(std::size_t count) {
        if (count > text_.size() - used_) {
            const std::size_t doubled = std::min(SaturatedMultiply(text_.size(), 2), text_.max_size());
            text_.resize(std::max(SaturatedAdd(used_, count), doubled));
        }
        return text_.data() + used_;
    }

    void Advance(std::size_t count) { used_ += count; }

    // Replacements of one or two units (the conversions' spaces) are copied inline rather than by
    // a call of the library's copy, which costs more than the copy itself.
    void Append(WideStringView units) {
        char16_t* out = Room(units.size());
        if (units.size() == 1) {
            out[0] = units[0];
        } else if (units.size() == 2) {
            out[0] = units[0];
            out[1] = units[1];
        } else {
            std::char_traits<char16_t>::copy(out, units.data(), units.size());
        }
        used_ += units.size();
    }

    WideString Take() {
        text_.resize(used_);
        return std::move(text_);
    }

  private:
    WideString text_;
    std::size_t used_ = 0;
};

// The first pattern in list order that matches at the index by code units, or kNoPattern.
std::size_t FirstPatternByCodeUnits(const TWideStringDynArray& patterns, WideStringView source,
                                    std::size_t index) {
    const WideStringView rest = source.substr(index);
    for (std::size_t k = 0; k < patterns.size(); ++k) {
        const WideString& pattern = patterns[k];
        if (!pattern.empty() && pattern.front() == rest.front() && rest.starts_with(pattern)) {
            return k;
        }
    }
    return kNoPattern;
}

// The left-to-right pass shared by both comparisons. nextCandidate(index) gives the first index
// from `index` on at which a pattern may match (every index in between is known to match none);
// matchAt(index) gives the first pattern in list order that matches there, or kNoPattern.
// Unreplaced units are copied in runs, one append per run.
template <typename NextCandidate, typename MatchAtIndexFn>
WideString Scan(WideStringView source, const TWideStringDynArray& patterns,
                const TWideStringDynArray& replacements, bool replaceAll, std::size_t estimate,
                NextCandidate nextCandidate, MatchAtIndexFn matchAt) {
    ResultBuffer result(estimate);
    std::size_t copied = 0;
    std::size_t position = nextCandidate(0);
    while (position < source.size()) {
        const std::size_t k = matchAt(position);
        if (k == kNoPattern) {
            position = nextCandidate(position + 1);
            continue;
        }
        result.Append(source.substr(copied, position - copied));
        result.Append(replacements[k]);
        position += patterns[k].size();
        copied = position;
        if (!replaceAll) {
            break;
        }
        position = nextCandidate(position);
    }
    result.Append(source.substr(copied));
    return result.Take();
}

#if BLANKWISE_HAS_SSE2
constexpr std::size_t kMaxVectorFirstUnits = 4;

// The code-unit scan eight units at a time, for at most kMaxVectorFirstUnits distinct first units.
// Each block is stored to the result as it is read; when it holds a candidate, the result keeps
// the units before it, the candidate is replaced or kept, and the next block is read from just
// after it. So every unreplaced unit is copied by a block store, with no call per run.
WideString ScanByVector(WideStringView source, const TWideStringDynArray& patterns,
                        const TWideStringDynArray& replacements, bool replaceAll, std::size_t estimate,
                        const FirstUnitSet& firstUnits) {
    constexpr std::size_t kBlock = sizeof(__m128i) / sizeof(char16_t);
    __m128i needles[kMaxVectorFirstUnits];
    const std::size_t needleCount = firstUnits.Units().size();
    for (std::size_t i = 0; i < needleCount; ++i) {
        needles[i] = _mm_set1_epi16(static_cast<short>(firstUnits.Units()[i]));
    }

    // Room for one block past the estimate, so that a result that meets it needs no growth.
    ResultBuffer result(SaturatedAdd(estimate, kBlock));
    std::size_t position = 0;
    while (source.size() - position >= kBlock) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source.data() + position));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(result.Room(kBlock)), block);
        __m128i hits = _mm_cmpeq_epi16(block, needles[0]);
        for (std::size_t i = 1; i < needleCount; ++i) {
            hits = _mm_or_si128(hits, _mm_cmpeq_epi16(block, needles[i]));
        }
        const auto mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
        if (mask == 0) {
            position += kBlock;
            result.Advance(kBlock);
            continue;
        }
        const std::size_t offset = static_cast<std::size_t>(std::countr_zero(mask)) / sizeof(char16_t);
        position += offset;
        result.Advance(offset);
        const std::size_t k = FirstPatternByCodeUnits(patterns, source, position);
        if (k == kNoPattern) {
            ++position;
            result.Advance(1);
            continue;
        }
        result.Append(replacements[k]);
        position += patterns[k].size();
        if (!replaceAll) {
            result.Append(source.substr(position));
            return result.Take();
        }
    }
    // Fewer units than a block remain.
    while (position < source.size()) {
        const std::size_t k = firstUnits.Contains(source[position])
                                  ? FirstPatternByCodeUnits(patterns, source, position)
                                  : kNoPattern;
        if (k == kNoPattern) {
            result.Append(source.substr(position, 1));
            ++position;
            continue;
        }
        result.Append(replacements[k]);
        position += patterns[k].size();
        if (!replaceAll) {
            result.Append(source.substr(position));
            break;
        }
    }
    return result.Take();
}
#endif

// True when every non-empty pattern is one unit and so is its replacement: the scan then maps
// units to units one for one, and the result has the source's length.
bool IsUnitMap(const TWideStringDynArray& patterns, const TWideStringDynArray& replacements) {
    for (std::size_t k = 0; k < patterns.size(); ++k) {
        if (!patterns[k].empty() && (patterns[k].size() != 1 || replacements[k].size() != 1)) {
            return false;
        }
    }
    return true;
}

// The code-unit scan for a unit map: a copy of the source in which each unit that starts a pattern
// becomes the replacement of the first such pattern in the list (only the first such unit when
// replaceAll is false). With SSE2 and few units the copy is rewritten eight units at a time.
WideString MapUnits(WideStringView source, const TWideStringDynArray& replacements, bool replaceAll,
                    const FirstUnitSet& firstUnits) {
    const std::vector<char16_t>& from = firstUnits.Units();
    std::vector<char16_t> to(from.size());
    for (std::size_t i = 0; i < from.size(); ++i) {
        to[i] = replacements[firstUnits.FirstPattern(i)].front();
    }
    const auto mapped = [&](char16_t unit) {
        return to[static_cast<std::size_t>(std::find(from.begin(), from.end(), unit) - from.begin())];
    };

    WideString result(source);
    if (from.empty()) {
        return result;
    }
    if (!replaceAll) {
        const std::size_t first = firstUnits.Next(source, 0);
        if (first < result.size()) {
            result[first] = mapped(result[first]);
        }
        return result;
    }
    std::size_t position = 0;
#if BLANKWISE_HAS_SSE2
    if (from.size() <= kMaxVectorFirstUnits) {
        constexpr std::size_t kBlock = sizeof(__m128i) / sizeof(char16_t);
        __m128i fromVectors[kMaxVectorFirstUnits];
        __m128i toVectors[kMaxVectorFirstUnits];
        for (std::size_t i = 0; i < from.size(); ++i) {
            fromVectors[i] = _mm_set1_epi16(static_cast<short>(from[i]));
            toVectors[i] = _mm_set1_epi16(static_cast<short>(to[i]));
        }
        for (; result.size() - position >= kBlock; position += kBlock) {
            auto* at = reinterpret_cast<__m128i*>(result.data() + position);
            // Compare the units as they were, so that a unit mapped to another first unit is not
            // mapped twice; the first units are distinct, so at most one comparison hits.
            const __m128i block = _mm_loadu_si128(at);
            __m128i out = block;
            for (std::size_t i = 0; i < from.size(); ++i) {
                const __m128i hit = _mm_cmpeq_epi16(block, fromVectors[i]);
                out = _mm_or_si128(_mm_andnot_si128(hit, out), _mm_and_si128(hit, toVectors[i]));
            }
            _mm_storeu_si128(at, out);
        }
    }
#endif
    for (; position < result.size(); ++position) {
        if (firstUnits.Contains(result[position])) {
            result[position] = mapped(result[position]);
        }
    }
    return result;
}

// The scan with one-unit patterns, unit by unit: a unit no pattern matches is copied as it is,
// one that a pattern matches becomes that pattern's replacement. The units between two matches are
// copied as one run, with room made once for all the units left.
WideString ReplaceUnitsByTable(WideStringView source, const TWideStringDynArray& replacements,
                               bool replaceAll, std::size_t estimate, LocaleUnitTable& table) {
    ResultBuffer result(estimate);
    std::size_t index = 0;
    while (index < source.size()) {
        const std::size_t runEnd = table.CopyUnmatched(source, index, result.Room(source.size() - index));
        result.Advance(runEnd - index);
        index = runEnd;
        if (index == source.size()) {
            break;
        }
        const std::size_t k = table.PatternFor(source[index]);
        if (k == kNoPattern) {  // a unit met for the first time, which no pattern matches
            result.Append(source.substr(index, 1));
            ++index;
            continue;
        }
        result.Append(replacements[k]);
        ++index;
        if (!replaceAll) {
            result.Append(source.substr(index));
            break;
        }
    }
    return result.Take();
}

// The scan with one-unit patterns and replacements of at most two units, every match replaced:
// LocaleUnitTable::WriteReplaced over pieces of the source, with room for each piece's widest
// result made before it. The room left past the estimate for the last piece keeps a result that
// meets the estimate from growing; one the locale makes longer grows as it needs.
WideString ReplaceAllByTable(WideStringView source, const TWideStringDynArray& replacements,
                             std::size_t estimate, LocaleUnitTable& table) {
    constexpr std::size_t kPiece = std::size_t{1} << 12;
    const std::size_t widest = LocaleUnitTable::WidestReplacement(replacements);
    ResultBuffer result(SaturatedAdd(estimate, widest * kPiece + 1));
    for (std::size_t from = 0; from < source.size(); from += kPiece) {
        const WideStringView piece = source.substr(from, kPiece);
        result.Advance(table.WriteReplaced(piece, replacements, result.Room(piece.size() * widest + 1)));
    }
    return result.Take();
}

}  // namespace

WideString ReplacePatterns(WideStringView source, const TWideStringDynArray& patterns,
                           const TWideStringDynArray& replacements, bool ignoreCase, bool replaceAll) {
    return ReplacePatterns(CurrentTextPlatform(), source, patterns, replacements, ignoreCase, replaceAll);
}

WideString ReplacePatterns(const TextPlatform& platform, WideStringView source,
                           const TWideStringDynArray& patterns, const TWideStringDynArray& replacements,
                           bool ignoreCase, bool replaceAll) {
    if (patterns.empty() || patterns.size() != replacements.size()) {
        return WideString(source);
    }
    if (source.empty()) {
        return {};
    }
    const std::size_t estimate = ReplacedLengthEstimate(platform, source, patterns, replacements);

    if (platform.ComparesByCodeUnit() && !ignoreCase) {
        // The locale's comparison is code-unit equality here, so no pattern can match where its
        // first unit does not stand: skip to the next such unit and confirm with a unit compare.
        const FirstUnitSet firstUnits(patterns);
        if (IsUnitMap(patterns, replacements)) {
            return MapUnits(source, replacements, replaceAll, firstUnits);
        }
#if BLANKWISE_HAS_SSE2
        if (!firstUnits.Units().empty() && firstUnits.Units().size() <= kMaxVectorFirstUnits) {
            return ScanByVector(source, patterns, replacements, replaceAll, estimate, firstUnits);
        }
#endif
        return Scan(
            source, patterns, replacements, replaceAll, estimate,
            [&](std::size_t index) { return firstUnits.Next(source, index); },
            [&](std::size_t index) { return FirstPatternByCodeUnits(patterns, source, index); });
    }
    // The locale may call other units equal to a pattern's, or ignore some: every position is a
    // candidate, and the answers are remembered by the units compared.
    if (LocaleUnitTable::Serves(patterns)) {
        LocaleUnitTable table(platform, patterns, ignoreCase);
        if (replaceAll && LocaleUnitTable::WidestReplacement(replacements) <= 2) {
            return ReplaceAllByTable(source, replacements, estimate, table);
        }
        return ReplaceUnitsByTable(source, replacements, replaceAll, estimate, table);
    }
    if (LocaleFirstMatchTable::Serves(patterns)) {
        LocaleFirstMatchTable table(platform, patterns, ignoreCase, source.size());
        return Scan(
            source, patterns, replacements, replaceAll, estimate, [](std::size_t index) { return index; },
            [&](std::size_t index) { return table.PatternAt(source, index); });
    }
    std::vector<LocaleMatcher> matchers;
    matchers.reserve(patterns.size());
    for (const WideString& pattern : patterns) {
        matchers.emplace_back(platform, pattern, ignoreCase, source.size());
    }
    return Scan(
        source, patterns, replacements, replaceAll, estimate, [](std::size_t index) { return index; },
        [&](std::size_t index) {
            for (std::size_t k = 0; k < matchers.size(); ++k) {
                if (matchers[k].MatchesAt(source, index)) {
                    return k;
                }
            }
            return kNoPattern;
        });
}

}  // namespace MyLibrary
