#pragma once

// Inside the text codec: what its encodings share, and each encoding's entry points, which
// TextCodec.cpp dispatches to. Not for use outside MyLibrary/Encoding/.

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "MyLibrary/Encoding/Iso2022Jp.h"
#include "MyLibrary/Encoding/TextCodec.h"
#include "MyLibrary/StringUnit/VectorPaths.h"

namespace MyLibrary::CodecDetail {

inline constexpr char16_t kReplacementCharacter = u'\uFFFD';

inline std::uint8_t ByteAt(std::string_view bytes, std::size_t i) {
    return static_cast<std::uint8_t>(bytes[i]);
}

// Grows out by at most `extra` units and returns where to write; Trim cuts it to what was written.
inline char16_t* Reserve(std::u16string& out, std::size_t extra) {
    const std::size_t used = out.size();
    out.resize(used + extra);
    return out.data() + used;
}
inline void Trim(std::u16string& out, const char16_t* end) {
    out.resize(static_cast<std::size_t>(end - out.data()));
}
inline char* Reserve(std::string& out, std::size_t extra) {
    const std::size_t used = out.size();
    out.resize(used + extra);
    return out.data() + used;
}
inline void Trim(std::string& out, const char* end) {
    out.resize(static_cast<std::size_t>(end - out.data()));
}

// Where a decoder's units go: Decode writes them into a string grown once by at most `most` units
// and cut to what was written when the writer goes; Validate drops them.
class UnitWriter {
  public:
    UnitWriter(std::u16string& out, std::size_t most) : out_(out), write_(Reserve(out, most)) {}
    ~UnitWriter() { Trim(out_, write_); }
    UnitWriter(const UnitWriter&) = delete;
    UnitWriter& operator=(const UnitWriter&) = delete;

    void Put(char16_t unit) { *write_++ = unit; }

  private:
    std::u16string& out_;
    char16_t* write_;
};
struct UnitDropper {
    void Put(char16_t) {}
};

inline bool EightAscii(const char* p) {
    std::uint64_t block;
    std::memcpy(&block, p, sizeof block);
    return (block & 0x8080808080808080u) == 0;
}

inline bool SixteenAscii(const char* p) {
    return EightAscii(p) && EightAscii(p + 8);
}

// Which bytes of a block are trails, from the lead-range mask (code page 932's lead ranges, or
// EUC-JP's row and cell bytes). A byte that is no trail starts a character; so does the byte after
// any byte outside the lead ranges. A run of lead-range bytes
// that starts on a character therefore pairs up from its start: the bytes at odd distance from it
// are trails, and so is the byte after the run when the run is odd. Adding a run's lowest bit to
// the mask clears the run, which separates the runs that start on even positions from those on
// odd ones; each kind has its trails on the other parity. trailIn says whether byte 0 is a trail
// (of the block before); trailOut whether the byte after the block is one.
inline std::uint64_t TrailMask(std::uint64_t leadRange, bool trailIn, bool& trailOut) {
    constexpr std::uint64_t kEven = 0x5555555555555555u;
    const std::uint64_t lead = trailIn ? leadRange & ~std::uint64_t{1} : leadRange;
    const std::uint64_t starts = lead & ~(lead << 1);
    const std::uint64_t evenRuns = lead & ~(lead + (starts & kEven));
    const std::uint64_t oddRuns = lead & ~evenRuns;
    const std::uint64_t trails =
        ((evenRuns | evenRuns << 1) & ~kEven) | ((oddRuns | oddRuns << 1) & kEven) | (trailIn ? 1u : 0u);
    // The last byte leads a pair when it is in a lead range and no trail.
    trailOut = ((lead & ~trails) >> 63) != 0;
    return trails;
}

#if BLANKWISE_HAS_SSE2
// Sixteen bytes with 0x80 moved to the bottom of the signed range, so that unsigned byte ranges
// become signed comparisons.
inline __m128i LoadShifted(const std::uint8_t* p) {
    return _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)),
                         _mm_set1_epi8(static_cast<char>(0x80)));
}

// 0xFF for each byte of a LoadShifted block in first..last (unsigned, as they were before the move).
inline __m128i InByteRange(__m128i shifted, int first, int last) {
    return _mm_and_si128(_mm_cmpgt_epi8(shifted, _mm_set1_epi8(static_cast<char>((first - 1) ^ 0x80))),
                         _mm_cmplt_epi8(shifted, _mm_set1_epi8(static_cast<char>((last + 1) ^ 0x80))));
}
#endif

// UTF-8 (Utf8Decoder.cpp, Utf8Encoder.cpp).
DecodeResult DecodeUtf8(std::string_view bytes, bool atEnd, std::u16string& out);
DecodeResult ValidateUtf8(std::string_view bytes, bool atEnd);
void EncodeUtf8(std::u16string_view units, std::string& out);

// UTF-16 (Utf16Codec.cpp).
DecodeResult DecodeUtf16(std::string_view bytes, bool bigEndian, bool atEnd, std::u16string& out);
void EncodeUtf16(std::u16string_view units, bool bigEndian, std::string& out);

// Code page 932 (Cp932Decoder.cpp; its encoder is EncodeCp932 of Cp932.h).
DecodeResult DecodeCp932(std::string_view bytes, bool atEnd, std::u16string& out, bool& recoded);
DecodeResult ValidateCp932(std::string_view bytes, bool atEnd, bool& recoded);
// The character Windows decodes from a Shift-JIS pair, or nothing.
std::optional<char16_t> DecodeCp932Pair(std::uint8_t lead, std::uint8_t trail);

// JIS X 0208's 94 x 94 row-cells (both from 1), which EUC-JP and ISO-2022-JP write as their two
// bytes plus 0xA0 or 0x20, and which Shift-JIS rearranges: rows 1-94 lie in the leads 0x81-0x9F
// and 0xE0-0xEF, and the rows beyond them (95-120) in 0xF0-0xFC, where code page 932 keeps its
// user-defined area and IBM's extensions.
inline constexpr int kCellsPerRow = 94;
struct RowCell {
    int row;
    int cell;
};
constexpr std::uint16_t ShiftJisOfRowCell(RowCell at) {
    const int lead = (at.row + 1) / 2 + (at.row <= 62 ? 0x80 : 0xC0);
    const int trail = at.row % 2 == 1 ? at.cell + 0x3F + (at.cell >= 64 ? 1 : 0) : at.cell + 0x9E;
    return static_cast<std::uint16_t>(lead << 8 | trail);
}
// The row-cell of a Shift-JIS pair (a lead byte, a trail byte of 0x40-0xFC but 0x7F).
constexpr RowCell RowCellOfShiftJis(std::uint16_t code) {
    const int lead = code >> 8;
    const int trail = code & 0xFF;
    const int rowPair = lead <= 0x9F ? lead - 0x80 : lead - 0xC0;
    if (trail >= 0x9F) {
        return {2 * rowPair, trail - 0x9E};
    }
    return {2 * rowPair - 1, trail - 0x3F - (trail >= 0x80 ? 1 : 0)};
}
// Row-cells numbered from 0, row by row.
constexpr std::size_t CellIndex(RowCell at) {
    return static_cast<std::size_t>((at.row - 1) * kCellsPerRow + at.cell - 1);
}

// ISO-2022-JP (Iso2022JpDecoder.cpp, Iso2022JpEncoder.cpp): the kinds of set, each the characters
// one escape sequence or another of its kind gives.
enum class Iso2022JpKind : std::uint8_t { OneByte, Katakana, TwoByte };
constexpr Iso2022JpKind KindOf(Iso2022JpSet set) {
    switch (set) {
        case Iso2022JpSet::Ascii:
        case Iso2022JpSet::JisRoman:
            return Iso2022JpKind::OneByte;
        case Iso2022JpSet::Katakana:
            return Iso2022JpKind::Katakana;
        case Iso2022JpSet::Jis1978:
        case Iso2022JpSet::Jis1983:
            return Iso2022JpKind::TwoByte;
    }
    return Iso2022JpKind::OneByte;
}

// Rows 1-94 as code page 932 reads their Shift-JIS pairs, NEC's row 13 and its selection of IBM's
// extensions (rows 89-92) included (JisRowCells.cpp).
struct Cp932RowCells {
    // The character of each row-cell by CellIndex; U+0000 where code page 932 decodes none.
    std::array<char16_t, kCellsPerRow * kCellsPerRow> unitAt;
    // 1 + the CellIndex of the row-cell written for each unit, 0 for none: that of the code Windows
    // writes, and for an IBM extension, which lies beyond row 94, that of NEC's copy.
    std::array<std::uint16_t, 0x10000> cellOf;
};
const Cp932RowCells& Cp932RowCellTable();

}  // namespace MyLibrary::CodecDetail
