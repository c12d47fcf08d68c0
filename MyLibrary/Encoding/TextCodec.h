#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "MyLibrary/Encoding/Utf16Facts.h"

// The text codec: UTF-8, UTF-16 in both byte orders, code page 932, EUC-JP and ISO-2022-JP,
// between their bytes and UTF-16 units, with their byte order marks. The plug-in, the command-line tool and
// the host program all read and write text through it.
namespace MyLibrary {

enum class Encoding : std::uint8_t { Utf8, Utf16Le, Utf16Be, Cp932, EucJp, Iso2022Jp };

// "utf-8", "utf-16le", "utf-16be", "cp932", "euc-jp", "iso-2022-jp", any letter case; nothing for
// another name.
std::optional<Encoding> EncodingFromName(std::string_view name);
std::string_view EncodingName(Encoding encoding);

// The bytes of one code unit: 2 in UTF-16, 1 in the others (where a character may take several).
constexpr std::size_t UnitBytes(Encoding encoding) {
    return encoding == Encoding::Utf16Le || encoding == Encoding::Utf16Be ? 2 : 1;
}

// The UTF-16 unit at byte offset i (i + 1 < bytes.size()), in the given byte order.
constexpr char16_t Utf16UnitAt(std::string_view bytes, std::size_t i, bool bigEndian) {
    const auto first = static_cast<std::uint8_t>(bytes[i]);
    const auto second = static_cast<std::uint8_t>(bytes[i + 1]);
    return static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first);
}

// The byte order mark of a Unicode encoding; empty for the Japanese ones, which have none.
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
// surrogates; code page 932 accepts every code Windows decodes (MultiByteToWideChar). EUC-JP and
// ISO-2022-JP are EucJp.h's and Iso2022Jp.h's; ISO-2022-JP decodes from a stream's start state, so
// bytes from within a stream need Iso2022Jp.h's functions, which carry the state.
DecodeResult Decode(Encoding encoding, std::string_view bytes, bool atEnd, std::u16string& out);

// The same, and sets recoded when a character was read from a code that Encode does not write
// for it (code page 932 decodes some characters from two codes, such as the NEC-selected copy
// 0xED40 and the IBM extension 0xFA5C, and encodes them to the one Windows prefers): the units
// then encode to other bytes than they came from. It is left as it was otherwise.
DecodeResult Decode(Encoding encoding, std::string_view bytes, bool atEnd, std::u16string& out,
                    bool& recoded);

// Where Decode would stop and whether the bytes there are invalid, without decoding.
DecodeResult Validate(Encoding encoding, std::string_view bytes, bool atEnd);
// The same, and sets recoded as Decode does (possibly also for a code after the invalid bytes).
DecodeResult Validate(Encoding encoding, std::string_view bytes, bool atEnd, bool& recoded);

// Appends the bytes of the UTF-16 units. UTF-8 writes a lone surrogate as U+FFFD, UTF-16 writes
// every unit as it is. Code page 932 writes a unit it does not map as '?', and a unit with two
// codes as the one Windows writes; a decoded text maps every unit and comes back byte for byte
// unless Decode said it was recoded. ISO-2022-JP starts and ends in a stream's start state.
void Encode(Encoding encoding, std::u16string_view units, std::string& out);

// UTF-8 to UTF-16 and back for texts that are not file contents (arguments, file names):
// malformed input gives nothing.
std::optional<std::u16string> Utf8ToUtf16(std::string_view bytes);
std::string Utf16ToUtf8(std::u16string_view units);

// Lenient decoding, for texts that are shown or edited whatever they hold. UTF-8: each malformed
// sequence (a stray continuation byte, a truncated or overlong sequence, an encoded surrogate, a
// value above U+10FFFF) becomes one U+FFFD; a sequence cut short ends before the byte that cuts
// it, which starts the next one.
std::u16string Utf8ToUtf16Lenient(std::string_view bytes);
// UTF-16 in the given byte order: unpaired surrogates are kept as they are, as an editor holds
// them, and an odd last byte becomes U+FFFD.
std::u16string Utf16ToUnitsLenient(std::string_view bytes, bool bigEndian);

}  // namespace MyLibrary
