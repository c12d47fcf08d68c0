#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "MyLibrary/Encoding/Cp932.h"
#include "MyLibrary/StringUnit/Assertion.h"
#include "MyLibrary/StringUnit/StringUnit.h"

namespace MyLibrary {
namespace {

// The column measure's consistency check, as the failure names it.
constexpr const char* kColumnCheckText = "エラー";
constexpr const char* kColumnCheckSource = "MyLibrary/StringUnit/StringUnit";
constexpr int kColumnCheckLine = 434;

std::int32_t SaturatedInt32(std::size_t value) {
    constexpr auto kMax = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
    return static_cast<std::int32_t>(std::min(value, kMax));
}

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

}  // namespace

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
                RaiseAssertion(kColumnCheckText, kColumnCheckSource, kColumnCheckLine);
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

}  // namespace MyLibrary
