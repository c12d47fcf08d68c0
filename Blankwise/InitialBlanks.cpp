#include "Blankwise/InitialBlanks.h"

#include <algorithm>

#include "Blankwise/Blanks.h"
#include "Blankwise/ConversionPipelines.h"

namespace Blankwise {

std::u16string ConvertInitialBlanks(int conversionId, std::u16string_view text, std::int32_t startColumn,
                                    bool firstLineMidLine, const TabStops& stops,
                                    const MyLibrary::TextPlatform& platform) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    bool first = true;
    while (pos < text.size()) {
        const auto lineBreak =
            std::find_if(text.begin() + static_cast<std::ptrdiff_t>(pos), text.end(), IsBreak);
        const std::size_t lineEnd =
            lineBreak == text.end() ? text.size() : static_cast<std::size_t>(lineBreak - text.begin()) + 1;
        std::size_t blanksEnd = pos;
        if (!(first && firstLineMidLine)) {
            while (blanksEnd < lineEnd && IsBlank(text[blanksEnd])) {
                ++blanksEnd;
            }
        }
        if (blanksEnd > pos) {
            out += ConvertSelection(conversionId, text.substr(pos, blanksEnd - pos), first ? startColumn : 0,
                                    stops, platform);
        }
        out.append(text.substr(blanksEnd, lineEnd - blanksEnd));
        first = false;
        pos = lineEnd;
    }
    return out;
}

}  // namespace Blankwise
