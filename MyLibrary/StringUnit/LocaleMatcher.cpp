#include "MyLibrary/StringUnit/LocaleMatcher.h"

#include <algorithm>
#include <bit>

#include "MyLibrary/StringUnit/TextPlatform.h"

namespace MyLibrary {
namespace {

// Enough slots that every one-unit window has its own and a short text never evicts; few enough
// that matching in a short text stays cheap.
constexpr std::size_t kMinSlots = 64;
constexpr std::size_t kMaxSlots = std::size_t{1} << 16;

}  // namespace

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

bool LocaleMatcher::MatchesAt(WideStringView text, std::size_t index) {
    if (pattern_.empty() || index > text.size() || text.size() - index < pattern_.size()) {
        return false;
    }
    const WideStringView window = text.substr(index, pattern_.size());
    if (slotMask_ == 0) {
        return Ask(window);
    }
    // A one-unit window is its own slot index when the table has a slot for every unit.
    std::uint32_t key = window[0];
    std::size_t slotIndex = key & slotMask_;
    if (window.size() == 2) {
        key |= std::uint32_t{window[1]} << 16;
        slotIndex = ((key * 0x9E3779B1u) >> 16) & slotMask_;
    } else if (slotMask_ + 1 < kMaxSlots) {
        slotIndex = ((key * 0x9E3779B1u) >> 16) & slotMask_;
    }
    if (slots_.empty()) {
        slots_.resize(slotMask_ + 1);
    }
    Slot& slot = slots_[slotIndex];
    if (slot.answer == kUnknown || slot.window != key) {
        slot.window = key;
        slot.answer = Ask(window) ? kEqual : kDiffers;
    }
    return slot.answer == kEqual;
}

}  // namespace MyLibrary
