#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "MyLibrary/StringUnit/TextPlatform.h"

namespace MyLibrary {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t expected on Windows");

const wchar_t* AsWide(std::u16string_view text) {
    return reinterpret_cast<const wchar_t*>(text.data());
}

int CheckedLength(std::size_t length) {
    if (length > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        throw std::length_error("text too long for the Win32 API");
    }
    return static_cast<int>(length);
}

bool IsSurrogate(unsigned unit) {
    return unit >= 0xD800 && unit <= 0xDFFF;
}

// Each unit's length as WideCharToMultiByte gives it for the unit alone, and kColumnsFromNeighbours
// for the surrogates, whose pairs the API may make one character. In a code page of at most two
// bytes a character (every ANSI code page but UTF-8) the API converts each other unit by itself,
// so these lengths summed over a run are the run's length. They are read from one conversion of
// all the units: a unit's form is one byte, or two that begin with a lead byte. Empty where the
// code page is another kind, or the conversion cannot be read that way, or an ASCII unit (which
// the width measures count as one column unread) is not one byte.
std::vector<std::uint8_t> MeasureEachUnit(UINT codePage) {
    CPINFO info{};
    if (!::GetCPInfo(codePage, &info) || info.MaxCharSize > 2) {
        return {};
    }
    std::vector<wchar_t> units;
    for (unsigned unit = 0; unit < 0x10000; ++unit) {
        if (!IsSurrogate(unit)) {
            units.push_back(static_cast<wchar_t>(unit));
        }
    }
    const int unitCount = static_cast<int>(units.size());
    std::string bytes(units.size() * 2, '\0');
    const int length = ::WideCharToMultiByte(codePage, 0, units.data(), unitCount, bytes.data(),
                                             static_cast<int>(bytes.size()), nullptr, nullptr);
    std::vector<std::uint8_t> columns(0x10000, TextPlatform::kColumnsFromNeighbours);
    std::size_t at = 0;
    for (const wchar_t unit : units) {
        if (at >= static_cast<std::size_t>(length)) {
            return {};
        }
        const bool lead =
            info.MaxCharSize == 2 && ::IsDBCSLeadByteEx(codePage, static_cast<BYTE>(bytes[at])) != FALSE;
        columns[static_cast<std::size_t>(unit)] = lead ? 2 : 1;
        at += lead ? 2 : 1;
    }
    const bool asciiIsOneByte =
        std::all_of(columns.begin(), columns.begin() + 0x80, [](std::uint8_t width) { return width == 1; });
    if (at != static_cast<std::size_t>(length) || !asciiIsOneByte) {
        return {};
    }
    return columns;
}

// The real API: WideCharToMultiByte in the code page GetACP reports when the library is loaded,
// CompareStringW in the user's default locale.
class Win32TextPlatform final : public TextPlatform {
  public:
    unsigned CodePage() const override { return codePage_; }

    std::string ToMultiByte(std::u16string_view text) const override {
        std::string bytes(MultiByteLength(text), '\0');
        if (!bytes.empty()) {
            ::WideCharToMultiByte(codePage_, 0, AsWide(text), CheckedLength(text.size()), bytes.data(),
                                  CheckedLength(bytes.size()), nullptr, nullptr);
        }
        return bytes;
    }

    std::size_t MultiByteLength(std::u16string_view text) const override {
        if (text.empty()) {
            return 0;
        }
        const int length = ::WideCharToMultiByte(codePage_, 0, AsWide(text), CheckedLength(text.size()),
                                                 nullptr, 0, nullptr, nullptr);
        return length > 0 ? static_cast<std::size_t>(length) : 0;
    }

    bool LocaleEqual(std::u16string_view a, std::u16string_view b, bool ignoreCase) const override {
        return ::CompareStringW(LOCALE_USER_DEFAULT, ignoreCase ? NORM_IGNORECASE : 0, AsWide(a),
                                CheckedLength(a.size()), AsWide(b), CheckedLength(b.size())) == CSTR_EQUAL;
    }

    // Made on first use, shared by every caller; nullptr where the code page has characters of
    // more than two bytes.
    const std::uint8_t* UnitColumns() const override {
        static const std::vector<std::uint8_t> columns = MeasureEachUnit(codePage_);
        return columns.empty() ? nullptr : columns.data();
    }

    bool ComparesByCodeUnit() const override { return false; }

  private:
    UINT codePage_ = ::GetACP();
};

// Made when the library is loaded, so the code page is the one GetACP reports then.
const Win32TextPlatform kWin32TextPlatform;

}  // namespace

const TextPlatform& SystemTextPlatform() {
    return kWin32TextPlatform;
}

}  // namespace MyLibrary
