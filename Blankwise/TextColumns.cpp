#include "Blankwise/TextColumns.h"

#include "Blankwise/Blanks.h"
#include "MyLibrary/StringUnit/Assertion.h"

namespace Blankwise {

std::int32_t ColumnAfter(std::u16string_view text, std::int32_t startColumn, const TabStops& stops,
                         const MyLibrary::TextPlatform& platform) {
    std::size_t column = startColumn > 0 ? stops.Fold(static_cast<std::size_t>(startColumn)) : 0;
    std::size_t from = 0;
    // A tab ends on a stop, which for stops every width columns is column 0 once folded: only the
    // characters after the last one add to it. A list's stop depends on the column of its tab.
    const std::size_t lastTab = text.rfind(kTab);
    if (stops.EveryWidth() > 0 && lastTab != std::u16string_view::npos) {
        column = 0;
        from = lastTab + 1;
    }
    for (std::size_t tab = text.find(kTab, from); tab != std::u16string_view::npos;
         tab = text.find(kTab, from)) {
        column = stops.Fold(column + platform.DisplayWidth(text.substr(from, tab - from)));
        column = stops.Fold(column + stops.SpacesFrom(column));
        from = tab + 1;
    }
    return MyLibrary::Narrowed<std::int32_t>(stops.Fold(column + platform.DisplayWidth(text.substr(from))));
}

}  // namespace Blankwise
