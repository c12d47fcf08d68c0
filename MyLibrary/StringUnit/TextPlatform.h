#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace MyLibrary {

// The two text services the library takes from the operating system: the multi-byte form of a
// wide string in the system code page, and the user locale's string comparison. The Win32 build
// answers them with WideCharToMultiByte and CompareStringW; the native build with its own code
// page 932 table and a code-unit comparison.
class TextPlatform {
  public:
    virtual ~TextPlatform() = default;

    // The code page the multi-byte form is made in (932 on a Japanese system).
    virtual unsigned CodePage() const = 0;

    // WideCharToMultiByte(CodePage(), 0, text, ..., no default character): bytes.
    virtual std::string ToMultiByte(std::u16string_view text) const = 0;

    // The byte length of ToMultiByte(text), without building it.
    virtual std::size_t MultiByteLength(std::u16string_view text) const = 0;

    // Where every unit's multi-byte length is fixed whatever its neighbours, a table of 65,536
    // entries: 1 for the units whose multi-byte form has two bytes, 0 for those with one, so that
    // a caller measuring many short runs can sum the lengths inline instead of calling
    // MultiByteLength for each. nullptr where a unit's length may depend on its neighbours (the real
    // API may turn a surrogate pair into one character).
    virtual const std::uint8_t* DoubleByteFlags() const { return nullptr; }

    // The width of text in display columns, text holding no line break and no tab: as many
    // columns as its multi-byte form has bytes (two for a full-width character in code page 932),
    // unless the platform measures widths its own way.
    virtual std::size_t DisplayWidth(std::u16string_view text) const { return MultiByteLength(text); }

    // True when DisplayWidth is MultiByteLength, so that a caller holding code page 932 bytes may
    // take their count as the width.
    virtual bool WidthIsMultiByteLength() const { return true; }

    // Where DoubleByteFlags is nullptr but most units have a width of their own, a table of 65,536
    // entries: each unit's columns (0 to 2), or kColumnsFromNeighbours for a unit whose width
    // depends on the units beside it (a surrogate: a pair is one character). A caller that finds
    // such a unit in a run measures the character it belongs to with DisplayWidth.
    static constexpr std::uint8_t kColumnsFromNeighbours = 0x40;
    virtual const std::uint8_t* UnitColumns() const { return nullptr; }

    // Where the multi-byte form of a text without surrogates is each unit's own form in turn, and
    // each such form is one Shift-JIS character (a byte outside the lead-byte ranges, or a lead byte
    // and a second byte), a table of 65,536 entries: each unit's form, its first byte in the low
    // eight bits and its second byte in the high eight (0 for a one-byte form). A surrogate's entry
    // means nothing (the real API may make one character of a pair). The byte classes of
    // ByteTypeAt then fall on the units' forms, so that a caller can count a character's
    // occurrences in the multi-byte form by units instead of building it. nullptr otherwise.
    virtual const std::uint16_t* ShiftJisUnitForms() const { return nullptr; }

    // CompareStringW(LOCALE_USER_DEFAULT, ignoreCase ? NORM_IGNORECASE : 0, a, b) == CSTR_EQUAL.
    virtual bool LocaleEqual(std::u16string_view a, std::u16string_view b, bool ignoreCase) const = 0;

    // True when LocaleEqual(a, b, false) is exactly code-unit equality, so that a caller may
    // search with plain unit comparisons and get the same matches.
    virtual bool ComparesByCodeUnit() const = 0;
};

// The implementation the library uses: the one chosen with UseTextPlatform, else the system's own
// (the real API in the Win32 build, the native one elsewhere).
const TextPlatform& CurrentTextPlatform();

// The system's own implementation.
const TextPlatform& SystemTextPlatform();

// Makes every later text operation of the process use platform (which must outlive them). A
// program that measures widths in code page 932 whatever the system's code page chooses
// NativeTextPlatform() once at start-up, before any other thread runs; the plug-in never calls it.
void UseTextPlatform(const TextPlatform& platform);

// The portable implementation (code page 932 table, code-unit comparison with simple case
// folding). Built on every platform so that tests can hold it against the real API.
const TextPlatform& NativeTextPlatform();

}  // namespace MyLibrary
