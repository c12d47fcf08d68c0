#include <array>
#include <cstdint>

#include "MyLibrary/StringUnit/TextPlatform.h"

namespace MyLibrary {
namespace {

struct Cp932Mapping {
    std::uint16_t unit;
    std::uint16_t bytes;
};

constexpr Cp932Mapping kCp932Mappings[] = {
#include "MyLibrary/StringUnit/Cp932Table.inc"
};

constexpr std::uint16_t kUnmapped = 0xFFFF;
constexpr char kUnmappedByte = '?';

// Code page 932 without the operating system: one table lookup per UTF-16 unit. A unit the code
// page does not map (surrogates included, paired or not) becomes one '?'.
class NativeCp932Platform final : public TextPlatform {
  public:
    NativeCp932Platform() {
        bytesOfUnit_.fill(kUnmapped);
        for (std::uint16_t unit = 0; unit < 0x80; ++unit) {
            bytesOfUnit_[unit] = unit;
        }
        for (const Cp932Mapping& mapping : kCp932Mappings) {
            bytesOfUnit_[mapping.unit] = mapping.bytes;
            doubleByteFlags_[mapping.unit] = mapping.bytes > 0xFF ? 1 : 0;
        }
    }

    unsigned CodePage() const override { return 932; }

    std::string ToMultiByte(std::u16string_view text) const override {
        // One pass into a buffer of the largest possible size (two bytes a unit), then cut.
        std::string bytes(text.size() * 2, '\0');
        char* out = bytes.data();
        for (char16_t unit : text) {
            const std::uint16_t code = bytesOfUnit_[unit];
            if (code == kUnmapped) {
                *out++ = kUnmappedByte;
            } else if (code > 0xFF) {
                *out++ = static_cast<char>(code >> 8);
                *out++ = static_cast<char>(code & 0xFF);
            } else {
                *out++ = static_cast<char>(code);
            }
        }
        bytes.resize(static_cast<std::size_t>(out - bytes.data()));
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

    std::array<std::uint16_t, 0x10000> bytesOfUnit_{};
    std::array<std::uint8_t, 0x10000> doubleByteFlags_{};
};

}  // namespace

const TextPlatform& NativeTextPlatform() {
    static const NativeCp932Platform platform;
    return platform;
}

}  // namespace MyLibrary
