#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "MyLibrary/Encoding/EucJpFacts.h"
#include "MyLibrary/Encoding/TextCodec.h"

// EUC-JP as eucJP-ms reads it, with code page 932's characters: ASCII; a row-cell of JIS X 0208 in
// two bytes of 0xA1-0xFE, rows 1-84 decoding to the character code page 932 gives the same
// row-cell (NEC's row 13 included), rows 85-94 to the private use area U+E000-U+E3AB; half-width
// katakana after 0x8E; and after 0x8F a row-cell of the second plane: JIS X 0212, IBM's extensions
// in rows 83-84, and the private use area U+E3AC-U+E757 in rows 85-94. Any other byte, the C1
// controls among them, is invalid.
namespace MyLibrary {

// Decode, Validate and Encode of TextCodec.h for EUC-JP. recoded is set for a code whose character
// is written with another: NEC's row 13 copies of row 2's symbols, and second-plane codes of
// characters that have a two-byte code. A unit without a code is written as '?'.
DecodeResult DecodeEucJp(std::string_view bytes, bool atEnd, std::u16string& out, bool& recoded);
DecodeResult ValidateEucJp(std::string_view bytes, bool atEnd, bool& recoded);
void EncodeEucJp(std::u16string_view units, std::string& out);

}  // namespace MyLibrary
