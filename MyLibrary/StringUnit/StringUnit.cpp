#include "StringUnit.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>

#include "Assertion.h"
#include "MyLibrary/Encoding/Cp932.h"
#include "TextPlatform.h"
#include "VectorPaths.h"

namespace MyLibrary {
namespace {

constexpr std::size_t kNoPattern = static_cast<std::size_t>(-1);

std::int32_t SaturatedInt32(std::size_t value) {
    constexpr auto kMax = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
    return static_cast<std::int32_t>(std::min(value, kMax));
}

std::size_t SaturatedAdd(std::size_t a, std::size_t b) {
    return b > std::numeric_limits<std::size_t>::max() - a ? std::numeric_limits<std::size_t>::max() : a + b;
}

std::size_t SaturatedMultiply(std::size_t a, std::size_t b) {
    return a != 0 && b > std::numeric_limits<std::size_t>::max() / a ? std::numeric_limits<std::size_t>::max()
                                                                     : a * b;
}

// MatchAt with a 0-based index, so that texts longer than a 32-bit position can be scanned.
bool MatchAtIndex(const TextPlatform& platform, WideStringView pattern, WideStringView text,
                  std::size_t index, bool ignoreCase) {
    if (pattern.empty() || text.empty() || index > text.size() || pattern.size() > text.size() - index) {
        return false;
    }
    return platform.LocaleEqual(pattern, text.substr(index, pattern.size()), ignoreCase);
}

// Classes bytes left to right: the byte after a lead byte is its trail byte, any other byte is a
// lead byte when it lies in a lead-byte range and a single byte otherwise. This is the class that
// ByteTypeAt finds by scanning back over the run of lead-range bytes before a position (an odd run
// ends in a lead byte), at constant cost per byte instead of the length of the run.
class ForwardByteClassifier {
  public:
    TByteType Next(std::uint8_t byte) {
        const TByteType type =
            afterLead_ ? TByteType::Trail : (IsLeadByte(byte) ? TByteType::Lead : TByteType::Single);
        afterLead_ = type == TByteType::Lead;
        return type;
    }

    // Moves from the state before text[from] to the state before text[to] (from <= to) without
    // walking the bytes in between: only the run of lead-range bytes just before `to` matters, and
    // the scan back over it stops at `from`, so each skipped byte is read at most once.
    void Skip(MultiByteStringView text, std::size_t from, std::size_t to) {
        std::size_t leadRun = 0;
        while (to - leadRun > from && IsLeadByte(static_cast<std::uint8_t>(text[to - leadRun - 1]))) {
            ++leadRun;
        }
        const bool oddRun = leadRun % 2 == 1;
        // A run that reaches `from` continues the known state; a byte outside the lead ranges ends
        // any character, so a run after it starts afresh.
        afterLead_ = to - leadRun == from ? afterLead_ != oddRun : oddRun;
    }

  private:
    bool afterLead_ = false;
};

// A byte and its class as one value, folded when case is ignored: two bytes agree for
// CountOccurrences exactly when their keys are equal.
std::uint16_t OccurrenceKey(std::uint8_t byte, TByteType type, bool ignoreCase) {
    if (ignoreCase && byte >= 0x61 && byte <= 0x7A) {
        byte = static_cast<std::uint8_t>(byte - 0x20);
    }
    return static_cast<std::uint16_t>(byte | (static_cast<unsigned>(type) << 8));
}

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

    void Append(WideStringView units) {
        char16_t* out = Room(units.size());
        if (units.size() == 1) {
            *out = units.front();
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

std::size_t EstimateReplacedLength(const TextPlatform& platform, WideStringView source,
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
        if (!converted) {
            sourceBytes = platform.ToMultiByte(source);
            converted = true;
        }
        const auto count = static_cast<std::size_t>(
            CountOccurrences(platform.ToMultiByte(patterns[k]), sourceBytes, true, false));
        estimate =
            SaturatedAdd(estimate, SaturatedMultiply(count, replacements[k].size() - patterns[k].size()));
    }
    return estimate;
}

}  // namespace

MultiByteString ToMultiByte(WideStringView text) {
    return CurrentTextPlatform().ToMultiByte(text);
}

bool MatchAt(WideStringView pattern, WideStringView text, std::int32_t position, bool ignoreCase) {
    if (position < 1) {
        return false;
    }
    return MatchAtIndex(CurrentTextPlatform(), pattern, text, static_cast<std::size_t>(position - 1),
                        ignoreCase);
}

bool MatchCaseAt(WideStringView pattern, WideStringView text, std::int32_t position) {
    return MatchAt(pattern, text, position, false);
}

bool MatchIgnoreCaseAt(WideStringView pattern, WideStringView text, std::int32_t position) {
    return MatchAt(pattern, text, position, true);
}

WideString CopyRange(WideStringView text, std::int32_t first, std::int32_t last) {
    const std::int64_t from = std::max<std::int64_t>(first, 1);
    const std::int64_t to = std::min<std::int64_t>(last, static_cast<std::int64_t>(text.size()));
    if (to < from) {
        return {};
    }
    return WideString(
        text.substr(static_cast<std::size_t>(from - 1), static_cast<std::size_t>(to - from + 1)));
}

bool IsLeadByte(std::uint8_t byte) {
    return IsCp932LeadByte(byte);
}

TByteType ByteTypeAt(MultiByteStringView text, std::int32_t position) {
    if (position < 1 || static_cast<std::size_t>(position) > text.size()) {
        return TByteType::Single;
    }
    const auto index = static_cast<std::size_t>(position - 1);
    std::size_t leadRun = 0;
    while (leadRun < index && IsLeadByte(static_cast<std::uint8_t>(text[index - 1 - leadRun]))) {
        ++leadRun;
    }
    if (leadRun % 2 == 1) {
        return TByteType::Trail;
    }
    return IsLeadByte(static_cast<std::uint8_t>(text[index])) ? TByteType::Lead : TByteType::Single;
}

std::int32_t DisplayColumns(MultiByteStringView text, std::int32_t characterCount) {
    if (characterCount <= 0 || text.empty()) {
        return 0;
    }
    const std::size_t wanted = std::min(static_cast<std::size_t>(characterCount), text.size());
    std::size_t completed = 0;
    ForwardByteClassifier classifier;
    for (std::size_t index = 0; index < text.size(); ++index) {
        switch (classifier.Next(static_cast<std::uint8_t>(text[index]))) {
            case TByteType::Single:
            case TByteType::Trail:
                ++completed;
                break;
            case TByteType::Lead:
                break;
            default:
                RaiseAssertion("エラー", "MyLibrary/StringUnit/StringUnit", 434);
        }
        if (completed == wanted) {
            return SaturatedInt32(index + 1);
        }
    }
    // Fewer characters than asked for, or a lead byte without its trail at the end.
    return SaturatedInt32(text.size());
}

// An occurrence is a run of bytes whose keys (byte, class, folded) equal the pattern's keys, so
// the count is a plain string search over keys: Knuth-Morris-Pratt keeps it linear in the text
// and the pattern, with the text's classes found in the same forward walk.
std::int32_t CountOccurrences(MultiByteStringView pattern, MultiByteStringView text, bool nonOverlapping,
                              bool ignoreCase) {
    if (pattern.empty() || pattern.size() > text.size()) {
        return 0;
    }
    const std::size_t length = pattern.size();
    std::vector<std::uint16_t> keys(length);
    ForwardByteClassifier patternClasses;
    for (std::size_t j = 0; j < length; ++j) {
        const auto byte = static_cast<std::uint8_t>(pattern[j]);
        keys[j] = OccurrenceKey(byte, patternClasses.Next(byte), ignoreCase);
    }
    // border[j]: the length of the longest proper prefix of keys[0..j] that is also its suffix.
    std::vector<std::size_t> border(length, 0);
    for (std::size_t j = 1, matched = 0; j < length; ++j) {
        while (matched > 0 && keys[j] != keys[matched]) {
            matched = border[matched - 1];
        }
        if (keys[j] == keys[matched]) {
            ++matched;
        }
        border[j] = matched;
    }

    // With nothing matched, an occurrence can only start at a byte equal to the pattern's first
    // byte: jump there with memchr, unless case folding lets two bytes start one.
    const auto firstByte = static_cast<std::uint8_t>(pattern.front());
    const bool canSkip = !(
        ignoreCase && ((firstByte >= 0x41 && firstByte <= 0x5A) || (firstByte >= 0x61 && firstByte <= 0x7A)));
    std::size_t count = 0;
    std::size_t matched = 0;
    ForwardByteClassifier textClasses;
    for (std::size_t index = 0; index < text.size(); ++index) {
        if (matched == 0 && canSkip) {
            const void* found = std::memchr(text.data() + index, firstByte, text.size() - index);
            if (found == nullptr) {
                break;
            }
            const auto next = static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
            textClasses.Skip(text, index, next);
            index = next;
        }
        const auto byte = static_cast<std::uint8_t>(text[index]);
        const std::uint16_t key = OccurrenceKey(byte, textClasses.Next(byte), ignoreCase);
        while (matched > 0 && key != keys[matched]) {
            matched = border[matched - 1];
        }
        if (key == keys[matched]) {
            ++matched;
        }
        if (matched == length) {
            ++count;
            // Non-overlapping: the next start tried is just past this occurrence.
            matched = nonOverlapping ? 0 : border[length - 1];
        }
    }
    return SaturatedInt32(count);
}

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
    const std::size_t estimate = EstimateReplacedLength(platform, source, patterns, replacements);

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
    return Scan(
        source, patterns, replacements, replaceAll, estimate, [](std::size_t index) { return index; },
        [&](std::size_t index) {
            for (std::size_t k = 0; k < patterns.size(); ++k) {
                if (MatchAtIndex(platform, patterns[k], source, index, ignoreCase)) {
                    return k;
                }
            }
            return kNoPattern;
        });
}

std::size_t ReplacedLengthEstimate(WideStringView source, const TWideStringDynArray& patterns,
                                   const TWideStringDynArray& replacements) {
    return EstimateReplacedLength(CurrentTextPlatform(), source, patterns, replacements);
}

}  // namespace MyLibrary
