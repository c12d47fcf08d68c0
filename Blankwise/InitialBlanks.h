#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "Blankwise/TabStops.h"

namespace MyLibrary {
class TextPlatform;
}

namespace Blankwise {

// The command line's --initial: the conversion run over the blanks (U+0020, U+3000, tab) that start
// each line of text, the rest of each line left as it is. The first line starts at display column
// startColumn, or, when firstLineMidLine says it is the rest of a line whose start came before, has
// no leading blanks of its own and stays as it is. Widths are measured on platform.
std::u16string ConvertInitialBlanks(int conversionId, std::u16string_view text, std::int32_t startColumn,
                                    bool firstLineMidLine, const TabStops& stops,
                                    const MyLibrary::TextPlatform& platform);

}  // namespace Blankwise
