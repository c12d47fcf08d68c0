#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>

#include "MyLibrary/Encoding/Utf16Facts.h"
#include "MyLibrary/StringUnit/UnicodeWidth.h"

namespace MyLibrary {
namespace {

enum WidthClass : std::uint8_t { kZero, kWide, kAmbiguous };

struct WidthRange {
    char32_t first;
    char32_t last;
    WidthClass widthClass;
};

constexpr WidthRange kWidthRanges[] = {
#include "MyLibrary/StringUnit/UnicodeWidthTable.inc"
};

constexpr unsigned ColumnsOf(WidthClass widthClass, unsigned ambiguousColumns) {
    switch (widthClass) {
        case kZero:
            return 0;
        case kWide:
            return 2;
        case kAmbiguous:
            return ambiguousColumns;
    }
    return 1;
}

// The BMP's widths come from a table by unit; a surrogate pair is looked up in the ranges.
class UnicodeWidthPlatform final : public TextPlatform {
  public:
    explicit UnicodeWidthPlatform(unsigned ambiguousColumns) : ambiguousColumns_(ambiguousColumns) {
        columnsOfUnit_.fill(1);
        for (const WidthRange& range : kWidthRanges) {
            for (char32_t codePoint = range.first; codePoint <= range.last && codePoint < 0x10000;
                 ++codePoint) {
                columnsOfUnit_[codePoint] =
                    static_cast<std::uint8_t>(ColumnsOf(range.widthClass, ambiguousColumns));
            }
        }
        std::fill(columnsOfUnit_.begin() + kFirstSurrogate, columnsOfUnit_.begin() + kLastSurrogate + 1,
                  kColumnsFromNeighbours);
    }

    unsigned CodePage() const override { return cp932_.CodePage(); }
    std::string ToMultiByte(std::u16string_view text) const override { return cp932_.ToMultiByte(text); }
    std::size_t MultiByteLength(std::u16string_view text) const override {
        return cp932_.MultiByteLength(text);
    }
    bool LocaleEqual(std::u16string_view a, std::u16string_view b, bool ignoreCase) const override {
        return cp932_.LocaleEqual(a, b, ignoreCase);
    }
    bool ComparesByCodeUnit() const override { return cp932_.ComparesByCodeUnit(); }
    const std::uint16_t* ShiftJisUnitForms() const override { return cp932_.ShiftJisUnitForms(); }

    std::size_t DisplayWidth(std::u16string_view text) const override {
        std::size_t width = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const std::uint8_t columns = columnsOfUnit_[text[i]];
            if (columns != kColumnsFromNeighbours) {
                width += columns;
            } else if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
                width += CodePointColumns(CodePointOfPair(text[i], text[i + 1]), ambiguousColumns_);
                ++i;
            } else {
                width += 1;
            }
        }
        return width;
    }

    bool WidthIsMultiByteLength() const override { return false; }

    const std::uint8_t* UnitColumns() const override { return columnsOfUnit_.data(); }

  private:
    const TextPlatform& cp932_ = NativeTextPlatform();
    unsigned ambiguousColumns_;
    std::array<std::uint8_t, 0x10000> columnsOfUnit_{};
};

}  // namespace

unsigned CodePointColumns(char32_t codePoint, unsigned ambiguousColumns) {
    const auto* after =
        std::upper_bound(std::begin(kWidthRanges), std::end(kWidthRanges), codePoint,
                         [](char32_t value, const WidthRange& range) { return value < range.first; });
    if (after == std::begin(kWidthRanges) || codePoint > after[-1].last) {
        return 1;
    }
    return ColumnsOf(after[-1].widthClass, ambiguousColumns);
}

const TextPlatform& UnicodeWidthTextPlatform(unsigned ambiguousColumns) {
    static const UnicodeWidthPlatform narrowAmbiguous(1);
    static const UnicodeWidthPlatform wideAmbiguous(2);
    return ambiguousColumns == 2 ? wideAmbiguous : narrowAmbiguous;
}

}  // namespace MyLibrary
