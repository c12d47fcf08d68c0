#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "MyLibrary/Encoding/Iso2022JpFacts.h"
#include "MyLibrary/Encoding/TextCodec.h"

// ISO-2022-JP with the common extensions, as code page 50221 reads it: seven-bit bytes read in the
// set the last escape sequence designated. ESC ( B designates ASCII and ESC ( J JIS X 0201's Roman
// set, read as ASCII; ESC $ @ and ESC $ B JIS X 0208, a row-cell in two bytes of 0x21-0x7E that
// decodes to the character code page 932 gives the same row-cell (NEC's row 13 and its selection of
// IBM's extensions in rows 89-92 included); ESC ( I half-width katakana, one byte of 0x21-0x5F.
// The controls, the space and DEL (0x00-0x20, 0x7F) read as themselves in every set, but SO and
// SI (0x0E, 0x0F), which shift to katakana in another variant of the encoding, are invalid, as are
// every byte above 0x7F and every other escape sequence.
//
// The decoder is stateful: what a byte means depends on the escape sequences before it, across
// lines too. A caller decodes a stream in pieces by handing each piece the state the last one ended
// in, and knows the state at each line start by decoding line by line (or, for pieces already
// known to be valid, by Iso2022JpStateAfter). It writes a changed line back with EncodeIso2022Jp
// from the state at its start to the state at its end, so that the lines after it read the same.
namespace MyLibrary {

// The sets an escape sequence designates.
enum class Iso2022JpSet : std::uint8_t {
    Ascii,     // ESC ( B
    JisRoman,  // ESC ( J
    Katakana,  // ESC ( I
    Jis1978,   // ESC $ @
    Jis1983,   // ESC $ B
};

// The escape sequence that designates the set.
std::string_view Iso2022JpEscape(Iso2022JpSet set);

// The shift state: the set the next bytes are read in, and the one-byte set (Ascii or JisRoman)
// and two-byte set (Jis1978 or Jis1983) designated last, which the encoder designates again to
// return to one-byte or two-byte characters. A stream starts in the default state (so where its
// first ESC ( J or ESC $ @ stands inside a line, the encoder writes ESC ( B or ESC $ B instead).
struct Iso2022JpState {
    Iso2022JpSet set = Iso2022JpSet::Ascii;
    Iso2022JpSet oneByte = Iso2022JpSet::Ascii;
    Iso2022JpSet twoByte = Iso2022JpSet::Jis1983;

    friend bool operator==(const Iso2022JpState&, const Iso2022JpState&) = default;
};

// Decode and Validate of TextCodec.h for bytes that start in `state`, which is left as it is at
// `consumed`. An escape sequence is decoded together with the character after it, so before more
// bytes come (atEnd false) one at the end waits, with an incomplete sequence after it.
//
// recoded is set when the units, written line by line with EncodeIso2022Jp from each line's state
// at its start to that at its end, do not give back the bytes: where a character has two
// row-cells (NEC's row 13 copies of row 2's symbols), and where escape sequences stand other than
// where the encoder writes them (one that designates the set in use, one followed by another, a
// change between ASCII and JIS X 0201 Roman or between the two JIS X 0208 escapes inside a line,
// one between CR and LF) or a control or the space is read in a set other than a one-byte one
// (but for line breaks).
DecodeResult DecodeIso2022Jp(std::string_view bytes, bool atEnd, Iso2022JpState& state, std::u16string& out,
                             bool& recoded);
DecodeResult ValidateIso2022Jp(std::string_view bytes, bool atEnd, Iso2022JpState& state, bool& recoded);

// The state after bytes that start in `state`, from their escape sequences alone: what
// DecodeIso2022Jp leaves in `state` when it decodes them whole.
Iso2022JpState Iso2022JpStateAfter(std::string_view bytes, Iso2022JpState state);

// Appends the bytes of the units written from the state `start` so that they end in `end`'s set,
// with the fewest escape sequences: one before each character the set in use cannot write,
// designating start's one-byte or two-byte set or katakana, and, where the set in use then is not
// `end`'s, `end`'s escape after the last character, before the line break that ends the units if
// one does. A control, the space and a line break inside the units are written in a one-byte set;
// a unit without a code as '?'.
void EncodeIso2022Jp(std::u16string_view units, Iso2022JpState start, Iso2022JpState end, std::string& out);

}  // namespace MyLibrary
