#include <array>
#include <cstdint>

#include "MyLibrary/Encoding/Cp932.h"
#include "MyLibrary/StringUnit/TextPlatform.h"

namespace MyLibrary {
namespace {

// Code page 932 without the operating system: the codec's table of the code Windows writes for
// each UTF-16 unit. A unit the code page does not map (surrogates included, paired or not)
// becomes one '?'.
class NativeCp932Platform final : public TextPlatform {
  public:
    NativeCp932Platform() {
        const std::array<Cp932Code, 0x10000>& codes = Cp932Codes();
        for (std::size_t unit = 0; unit < codes.size(); ++unit) {
            const Cp932Code& code = codes[unit];
            doubleByteFlags_[unit] = code.length == 2 ? 1 : 0;
            const auto first = static_cast<std::uint8_t>(code.bytes[0]);
            const auto second = code.length == 2 ? static_cast<std::uint8_t>(code.bytes[1]) : std::uint8_t{0};
            forms_[unit] = static_cast<std::uint16_t>(first | second << 8);
            formsAreShiftJis_ = formsAreShiftJis_ && IsCp932LeadByte(first) == (code.length == 2) &&
                                (code.length == 1 || second != 0);
        }
    }

    unsigned CodePage() const override { return 932; }

    std::string ToMultiByte(std::u16string_view text) const override {
        std::string bytes;
        EncodeCp932(text, bytes);
        return bytes;
    }

    std::size_t MultiByteLength(std::u16string_view text) const override {
        // One byte a unit, and one more for each unit that maps to a double-byte character.
        std::size_t length = text.size();
        for (const char16_t unit : text) {
            length += doubleByteFlags_[unit];
        }
        return length;
    }

    const std::uint8_t* DoubleByteFlags() const override { return doubleByteFlags_.data(); }

    const std::uint16_t* ShiftJisUnitForms() const override {
        return formsAreShiftJis_ ? forms_.data() : nullptr;
    }

    bool LocaleEqual(std::u16string_view a, std::u16string_view b, bool ignoreCase) const override {
        if (a.size() != b.size()) {
            return false;
        }
        if (!ignoreCase) {
            return a == b;
        }
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (FoldCase(a[i]) != FoldCase(b[i])) {
                return false;
            }
        }
        return true;
    }

    bool ComparesByCodeUnit() const override { return true; }

  private:
    // Simple case folding for the letters that have a one-unit upper-case partner: ASCII,
    // Latin-1, Greek, Cyrillic and the full-width Latin letters.
    static char16_t FoldCase(char16_t unit) {
        if ((unit >= u'A' && unit <= u'Z') || (unit >= 0x00C0 && unit <= 0x00DE && unit != 0x00D7) ||
            (unit >= 0x0391 && unit <= 0x03AB && unit != 0x03A2) || (unit >= 0x0410 && unit <= 0x042F)) {
            return static_cast<char16_t>(unit + 0x20);
        }
        if (unit >= 0x0400 && unit <= 0x040F) {
            return static_cast<char16_t>(unit + 0x50);
        }
        if (unit >= 0xFF21 && unit <= 0xFF3A) {
            return static_cast<char16_t>(unit + 0x20);
        }
        return unit;
    }

    std::array<std::uint8_t, 0x10000> doubleByteFlags_{};
    std::array<std::uint16_t, 0x10000> forms_{};
    bool formsAreShiftJis_ = true;
};

}  // namespace

const TextPlatform& NativeTextPlatform() {
    static const NativeCp932Platform platform;
    return platform;
}

}  // namespace MyLibrary
