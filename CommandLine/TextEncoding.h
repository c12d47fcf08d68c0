#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace BlankwiseCli {

enum class Encoding : std::uint8_t { Utf8, Utf16Le, Utf16Be, Cp932 };

// "utf-8", "utf-16le", "utf-16be", "cp932", any letter case; nothing for another name.
std::optional<Encoding> EncodingFromName(std::string_view name);
std::string_view EncodingName(Encoding encoding);

// The byte order mark of a Unicode encoding; empty for code page 932, which has none.
std::string_view ByteOrderMark(Encoding encoding);
// The Unicode encoding whose byte order mark the bytes begin with.
std::optional<Encoding> EncodingOfByteOrderMark(std::string_view bytes);

struct DecodeResult {
    std::size_t consumed;  // bytes decoded
    bool invalid;          // the bytes at `consumed` are not a sequence of the encoding
};

// Appends to out the UTF-16 units of the longest run of whole sequences at the start of bytes.
// Decoding stops at the first invalid sequence, and before an incomplete one at the end unless
// atEnd says no more bytes follow (then the incomplete sequence is invalid). Strict: UTF-8 rejects
// overlong forms, encoded surrogates and values above U+10FFFF; UTF-16 rejects unpaired
// surrogates; code page 932 accepts every code Windows decodes (MultiByteToWideChar).
DecodeResult Decode(Encoding encoding, std::string_view bytes, bool atEnd, std::u16string& out);

// The same, and sets recoded when a character was read from a code that Encode does not write
// for it (code page 932 decodes some characters from two codes, such as the NEC-selected copy
// 0xED40 and the IBM extension 0xFA5C, and encodes them to the one Windows prefers): the units
// then encode to other bytes than they came from. It is left as it was otherwise.
DecodeResult Decode(Encoding encoding, std::string_view bytes, bool atEnd, std::u16string& out,
                    bool& recoded);

// Where Decode would stop and whether the bytes there are invalid, without decoding.
DecodeResult Validate(Encoding encoding, std::string_view bytes, bool atEnd);

// Appends the bytes of well-formed UTF-16 units. Code page 932 writes a unit it does not map
// as '?', and a unit with two codes as the one Windows writes; a decoded text maps every unit and
// comes back byte for byte unless Decode said it was recoded.
void Encode(Encoding encoding, std::u16string_view units, std::string& out);

// UTF-8 to UTF-16 and back for texts that are not file contents (arguments, file names):
// malformed input gives nothing.
std::optional<std::u16string> Utf8ToUtf16(std::string_view bytes);
std::string Utf16ToUtf8(std::u16string_view units);

}  // namespace BlankwiseCli
