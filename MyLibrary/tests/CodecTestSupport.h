#pragma once

// What the text codec's tests share: units shown as hex, and the code page 932 tables the codec is
// built from, as rows.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace MyLibrary::Testing {

inline std::string Hex(std::u16string_view units) {
    std::string text;
    char buffer[8];
    for (char16_t unit : units) {
        std::snprintf(buffer, sizeof buffer, "%04X ", static_cast<unsigned>(unit));
        text += buffer;
    }
    return text;
}

struct Cp932Mapping {
    std::uint16_t unit;
    std::uint16_t bytes;
};
inline constexpr Cp932Mapping kCp932Mappings[] = {
#include "MyLibrary/Encoding/Cp932EncodeTable.inc"
};

struct Cp932Decoding {
    std::uint16_t bytes;
    std::uint16_t unit;
};
// Windows' table, from Python's cp932 codec.
inline constexpr Cp932Decoding kCp932Decodings[] = {
#include "MyLibrary/Encoding/Cp932DecodeTable.inc"
};

}  // namespace MyLibrary::Testing
