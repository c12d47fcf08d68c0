#include "MyLibrary/StringUnit/LocaleMatcher.h"

#include <algorithm>
#include <bit>

#include "MyLibrary/StringUnit/TextPlatform.h"

namespace MyLibrary {

LocaleMatcher::LocaleMatcher(const TextPlatform& platform, WideStringView pattern, bool ignoreCase,
                             std::size_t textLength)
    : platform_(platform), pattern_(pattern), ignoreCase_(ignoreCase) {
    if (pattern.size() <= 2) {
        slotMask_ = std::bit_ceil(std::clamp(textLength, kMinSlots, kMaxSlots)) - 1;
    }
}

bool LocaleMatcher::Ask(WideStringView window) const {
    return platform_.LocaleEqual(pattern_, window, ignoreCase_);
}

bool LocaleMatcher::Remember(WideStringView window, std::uint32_t key, std::size_t slotIndex) {
    if (slots_.empty()) {
        slots_.resize(slotMask_ + 1);
    }
    const bool equal = Ask(window);
    slots_[slotIndex] = {key, equal ? kEqual : kDiffers};
    return equal;
}

LocaleUnitTable::LocaleUnitTable(const TextPlatform& platform, const TWideStringDynArray& patterns,
                                 bool ignoreCase)
    : platform_(platform), patterns_(patterns), ignoreCase_(ignoreCase), entries_(0x10000, kUnknown) {}

std::uint8_t LocaleUnitTable::Resolve(char16_t unit) {
    std::uint8_t entry = kNone;
    for (std::size_t k = 0; k < patterns_.size(); ++k) {
        if (!patterns_[k].empty() &&
            platform_.LocaleEqual(patterns_[k], WideStringView(&unit, 1), ignoreCase_)) {
            entry = static_cast<std::uint8_t>(k);
            break;
        }
    }
    entries_[unit] = entry;
    return entry;
}

LocaleFirstMatchTable::LocaleFirstMatchTable(const TextPlatform& platform,
                                             std::span<const WideString> patterns, bool ignoreCase,
                                             std::size_t textLength)
    : platform_(platform),
      patterns_(patterns),
      ignoreCase_(ignoreCase),
      slotMask_(std::bit_ceil(std::clamp(textLength, std::size_t{64}, std::size_t{1} << 16)) - 1),
      slots_(slotMask_ + 1) {}

// The comparisons MatchesAt would make at a position with this window, pattern by pattern: a
// pattern longer than the window does not fit, an empty one never matches.
std::size_t LocaleFirstMatchTable::Remember(WideStringView window, std::uint32_t key, std::uint8_t kind,
                                            std::size_t slotIndex) {
    std::size_t found = kNoPattern;
    for (std::size_t k = 0; k < patterns_.size(); ++k) {
        const WideString& pattern = patterns_[k];
        if (!pattern.empty() && pattern.size() <= window.size() &&
            platform_.LocaleEqual(pattern, window.substr(0, pattern.size()), ignoreCase_)) {
            found = k;
            break;
        }
    }
    slots_[slotIndex] = {key, kind, found == kNoPattern ? kNone : static_cast<std::uint8_t>(found)};
    return found;
}

}  // namespace MyLibrary
