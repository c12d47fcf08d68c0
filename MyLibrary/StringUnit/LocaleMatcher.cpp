#include "MyLibrary/StringUnit/LocaleMatcher.h"

#include <algorithm>
#include <array>
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

std::size_t LocaleUnitTable::CopyUnmatched(WideStringView text, std::size_t from, char16_t* out) const {
    const std::uint8_t* const entries = entries_.data();
    const char16_t* const units = text.data();
    std::size_t index = from;
    for (; index < text.size() && entries[units[index]] == kNone; ++index) {
        out[index - from] = units[index];
    }
    return index;
}

std::size_t LocaleUnitTable::WriteReplaced(WideStringView text, const TWideStringDynArray& replacements,
                                           char16_t* out) {
    // By entry: the bits of the unit kept (all of them where no pattern matches, none where one
    // does), the units put in their place (a replacement's first and second), and how many of the
    // two units written count. So each unit costs two lookups and no branch.
    std::array<std::uint32_t, 256> keptBits{};
    std::array<std::uint32_t, 256> putUnits{};
    std::array<std::uint8_t, 256> lengthOf{};
    for (std::size_t k = 0; k < std::min(replacements.size(), patterns_.size()); ++k) {
        const WideString& replacement = replacements[k];
        putUnits[k] = (replacement.empty() ? 0u : std::uint32_t{replacement[0]}) |
                      (replacement.size() < 2 ? 0u : std::uint32_t{replacement[1]} << 16);
        lengthOf[k] = static_cast<std::uint8_t>(replacement.size());
    }
    keptBits[kNone] = 0xFFFF;
    lengthOf[kNone] = 1;
    const std::uint8_t* const entries = entries_.data();  // Resolve fills in, never moves, the table
    char16_t* at = out;
    for (const char16_t unit : text) {
        std::uint8_t entry = entries[unit];
        if (entry == kUnknown) {
            entry = Resolve(unit);
        }
        const std::uint32_t units = (unit & keptBits[entry]) | putUnits[entry];
        at[0] = static_cast<char16_t>(units);
        at[1] = static_cast<char16_t>(units >> 16);
        at += lengthOf[entry];
    }
    return static_cast<std::size_t>(at - out);
}

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
