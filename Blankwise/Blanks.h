#pragma once

// The units the conversions act on, and the line breaks that end the lines they work in, as UTF-16
// units. In UTF-8 and code page 932 the tab, the space and the breaks are these values as single
// bytes, which no other character holds; the full-width space's bytes are the encodings' facts
// (MyLibrary/Encoding/Utf8Facts.h, Cp932Facts.h).
namespace Blankwise {

inline constexpr char16_t kTab = u'\t';
inline constexpr char16_t kSpace = u' ';
inline constexpr char16_t kFullWidthSpace = u'\u3000';
inline constexpr char16_t kCr = u'\r';
inline constexpr char16_t kLf = u'\n';

// A half-width space, a full-width space or a tab: the white space the conversions convert.
constexpr bool IsBlank(char16_t unit) {
    return unit == kSpace || unit == kTab || unit == kFullWidthSpace;
}

// CR or LF; CR LF is two of them.
constexpr bool IsBreak(char16_t unit) {
    return unit == kCr || unit == kLf;
}

}  // namespace Blankwise
