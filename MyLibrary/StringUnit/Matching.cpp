#include <algorithm>

#include "MyLibrary/StringUnit/StringUnit.h"
#include "MyLibrary/StringUnit/TextPlatform.h"

namespace MyLibrary {

MultiByteString ToMultiByte(WideStringView text) {
    return CurrentTextPlatform().ToMultiByte(text);
}

bool MatchAt(WideStringView pattern, WideStringView text, std::int32_t position, bool ignoreCase) {
    if (position < 1 || pattern.empty() || text.empty()) {
        return false;
    }
    const auto index = static_cast<std::size_t>(position - 1);
    if (index > text.size() || pattern.size() > text.size() - index) {
        return false;
    }
    return CurrentTextPlatform().LocaleEqual(pattern, text.substr(index, pattern.size()), ignoreCase);
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

}  // namespace MyLibrary
