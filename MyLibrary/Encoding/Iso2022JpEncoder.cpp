// ISO-2022-JP encoding of a line from the shift state at its start to the one at its end.

#include "MyLibrary/Encoding/CodecDetail.h"
#include "MyLibrary/Encoding/Iso2022Jp.h"

namespace MyLibrary {
namespace {

using CodecDetail::Iso2022JpKind;
using CodecDetail::KindOf;

// A unit's code: below 0x80 a one-byte character, 0xA1-0xDF a half-width katakana (JIS X 0201's
// eight-bit form), from 0x2121 a row-cell's two bytes.
std::uint16_t CodeOf(char16_t unit, const CodecDetail::Cp932RowCells& cells) {
    if (unit < 0x80) {
        // ESC, SO and SI cannot stand for themselves.
        return unit == 0x1B || unit == 0x0E || unit == 0x0F ? '?' : unit;
    }
    if (unit >= 0xFF61 && unit <= 0xFF9F) {
        return static_cast<std::uint16_t>(0xA1 + unit - 0xFF61);
    }
    if (cells.cellOf[unit] == 0) {
        return '?';
    }
    const int index = cells.cellOf[unit] - 1;
    const int row = index / CodecDetail::kCellsPerRow + 1;
    const int cell = index % CodecDetail::kCellsPerRow + 1;
    return static_cast<std::uint16_t>((row + 0x20) << 8 | (cell + 0x20));
}

}  // namespace

void EncodeIso2022Jp(std::u16string_view units, Iso2022JpState start, Iso2022JpState end, std::string& out) {
    const CodecDetail::Cp932RowCells& cells = CodecDetail::Cp932RowCellTable();
    std::size_t body = units.size();
    if (body > 0 && units[body - 1] == u'\n') {
        --body;
    }
    if (body > 0 && units[body - 1] == u'\r') {
        --body;
    }
    Iso2022JpSet set = start.set;
    const auto designate = [&](Iso2022JpSet to) {
        if (set != to) {
            out += Iso2022JpEscape(to);
            set = to;
        }
    };
    for (const char16_t unit : units.substr(0, body)) {
        const std::uint16_t code = CodeOf(unit, cells);
        if (code < 0x80) {
            if (KindOf(set) != Iso2022JpKind::OneByte) {
                designate(start.oneByte);
            }
            out += static_cast<char>(code);
        } else if (code <= 0xDF) {
            designate(Iso2022JpSet::Katakana);
            out += static_cast<char>(code - 0x80);
        } else {
            if (KindOf(set) != Iso2022JpKind::TwoByte) {
                designate(start.twoByte);
            }
            out += static_cast<char>(code >> 8);
            out += static_cast<char>(code & 0xFF);
        }
    }
    designate(end.set);
    for (const char16_t unit : units.substr(body)) {
        out += static_cast<char>(unit);
    }
}

}  // namespace MyLibrary
