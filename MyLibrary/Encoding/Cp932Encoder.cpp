// Code page 932 encoding: the code Windows writes for each unit.

#include <memory>

#include "MyLibrary/Encoding/CodecDetail.h"
#include "MyLibrary/Encoding/Cp932.h"

namespace MyLibrary {

const std::array<Cp932Code, 0x10000>& Cp932Codes() {
    static const auto codes = [] {
        struct Mapping {
            std::uint16_t unit;
            std::uint16_t code;
        };
        static constexpr Mapping kEncodings[] = {
#include "MyLibrary/Encoding/Cp932EncodeTable.inc"
        };
        auto table = std::make_unique<std::array<Cp932Code, 0x10000>>();
        table->fill(Cp932Code{{'?', 0}, 1});
        for (std::uint16_t unit = 0; unit < 0x80; ++unit) {
            (*table)[unit] = Cp932Code{{static_cast<char>(unit), 0}, 1};
        }
        // Six codes are listed for two units each (0x8191 for U+00A2 and U+FFE0, ...): encoding
        // maps both units to the code.
        for (const Mapping& mapping : kEncodings) {
            const std::uint16_t code = mapping.code;
            (*table)[mapping.unit] =
                code > 0xFF ? Cp932Code{{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)}, 2}
                            : Cp932Code{{static_cast<char>(code), 0}, 1};
        }
        return table;
    }();
    return *codes;
}

void EncodeCp932(std::u16string_view units, std::string& out) {
    const std::array<Cp932Code, 0x10000>& codes = Cp932Codes();
    char* write = CodecDetail::Reserve(out, 2 * units.size());
    for (const char16_t unit : units) {
        const Cp932Code& code = codes[unit];
        std::memcpy(write, code.bytes, 2);
        write += code.length;
    }
    CodecDetail::Trim(out, write);
}

}  // namespace MyLibrary
