// UTF-8 encoding.

#include <array>
#include <memory>

#include "MyLibrary/Encoding/CodecDetail.h"

namespace MyLibrary::CodecDetail {
namespace {

// The UTF-8 bytes of every BMP unit, copied four at a time (the length byte and any unused one are
// overwritten by the next character); surrogates, marked with length 0, take the slow way.
struct Utf8Code {
    char bytes[3];
    std::uint8_t length;
};

const std::array<Utf8Code, 0x10000>& Utf8Codes() {
    static const auto codes = [] {
        auto table = std::make_unique<std::array<Utf8Code, 0x10000>>();
        for (std::uint32_t unit = 0; unit < 0x10000; ++unit) {
            Utf8Code& code = (*table)[unit];
            if (unit < 0x80) {
                code = {{static_cast<char>(unit), 0, 0}, 1};
            } else if (unit < 0x800) {
                code = {{static_cast<char>(0xC0 | (unit >> 6)), static_cast<char>(0x80 | (unit & 0x3F)), 0},
                        2};
            } else if ((unit & 0xF800) == 0xD800) {
                code = {{0, 0, 0}, 0};
            } else {
                code = {
                    {static_cast<char>(0xE0 | (unit >> 12)), static_cast<char>(0x80 | ((unit >> 6) & 0x3F)),
                     static_cast<char>(0x80 | (unit & 0x3F))},
                    3};
            }
        }
        return table;
    }();
    return *codes;
}

}  // namespace

// A lone surrogate, which no decoded text holds, becomes U+FFFD.
void EncodeUtf8(std::u16string_view units, std::string& out) {
    const auto& codes = Utf8Codes();
    char* write = Reserve(out, 3 * units.size() + 1);
    const std::size_t size = units.size();
    for (std::size_t i = 0; i < size; ++i) {
        const Utf8Code& code = codes[units[i]];
        std::memcpy(write, &code, sizeof code);
        write += code.length;
        if (code.length == 0) {
            std::uint32_t value = units[i];
            if (IsHighSurrogate(value) && i + 1 < size && IsLowSurrogate(units[i + 1])) {
                value = 0x10000 + ((value - 0xD800) << 10) + (units[++i] - 0xDC00u);
                *write++ = static_cast<char>(0xF0 | (value >> 18));
                *write++ = static_cast<char>(0x80 | ((value >> 12) & 0x3F));
                *write++ = static_cast<char>(0x80 | ((value >> 6) & 0x3F));
                *write++ = static_cast<char>(0x80 | (value & 0x3F));
            } else {
                std::memcpy(write, &codes[kReplacementCharacter], sizeof(Utf8Code));
                write += 3;
            }
        }
    }
    Trim(out, write);
}

}  // namespace MyLibrary::CodecDetail
