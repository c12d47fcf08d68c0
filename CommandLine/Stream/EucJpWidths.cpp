#include "CommandLine/Stream/EucJpWidths.h"

#include <string>
#include <string_view>

#include "MyLibrary/Encoding/EucJp.h"

namespace BlankwiseCli {
namespace {

constexpr std::size_t kCellsPerRow = 94;

std::size_t RowCellIndex(std::uint8_t rowByte, std::uint8_t cellByte) {
    return (std::size_t{rowByte} - MyLibrary::kEucJpFirstCodeByte) * kCellsPerRow +
           (std::size_t{cellByte} - MyLibrary::kEucJpFirstCodeByte);
}

// The unit a code decodes to, or U+0000 for a code that is not valid; units is scratch space.
char16_t UnitOf(std::string_view code, std::u16string& units) {
    units.clear();
    bool recoded = false;
    const MyLibrary::DecodeResult decoded = MyLibrary::DecodeEucJp(code, true, units, recoded);
    return decoded.invalid || units.size() != 1 ? u'\0' : units[0];
}

// The unit of every code of both planes (by RowCellIndex, the second plane's after the first's)
// and of every half-width katakana code: the same for every platform, so decoded once.
struct CodeUnits {
    std::vector<char16_t> rowCells;
    std::vector<char16_t> katakana;
};

const CodeUnits& AllCodeUnits() {
    static const CodeUnits units = [] {
        CodeUnits all;
        std::u16string scratch;
        for (std::size_t plane = 0; plane < 2; ++plane) {
            for (int row = 1; row <= static_cast<int>(kCellsPerRow); ++row) {
                for (int cell = 1; cell <= static_cast<int>(kCellsPerRow); ++cell) {
                    const char code[3] = {static_cast<char>(MyLibrary::kEucJpPlane2Shift),
                                          static_cast<char>(MyLibrary::EucJpRowCellByte(row)),
                                          static_cast<char>(MyLibrary::EucJpRowCellByte(cell))};
                    all.rowCells.push_back(plane == 0 ? UnitOf({code + 1, 2}, scratch)
                                                      : UnitOf({code, 3}, scratch));
                }
            }
        }
        for (unsigned byte = MyLibrary::kEucJpFirstCodeByte; byte <= MyLibrary::kEucJpLastKatakanaByte;
             ++byte) {
            const char code[2] = {static_cast<char>(MyLibrary::kEucJpKatakanaShift), static_cast<char>(byte)};
            all.katakana.push_back(UnitOf({code, 2}, scratch));
        }
        return all;
    }();
    return units;
}

}  // namespace

EucJpWidths::EucJpWidths(const MyLibrary::TextPlatform& platform)
    : secondPlaneWide_(kCellsPerRow * kCellsPerRow, 0) {
    const std::uint8_t* doubleByte = platform.DoubleByteFlags();
    if (doubleByte == nullptr || !platform.WidthIsMultiByteLength()) {
        return;
    }
    const CodeUnits& units = AllCodeUnits();
    const std::size_t planeCells = secondPlaneWide_.size();
    exact_ = true;
    for (std::size_t index = 0; index < planeCells; ++index) {
        const char16_t first = units.rowCells[index];
        const char16_t second = units.rowCells[planeCells + index];
        exact_ = exact_ && (first == u'\0' || doubleByte[first] == 1);
        secondPlaneWide_[index] = second != u'\0' && doubleByte[second] == 1;
    }
    for (const char16_t unit : units.katakana) {
        exact_ = exact_ && unit != u'\0' && doubleByte[unit] == 0;
    }
}

std::size_t EucJpWidths::Between(const std::uint8_t* bytes, std::size_t from, std::size_t to) const {
    std::size_t columns = 0;
    for (std::size_t k = from; k < to;) {
        const std::uint8_t first = bytes[k];
        const std::size_t length = MyLibrary::EucJpCodeLength(first);
        if (first == MyLibrary::kEucJpKatakanaShift) {
            columns += 1;
        } else if (length == 3) {
            columns += std::size_t{1} + secondPlaneWide_[RowCellIndex(bytes[k + 1], bytes[k + 2])];
        } else {
            columns += length;
        }
        k += length;
    }
    return columns;
}

}  // namespace BlankwiseCli
