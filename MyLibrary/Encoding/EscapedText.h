#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace MyLibrary {

// A text as one line of ASCII, for logs and failure reports: C escapes for CR, LF, tab, the backslash
// and the double quote, \uXXXX for every other unit outside printable ASCII.
inline std::string EscapeText(std::u16string_view text) {
    std::string out;
    for (const char16_t unit : text) {
        switch (unit) {
            case u'\r':
                out += "\\r";
                break;
            case u'\n':
                out += "\\n";
                break;
            case u'\t':
                out += "\\t";
                break;
            case u'\\':
                out += "\\\\";
                break;
            case u'"':
                out += "\\\"";
                break;
            default:
                if (unit >= 0x20 && unit < 0x7F) {
                    out += static_cast<char>(unit);
                } else {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(unit));
                    out += escaped;
                }
        }
    }
    return out;
}

}  // namespace MyLibrary
