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

}  // namespace MyLibrary
