#pragma once

#include <cstdint>
#include <string_view>

#include "Blankwise/TabStops.h"
#include "Blankwise/TextTransforms.h"
#include "MyLibrary/StringUnit/TextPlatform.h"

namespace Blankwise {

// The display column (folded by the stops: modulo the tab width for stops every width columns)
// after text when it starts at column startColumn and holds no line break: tabs advance to the next
// stop, other characters by their width on platform (code page 932 unless the command line's
// --widths says otherwise).
std::int32_t ColumnAfter(std::u16string_view text, std::int32_t startColumn,
                         const TabStops& stops = TabStops::Every(kTabWidth),
                         const MyLibrary::TextPlatform& platform = MyLibrary::CurrentTextPlatform());

}  // namespace Blankwise
