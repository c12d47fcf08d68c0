#pragma once

// What the text codec's tests share: units shown as hex, the code page 932 tables the codec is
// built from, as rows, and decoding in pieces.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <string_view>

#include "MyLibrary/Encoding/TextCodec.h"

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

// Decodes bytes in pieces, each call handed what the last left over and up to `most` more bytes,
// the last one atEnd. decode(bytes, atEnd, out) returns a DecodeResult; so does this, for the whole.
template <class Decoder>
DecodeResult DecodeInPieces(std::string_view bytes, Decoder decode, std::mt19937& random, std::size_t most,
                            std::u16string& out) {
    std::size_t from = 0;
    std::size_t end = 0;
    while (true) {
        end = std::min(bytes.size(), end + std::uniform_int_distribution<std::size_t>(1, most)(random));
        const DecodeResult result = decode(bytes.substr(from, end - from), end == bytes.size(), out);
        from += result.consumed;
        if (result.invalid || end == bytes.size()) {
            return {from, result.invalid};
        }
    }
}

}  // namespace MyLibrary::Testing
