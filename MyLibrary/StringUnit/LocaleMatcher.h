#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "MyLibrary/StringUnit/StringUnit.h"

namespace MyLibrary {

class TextPlatform;

// MatchAt for one pattern over one text, by the locale comparison of a platform, asked once per
// distinct compared window instead of once per position. With the locale and the flags fixed, the
// comparison of the pattern with the pattern.size() units of the text at a position is a function
// of those units alone, so its answer can be remembered by them: exact, whatever units the locale
// equates or ignores. Windows of one and two units (the spaces, tabs and line breaks the
// conversions search for) are remembered in a direct-mapped table sized to the text; longer
// patterns ask the platform at every position.
class LocaleMatcher {
  public:
    LocaleMatcher(const TextPlatform& platform, WideStringView pattern, bool ignoreCase,
                  std::size_t textLength);

    // True when the pattern occurs in text at the 0-based index: MatchAt(pattern, text, index + 1,
    // ignoreCase) without its 32-bit position. False for an empty pattern or one that would not fit.
    bool MatchesAt(WideStringView text, std::size_t index) {
        if (pattern_.empty() || index > text.size() || text.size() - index < pattern_.size()) {
            return false;
        }
        const WideStringView window = text.substr(index, pattern_.size());
        if (slotMask_ == 0) {
            return Ask(window);
        }
        std::uint32_t key = window[0];
        std::size_t slotIndex = key & slotMask_;  // its own slot when the table has one per unit
        if (window.size() == 2 || slotMask_ + 1 < kMaxSlots) {
            key |= window.size() == 2 ? std::uint32_t{window[1]} << 16 : 0;
            slotIndex = ((key * 0x9E3779B1u) >> 16) & slotMask_;
        }
        const Slot slot = slots_.empty() ? Slot{} : slots_[slotIndex];
        if (slot.answer != kUnknown && slot.window == key) {
            return slot.answer == kEqual;
        }
        return Remember(window, key, slotIndex);
    }

    std::size_t PatternLength() const { return pattern_.size(); }

  private:
    // Enough slots that every one-unit window has its own and a short text never evicts; few
    // enough that matching in a short text stays cheap.
    static constexpr std::size_t kMinSlots = 64;
    static constexpr std::size_t kMaxSlots = std::size_t{1} << 16;

    struct Slot {
        std::uint32_t window = 0;
        std::uint8_t answer = kUnknown;
    };
    static constexpr std::uint8_t kUnknown = 0;
    static constexpr std::uint8_t kDiffers = 1;
    static constexpr std::uint8_t kEqual = 2;

    bool Ask(WideStringView window) const;
    bool Remember(WideStringView window, std::uint32_t key, std::size_t slotIndex);

    const TextPlatform& platform_;
    WideStringView pattern_;
    bool ignoreCase_;
    std::size_t slotMask_ = 0;
    std::vector<Slot> slots_;  // made on the first comparison
};

// For patterns of one unit each, the locale compares one unit with one unit, so the first pattern
// that matches at a position is a function of the unit there alone. The table remembers it for
// each unit as the scan meets it: one comparison per distinct unit and pattern, and one lookup per
// position.
class LocaleUnitTable {
  public:
    static constexpr std::size_t kMaxPatterns = 250;
    static constexpr std::size_t kNoPattern = static_cast<std::size_t>(-1);

    // True for at most kMaxPatterns patterns of at most one unit each.
    static bool Serves(const TWideStringDynArray& patterns) {
        return patterns.size() <= kMaxPatterns &&
               std::all_of(patterns.begin(), patterns.end(),
                           [](const WideString& p) { return p.size() <= 1; });
    }

    LocaleUnitTable(const TextPlatform& platform, const TWideStringDynArray& patterns, bool ignoreCase);

    // The first pattern in list order that the locale calls equal to unit, or kNoPattern.
    std::size_t PatternFor(char16_t unit) {
        std::uint8_t entry = entries_[unit];
        if (entry == kUnknown) {
            entry = Resolve(unit);
        }
        return entry == kNone ? kNoPattern : entry;
    }

    // Copies the units of text from index `from` on to out, up to the first one that a pattern may
    // match (one not met before counts as such), and gives that one's index, or text.size(): the
    // run of units a scan keeps, without a call per unit.
    std::size_t CopyUnmatched(WideStringView text, std::size_t from, char16_t* out) const;

    // The scan where no replacement is longer than two units (the swaps of spaces and tabs, the
    // deletions, a full-width space to two spaces): text written to out with each unit that a
    // pattern matches replaced by that pattern's replacement, without a branch per match. out has
    // room for text.size() * WidestReplacement(replacements) + 1 units. Gives the number written.
    std::size_t WriteReplaced(WideStringView text, const TWideStringDynArray& replacements, char16_t* out);
    // The longest of the replacements, at least 1; more than 2 where WriteReplaced does not serve.
    static std::size_t WidestReplacement(const TWideStringDynArray& replacements) {
        std::size_t widest = 1;
        for (const WideString& replacement : replacements) {
            widest = std::max(widest, replacement.size());
        }
        return widest;
    }

  private:
    static constexpr std::uint8_t kNone = 0xFE;
    static constexpr std::uint8_t kUnknown = 0xFF;

    std::uint8_t Resolve(char16_t unit);

    const TextPlatform& platform_;
    const TWideStringDynArray& patterns_;
    bool ignoreCase_;
    std::vector<std::uint8_t> entries_;
};

// For patterns of at most two units each, the first pattern in list order that matches at a
// position is a function of the two units there (of the one unit where the text ends), so it is
// remembered by them: one lookup per position for all the patterns together, and the comparisons of
// the uncached scan once per distinct window. The line breaks and the two-space pattern are such
// patterns. Windows are remembered in a direct-mapped table sized to the text, as in LocaleMatcher.
class LocaleFirstMatchTable {
  public:
    static constexpr std::size_t kMaxPatterns = 250;
    static constexpr std::size_t kNoPattern = static_cast<std::size_t>(-1);

    // True for at most kMaxPatterns patterns of at most two units each.
    static bool Serves(std::span<const WideString> patterns) {
        return patterns.size() <= kMaxPatterns &&
               std::all_of(patterns.begin(), patterns.end(),
                           [](const WideString& p) { return p.size() <= 2; });
    }

    LocaleFirstMatchTable(const TextPlatform& platform, std::span<const WideString> patterns, bool ignoreCase,
                          std::size_t textLength);

    // The first pattern in list order that the locale calls equal to the units of text at the
    // 0-based index (index < text.size()), or kNoPattern: what asking each pattern's MatchesAt in
    // turn would give.
    std::size_t PatternAt(WideStringView text, std::size_t index) {
        const bool pair = text.size() - index >= 2;
        const std::uint32_t window = text[index] | (pair ? std::uint32_t{text[index + 1]} << 16 : 0);
        const std::uint8_t kind = pair ? kPair : kSingle;
        const std::size_t slotIndex = ((window * 0x9E3779B1u) >> 16) & slotMask_;
        const Slot slot = slots_[slotIndex];
        if (slot.kind == kind && slot.window == window) {
            return slot.pattern == kNone ? kNoPattern : slot.pattern;
        }
        return Remember(text.substr(index, pair ? 2 : 1), window, kind, slotIndex);
    }

  private:
    struct Slot {
        std::uint32_t window = 0;
        std::uint8_t kind = 0;  // kUnknown, or whether the window is two units or one
        std::uint8_t pattern = 0;
    };
    static constexpr std::uint8_t kUnknown = 0;
    static constexpr std::uint8_t kPair = 1;
    static constexpr std::uint8_t kSingle = 2;
    static constexpr std::uint8_t kNone = 0xFF;

    std::size_t Remember(WideStringView window, std::uint32_t key, std::uint8_t kind, std::size_t slotIndex);

    const TextPlatform& platform_;
    std::span<const WideString> patterns_;
    bool ignoreCase_;
    std::size_t slotMask_;
    std::vector<Slot> slots_;
};

}  // namespace MyLibrary
