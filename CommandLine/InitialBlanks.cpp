#include "CommandLine/InitialBlanks.h"

#include "Blankwise/ConversionPipelines.h"

namespace BlankwiseCli {

std::u16string ConvertInitialBlanks(int conversionId, std::u16string_view text, std::int32_t startColumn,
                                    bool firstLineMidLine, const Blankwise::TabStops& stops) {
    const auto isBlank = [](char16_t unit) { return unit == u' ' || unit == u'\t' || unit == u'\u3000'; };
    std::u16string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    bool first = true;
    while (pos < text.size()) {
        std::size_t lineEnd = text.find_first_of(u"\r\n", pos);
        lineEnd = lineEnd == std::u16string_view::npos ? text.size() : lineEnd + 1;
        std::size_t blanksEnd = pos;
        if (!(first && firstLineMidLine)) {
            while (blanksEnd < lineEnd && isBlank(text[blanksEnd])) {
                ++blanksEnd;
            }
        }
        if (blanksEnd > pos) {
            out += Blankwise::ConvertSelection(conversionId, text.substr(pos, blanksEnd - pos),
                                               first ? startColumn : 0, stops);
        }
        out.append(text.substr(blanksEnd, lineEnd - blanksEnd));
        first = false;
        pos = lineEnd;
    }
    return out;
}

}  // namespace BlankwiseCli
