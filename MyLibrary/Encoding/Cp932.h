#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "MyLibrary/Encoding/Cp932Facts.h"

// What the library knows of code page 932 beyond decoding and encoding whole texts (TextCodec.h):
// its byte facts (Cp932Facts.h) and the code Windows writes for each unit, which the text platform
// measures display widths with.
namespace MyLibrary {

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
