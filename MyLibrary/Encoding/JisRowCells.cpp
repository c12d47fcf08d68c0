// JIS X 0208's row-cells as code page 932 reads them, for the codecs that write row-cells.

#include <memory>

#include "MyLibrary/Encoding/CodecDetail.h"
#include "MyLibrary/Encoding/Cp932.h"

namespace MyLibrary::CodecDetail {

const Cp932RowCells& Cp932RowCellTable() {
    static const auto table = [] {
        auto cells = std::make_unique<Cp932RowCells>();
        cells->unitAt.fill(0);
        cells->cellOf.fill(0);
        for (int row = 1; row <= kCellsPerRow; ++row) {
            for (int cell = 1; cell <= kCellsPerRow; ++cell) {
                const std::uint16_t code = ShiftJisOfRowCell({row, cell});
                if (const std::optional<char16_t> unit = DecodeCp932Pair(
                        static_cast<std::uint8_t>(code >> 8), static_cast<std::uint8_t>(code & 0xFF))) {
                    cells->unitAt[CellIndex({row, cell})] = *unit;
                }
            }
        }
        const std::array<Cp932Code, 0x10000>& codes = Cp932Codes();
        for (std::size_t unit = 0; unit < codes.size(); ++unit) {
            if (codes[unit].length == 2) {
                const RowCell at = RowCellOfShiftJis(
                    static_cast<std::uint16_t>(static_cast<std::uint8_t>(codes[unit].bytes[0]) << 8 |
                                               static_cast<std::uint8_t>(codes[unit].bytes[1])));
                if (at.row <= kCellsPerRow) {
                    cells->cellOf[unit] = static_cast<std::uint16_t>(CellIndex(at) + 1);
                }
            }
        }
        // Windows writes IBM's extensions, beyond row 94: each takes the row-cell of its NEC-selected
        // copy in rows 89-92 (a copy of a character Windows writes in rows 1-94, such as the NOT
        // sign, leaves it there).
        for (std::size_t index = CellIndex({89, 1}); index <= CellIndex({92, kCellsPerRow}); ++index) {
            const char16_t unit = cells->unitAt[index];
            if (unit != 0 && cells->cellOf[unit] == 0) {
                cells->cellOf[unit] = static_cast<std::uint16_t>(index + 1);
            }
        }
        return cells;
    }();
    return *table;
}

}  // namespace MyLibrary::CodecDetail
