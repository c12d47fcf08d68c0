#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// What the library knows of code page 932 beyond decoding and encoding whole texts (TextCodec.h):
// its lead bytes and the code Windows writes for each unit, which the text platform measures
// display widths with.
namespace MyLibrary {

struct ByteRange {
    std::uint8_t first;
    std::uint8_t last;
};

// The Shift-JIS lead-byte ranges: a byte in them starts a two-byte code, every other byte is a
// character of its own. A trail byte is 0x40 or above, so tabs, spaces and line breaks are never
// part of a two-byte code.
inline constexpr ByteRange kCp932LeadRanges[] = {{0x81, 0x9F}, {0xE0, 0xFC}};

constexpr bool IsCp932LeadByte(std::uint8_t byte) {
    return (byte >= kCp932LeadRanges[0].first && byte <= kCp932LeadRanges[0].last) ||
           (byte >= kCp932LeadRanges[1].first && byte <= kCp932LeadRanges[1].last);
}

// The bytes Windows writes for a unit, ready to be copied two at a time: a one-byte code carries a
// second byte that the next character overwrites.
struct Cp932Code {
    char bytes[2];
    std::uint8_t length;
};

// The code of every UTF-16 unit: the one Windows writes where a character has two, '?' (one byte)
// for a unit code page 932 does not map, surrogates included. Built on first use.
const std::array<Cp932Code, 0x10000>& Cp932Codes();

// Appends the code page 932 bytes of the units, as Cp932Codes() gives them.
void EncodeCp932(std::u16string_view units, std::string& out);

}  // namespace MyLibrary
