#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// What EUC-JP's bytes tell without its tables: a byte below 0x80 is an ASCII character wherever it
// stands, since every byte of a longer code is 0x8E, 0x8F or 0xA1-0xFE; a code is two bytes of
// 0xA1-0xFE (a row-cell of JIS X 0208), 0x8E and a half-width katakana byte, or 0x8F and two bytes
// of 0xA1-0xFE (a row-cell of the second plane). Decoding and encoding whole texts is EucJp.h's.
namespace MyLibrary {

// One half-width katakana byte (0xA1-0xDF) follows: one column wide.
inline constexpr std::uint8_t kEucJpKatakanaShift = 0x8E;
// A row-cell of the second plane follows, two more bytes of 0xA1-0xFE.
inline constexpr std::uint8_t kEucJpPlane2Shift = 0x8F;
// The range of a row or cell byte; the first also begins the half-width katakana bytes.
inline constexpr std::uint8_t kEucJpFirstCodeByte = 0xA1;
inline constexpr std::uint8_t kEucJpLastCodeByte = 0xFE;
inline constexpr std::uint8_t kEucJpLastKatakanaByte = 0xDF;
inline constexpr std::string_view kEucJpFullWidthSpace = "\xA1\xA1";

constexpr bool IsEucJpCodeByte(std::uint8_t byte) {
    return byte >= kEucJpFirstCodeByte && byte <= kEucJpLastCodeByte;
}

// A byte that starts a code wherever it stands: ASCII or a shift (a row or cell byte may be a
// code's first or its last).
constexpr bool AlwaysStartsEucJpCode(std::uint8_t byte) {
    return byte < 0x80 || byte == kEucJpKatakanaShift || byte == kEucJpPlane2Shift;
}

// The bytes of a code that starts with `first`: 1 below 0x80, 3 after the second plane's shift,
// else 2 (the code may still be invalid).
constexpr std::size_t EucJpCodeLength(std::uint8_t first) {
    return first < 0x80 ? 1 : first == kEucJpPlane2Shift ? 3 : 2;
}

// The bytes of a row-cell (rows and cells from 1) in a code.
constexpr std::uint8_t EucJpRowCellByte(int rowOrCell) {
    return static_cast<std::uint8_t>(kEucJpFirstCodeByte - 1 + rowOrCell);
}

}  // namespace MyLibrary
