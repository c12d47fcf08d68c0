// UTF-8 encoding.

#include <array>
#include <memory>

#include "MyLibrary/Encoding/CodecDetail.h"
#include "MyLibrary/Encoding/Utf8Facts.h"

namespace MyLibrary::CodecDetail {
namespace {

// The UTF-8 bytes of every BMP unit, copied four at a time (the length byte and any unused one are
// overwritten by the next character); surrogates, marked with length 0, take the slow way. Built a
// range of one length at a time, and apart from the encoding loop (not inlined into it), whose code
// the compiler otherwise laid out worse around it.
[[gnu::noinline]] std::unique_ptr<std::array<Utf8Code, 0x10000>> BuildUtf8Codes() {
    auto table = std::make_unique<std::array<Utf8Code, 0x10000>>();
    const auto fill = [&table](std::uint32_t first, std::uint32_t end) {
        for (std::uint32_t unit = first; unit < end; ++unit) {
            (*table)[unit] = Utf8CodeOf(static_cast<char16_t>(unit));
        }
    };
    fill(0, 0x80);
    fill(0x80, 0x800);
    fill(0x800, kFirstSurrogate);
    fill(kLastSurrogate + 1, 0x10000);
    return table;
}

const std::array<Utf8Code, 0x10000>& Utf8Codes() {
    static const auto codes = BuildUtf8Codes();
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
        if (code.length == 0) [[unlikely]] {  // a surrogate, out of the loop's way
            std::uint32_t value = units[i];
            if (IsHighSurrogate(value) && i + 1 < size && IsLowSurrogate(units[i + 1])) {
                value = CodePointOfPair(value, units[++i]);
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
