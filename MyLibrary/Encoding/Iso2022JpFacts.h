#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// What ISO-2022-JP's bytes tell without its state: every byte is below 0x80; an escape sequence
// (ESC and two bytes) designates the set the bytes after it are read in; the controls, the space and
// DEL read as themselves in every set, so tabs, spaces and line breaks are single bytes wherever
// they stand, and no two-byte character (two bytes of 0x21-0x7E) holds one. Decoding, encoding and
// the shift state are Iso2022Jp.h's.
namespace MyLibrary {

inline constexpr std::uint8_t kIso2022JpEscape = 0x1B;
inline constexpr std::size_t kIso2022JpEscapeLength = 3;

// A control, the space or DEL: a character of its own in every set.
constexpr bool IsIso2022JpControlOrSpace(std::uint8_t byte) {
    return byte <= 0x20 || byte == 0x7F;
}

// The full-width space's bytes in a two-byte set (ESC $ B 21 21 from a one-byte one).
inline constexpr std::string_view kIso2022JpFullWidthSpace = "\x21\x21";

}  // namespace MyLibrary
