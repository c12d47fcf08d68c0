#pragma once

#include <cstdint>
#include <string_view>

// What code page 932's bytes tell without its tables: which bytes lead a two-byte code, which may
// follow one, and the full-width space's code. Decoding and encoding whole texts is TextCodec.h's.
namespace MyLibrary {

struct ByteRange {
    std::uint8_t first;
    std::uint8_t last;
};

// The Shift-JIS lead-byte ranges: a byte in them starts a two-byte code, every other byte is a
// character of its own.
inline constexpr ByteRange kCp932LeadRanges[] = {{0x81, 0x9F}, {0xE0, 0xFC}};

constexpr bool IsCp932LeadByte(std::uint8_t byte) {
    return (byte >= kCp932LeadRanges[0].first && byte <= kCp932LeadRanges[0].last) ||
           (byte >= kCp932LeadRanges[1].first && byte <= kCp932LeadRanges[1].last);
}

// The lowest byte that may follow a lead byte. A byte below it is a character of its own wherever
// it stands, so tabs, spaces and line breaks are never part of a two-byte code, and a byte below
// it ends whatever came before.
inline constexpr std::uint8_t kCp932LowestTrailByte = 0x40;

constexpr bool MayBeCp932TrailByte(std::uint8_t byte) {
    return byte >= kCp932LowestTrailByte;
}

// U+3000, the full-width space.
inline constexpr std::string_view kCp932FullWidthSpace = "\x81\x40";

}  // namespace MyLibrary
