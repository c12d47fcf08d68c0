#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "MyLibrary/Encoding/Cp932.h"
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

int ApiLength(UINT codePage, std::u16string_view text) {
    return ::WideCharToMultiByte(codePage, 0, AsWide(text), CheckedLength(text.size()), nullptr, 0, nullptr,
                                 nullptr);
}

// Each unit's multi-byte form as WideCharToMultiByte gives it for the unit alone. In a code page of
// at most two bytes a character (every ANSI code page but UTF-8) the API converts every unit but a
// surrogate by itself, so the form of a text is these forms in turn, with each run of surrogates
// (whose pairs the API may make one character) converted by the API as a whole.
struct UnitForms {
    std::vector<std::uint8_t> lengths;  // 1 or 2; TextPlatform::kColumnsFromNeighbours for surrogates
    std::vector<std::uint16_t> bytes;   // the first byte in the low eight bits, a second in the high
    bool shiftJis = true;               // every form one Shift-JIS character (code page 932's are)
};

// The forms read from one conversion of every unit but the surrogates: a unit's form is one byte,
// or two that begin with a lead byte. Nothing where the code page is another kind, or the
// conversion cannot be read that way, or an ASCII unit (which the width measures count as one
// column unread) is not one byte.
std::optional<UnitForms> ReadUnitForms(UINT codePage) {
    CPINFO info{};
    if (!::GetCPInfo(codePage, &info) || info.MaxCharSize > 2) {
        return std::nullopt;
    }
    std::u16string units;
    for (unsigned unit = 0; unit < 0x10000; ++unit) {
        if (!IsSurrogate(unit)) {
            units.push_back(static_cast<char16_t>(unit));
        }
    }
    std::string bytes(units.size() * 2, '\0');
    const int length = ::WideCharToMultiByte(codePage, 0, AsWide(units), CheckedLength(units.size()),
                                             bytes.data(), CheckedLength(bytes.size()), nullptr, nullptr);
    UnitForms forms{std::vector<std::uint8_t>(0x10000, TextPlatform::kColumnsFromNeighbours),
                    std::vector<std::uint16_t>(0x10000, 0)};
    std::size_t at = 0;
    for (const char16_t unit : units) {
        if (at >= static_cast<std::size_t>(length)) {
            return std::nullopt;
        }
        const auto first = static_cast<std::uint8_t>(bytes[at]);
        const bool lead = info.MaxCharSize == 2 && ::IsDBCSLeadByteEx(codePage, first) != FALSE;
        const auto second =
            lead && at + 1 < static_cast<std::size_t>(length) ? static_cast<std::uint8_t>(bytes[at + 1]) : 0;
        forms.lengths[unit] = lead ? 2 : 1;
        forms.bytes[unit] = static_cast<std::uint16_t>(first | second << 8);
        forms.shiftJis = forms.shiftJis && IsCp932LeadByte(first) == lead && (!lead || second != 0);
        at += lead ? 2 : 1;
    }
    constexpr std::ptrdiff_t kAsciiUnits = 128;
    const bool asciiIsOneByte = std::all_of(forms.lengths.begin(), forms.lengths.begin() + kAsciiUnits,
                                            [](std::uint8_t unitLength) { return unitLength == 1; });
    if (at != static_cast<std::size_t>(length) || !asciiIsOneByte) {
        return std::nullopt;
    }
    return forms;
}

// Calls onUnit for each unit that is not a surrogate and onSurrogates for each run of surrogates,
// in order.
template <typename OnUnit, typename OnSurrogates>
void ForEachPiece(std::u16string_view text, OnUnit onUnit, OnSurrogates onSurrogates) {
    for (std::size_t i = 0; i < text.size();) {
        if (!IsSurrogate(text[i])) {
            onUnit(text[i++]);
            continue;
        }
        std::size_t end = i + 1;
        while (end < text.size() && IsSurrogate(text[end])) {
            ++end;
        }
        onSurrogates(text.substr(i, end - i));
        i = end;
    }
}

// The real API: WideCharToMultiByte in the code page GetACP reports when the library is loaded,
// CompareStringW in the user's default locale. Where the code page allows, the multi-byte forms come
// from a table of each unit's form that one call of the API fills: a call per run would cost more
// than the run's conversion.
class Win32TextPlatform final : public TextPlatform {
  public:
    unsigned CodePage() const override { return codePage_; }

    std::string ToMultiByte(std::u16string_view text) const override {
        std::string bytes(MultiByteLength(text), '\0');
        if (bytes.empty()) {
            return bytes;
        }
        const UnitForms* forms = Forms();
        if (forms == nullptr) {
            ::WideCharToMultiByte(codePage_, 0, AsWide(text), CheckedLength(text.size()), bytes.data(),
                                  CheckedLength(bytes.size()), nullptr, nullptr);
            return bytes;
        }
        char* out = bytes.data();
        ForEachPiece(
            text,
            [&](char16_t unit) {
                const std::uint16_t form = forms->bytes[unit];
                *out++ = static_cast<char>(form & 0xFF);
                if (forms->lengths[unit] == 2) {
                    *out++ = static_cast<char>(form >> 8);
                }
            },
            [&](std::u16string_view surrogates) {
                const int room = CheckedLength(static_cast<std::size_t>(bytes.data() + bytes.size() - out));
                out += ::WideCharToMultiByte(codePage_, 0, AsWide(surrogates),
                                             CheckedLength(surrogates.size()), out, room, nullptr, nullptr);
            });
        return bytes;
    }

    std::size_t MultiByteLength(std::u16string_view text) const override {
        if (text.empty()) {
            return 0;
        }
        const UnitForms* forms = Forms();
        if (forms == nullptr) {
            const int length = ApiLength(codePage_, text);
            return length > 0 ? static_cast<std::size_t>(length) : 0;
        }
        std::size_t length = 0;
        ForEachPiece(
            text, [&](char16_t unit) { length += forms->lengths[unit]; },
            [&](std::u16string_view surrogates) {
                length += static_cast<std::size_t>(std::max(ApiLength(codePage_, surrogates), 0));
            });
        return length;
    }

    const std::uint8_t* UnitColumns() const override {
        const UnitForms* forms = Forms();
        return forms == nullptr ? nullptr : forms->lengths.data();
    }

    const std::uint16_t* ShiftJisUnitForms() const override {
        const UnitForms* forms = Forms();
        return forms == nullptr || !forms->shiftJis ? nullptr : forms->bytes.data();
    }

    bool LocaleEqual(std::u16string_view a, std::u16string_view b, bool ignoreCase) const override {
        return ::CompareStringW(LOCALE_USER_DEFAULT, ignoreCase ? NORM_IGNORECASE : 0, AsWide(a),
                                CheckedLength(a.size()), AsWide(b), CheckedLength(b.size())) == CSTR_EQUAL;
    }

    bool ComparesByCodeUnit() const override { return false; }

  private:
    // Read on first use and shared by every later call; nullptr where the code page does not allow.
    const UnitForms* Forms() const {
        static const std::optional<UnitForms> forms = ReadUnitForms(codePage_);
        return forms ? &*forms : nullptr;
    }

    UINT codePage_ = ::GetACP();
};

// Made when the library is loaded, so the code page is the one GetACP reports then.
const Win32TextPlatform kWin32TextPlatform;

}  // namespace

const TextPlatform& SystemTextPlatform() {
    return kWin32TextPlatform;
}

}  // namespace MyLibrary
