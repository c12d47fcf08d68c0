// The tab and space transforms: expansion leaves no tab and changes nothing but tabs, compression
// undone by expansion gives the expanded layout back, the start-column forms agree with a text
// prefixed by filler characters, the whole-text forms agree with their line forms applied line by
// line, and collapsing space runs is idempotent.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#include "Blankwise/TextTransforms.h"
#include "MyLibrary/LineList/WideStringRecordList.h"
#include "fuzz/FuzzSupport.h"

namespace {

using Blankwise::WideString;
using Fuzzing::Check;
using Fuzzing::EscapeText;

WideString Without(WideString text, std::u16string_view units) {
    std::erase_if(text, [units](char16_t unit) { return units.find(unit) != std::u16string_view::npos; });
    return text;
}

std::size_t Occurrences(const WideString& text, char16_t unit) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), unit));
}

// The line form applied to every line of the text (each keeping its break), joined.
template <typename LineForm>
WideString LineByLine(const WideString& text, LineForm lineForm) {
    MyLibrary::TCommonStringRecordList lines;
    lines.SplitLines(text);
    for (std::int32_t i = 0; i < lines.Count(); ++i) {
        lines.Put(i, lineForm(lines.Get(i)));
    }
    return lines.Join();
}

void CheckExpansion(const WideString& text, const std::string& where) {
    const WideString expanded = Blankwise::ExpandTabs(text);
    Check(expanded.find(u'\t') == WideString::npos, "expansion leaves no tab", where);
    Check(Without(expanded, u" ") == Without(text, u" \t"), "expansion changes nothing but tabs", where);
    const std::size_t tabs = Occurrences(text, u'\t');
    const std::size_t added = Occurrences(expanded, u' ') - Occurrences(text, u' ');
    Check(added >= tabs && added <= 4 * tabs, "a tab becomes 1 to 4 spaces", where);
    Check(Blankwise::ExpandTabs(expanded) == expanded, "a text without tabs expands to itself", where);
    Check(expanded == LineByLine(text, Blankwise::ExpandTabsInLine), "expansion goes line by line", where);

    const WideString compressed = Blankwise::CompressSpaces(expanded);
    Check(Without(compressed, u" \t") == Without(expanded, u" "), "compression changes nothing but spaces",
          where);
    Check(Blankwise::ExpandTabs(compressed) == expanded, "expanding the compressed text restores the layout",
          where);
    Check(Blankwise::CompressSpaces(text) == LineByLine(text, Blankwise::CompressSpacesInLine),
          "compression goes line by line", where);
}

// The first line starting at column N is the same as N filler characters before it: spaces for
// expansion (never changed by it), letters "A" for compression (never part of a run of spaces).
void CheckStartColumn(const WideString& text, std::int32_t startColumn, const std::string& where) {
    const auto fillerLength = static_cast<std::size_t>(std::max(startColumn, 0));
    Check(Blankwise::ExpandTabsAfterPrefix(text, startColumn) ==
              Blankwise::ExpandTabs(WideString(fillerLength, u' ') + text).substr(fillerLength),
          "expansion after N columns equals expansion after N spaces", where);
    Check(Blankwise::CompressSpacesAfterPrefix(text, startColumn) ==
              Blankwise::CompressSpaces(WideString(fillerLength, u'A') + text).substr(fillerLength),
          "compression after N columns equals compression after N letters", where);
    // Tab stops repeat every four columns: a start column far out acts as its remainder.
    if (startColumn >= 0) {
        const std::int32_t farColumn = std::numeric_limits<std::int32_t>::max() - 3 + startColumn % 4;
        const std::int32_t remainder = farColumn % Blankwise::kTabWidth;
        Check(Blankwise::ExpandTabsAfterPrefix(text, farColumn) ==
                  Blankwise::ExpandTabsAfterPrefix(text, remainder),
              "expansion after a far column equals expansion after its remainder", where);
        Check(Blankwise::CompressSpacesAfterPrefix(text, farColumn) ==
                  Blankwise::CompressSpacesAfterPrefix(text, remainder),
              "compression after a far column equals compression after its remainder", where);
    }
}

void CheckCollapse(const WideString& text, const std::string& where) {
    const WideString collapsed = Blankwise::CollapseSpaceRuns(text);
    Check(collapsed.find(u' ') == WideString::npos, "collapsing leaves no space", where);
    Check(Without(collapsed, u"\t") == Without(text, u" \t"), "collapsing changes nothing but spaces", where);
    Check(Blankwise::CollapseSpaceRuns(collapsed) == collapsed, "collapsing is idempotent", where);
    Check(collapsed == LineByLine(text, Blankwise::CollapseSpaceRuns), "collapsing goes line by line", where);
}

}  // namespace

// Input: the start column as a signed byte, then the text. Its alphabet holds the units whose
// widths differ in code page 932: a half-width katakana is one column, a kana or U+3000 two.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Fuzzing::FuzzInput input(data, size);
    const auto startColumn = static_cast<std::int32_t>(static_cast<std::int8_t>(input.Byte()));
    const WideString text = input.Text(u"a \t \t\u3000\r\n\uFF71\u3042A");
    const std::string where = "\"" + EscapeText(text) + "\" from column " + std::to_string(startColumn);
    CheckExpansion(text, where);
    CheckStartColumn(text, startColumn, where);
    CheckCollapse(text, where);
    return 0;
}
