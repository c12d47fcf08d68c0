// Shows the white-space transforms on a small Japanese sample, white space made visible:
// → tab, · U+0020, □ U+3000, ↵ line break.
#include <cstdio>
#include <string>

#include "Blankwise/TextTransforms.h"

namespace {

std::string Visible(std::u16string_view text) {
    std::string out;
    auto append = [&out](char32_t c) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    };
    for (char16_t unit : text) {
        switch (unit) {
            case u'\t': append(U'→'); break;
            case u' ': append(U'·'); break;
            case u'\u3000': append(U'□'); break;
            case u'\r': break;
            case u'\n': append(U'↵'); out += '\n'; break;
            default: append(unit);
        }
    }
    return out;
}

void Show(const char* title, std::u16string_view result) {
    std::printf("--- %s\n%s\n", title, Visible(result).c_str());
}

}  // namespace

int main() {
    const std::u16string sample =
        u"名前\t年齢\t住所\r\n"
        u"山田  太郎\t35\t東京都\u3000千代田区\r\n"
        u"    字下げ　全角  と  半角\n"
        u"ab\tcd\tあい\tx\n";
    Show("元の文書 (original)", sample);
    Show("ExpandTabs (tabs to spaces, 4-column stops)", Blankwise::ExpandTabs(sample));
    Show("CompressSpaces after ExpandTabs (spaces to tabs)",
         Blankwise::CompressSpaces(Blankwise::ExpandTabs(sample)));
    Show("ReplacePattern two U+0020 -> U+3000", Blankwise::ReplacePattern(sample, u"  ", u"\u3000", false));
    Show("CollapseSpaceRuns (each run of spaces to one tab)", Blankwise::CollapseSpaceRuns(sample));
    Show("ExpandTabsAfterPrefix, first line starting at column 2", Blankwise::ExpandTabsAfterPrefix(sample, 2));
    return 0;
}
