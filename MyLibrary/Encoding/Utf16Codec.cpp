// UTF-16 in both byte orders: decoding, strict and lenient, and encoding.

#include "MyLibrary/Encoding/CodecDetail.h"

namespace MyLibrary {
namespace CodecDetail {
namespace {

// Writes at most one unit for each two bytes.
DecodeResult DecodeUtf16At(std::string_view bytes, bool bigEndian, bool atEnd, char16_t*& write) {
    const std::size_t unitCount = bytes.size() / 2;
    const auto unitAt = [&](std::size_t k) -> std::uint32_t { return Utf16UnitAt(bytes, 2 * k, bigEndian); };
    std::size_t k = 0;
    while (k < unitCount) {
        const std::uint32_t unit = unitAt(k);
        if (IsHighSurrogate(unit)) {
            if (k + 1 == unitCount) {
                return {2 * k, atEnd};
            }
            const std::uint32_t next = unitAt(k + 1);
            if (!IsLowSurrogate(next)) {
                return {2 * k, true};
            }
            *write++ = static_cast<char16_t>(unit);
            *write++ = static_cast<char16_t>(next);
            k += 2;
        } else if (IsLowSurrogate(unit)) {
            return {2 * k, true};
        } else {
            *write++ = static_cast<char16_t>(unit);
            ++k;
        }
    }
    // An odd byte left at the end waits for its partner, or is invalid at the end of the input.
    return {2 * unitCount, atEnd && bytes.size() % 2 != 0};
}

}  // namespace

DecodeResult DecodeUtf16(std::string_view bytes, bool bigEndian, bool atEnd, std::u16string& out) {
    char16_t* write = Reserve(out, bytes.size() / 2);
    const DecodeResult result = DecodeUtf16At(bytes, bigEndian, atEnd, write);
    Trim(out, write);
    return result;
}

void EncodeUtf16(std::u16string_view units, bool bigEndian, std::string& out) {
    char* write = Reserve(out, 2 * units.size());
    for (const char16_t unit : units) {
        const auto high = static_cast<char>(unit >> 8);
        const auto low = static_cast<char>(unit & 0xFF);
        *write++ = bigEndian ? high : low;
        *write++ = bigEndian ? low : high;
    }
}

}  // namespace CodecDetail

// The strict decoder up to each stop: the unpaired surrogate it stops at is kept and decoding
// goes on after it; at the end, a single byte left over becomes U+FFFD.
std::u16string Utf16ToUnitsLenient(std::string_view bytes, bool bigEndian) {
    std::u16string out;
    char16_t* write = CodecDetail::Reserve(out, bytes.size() / 2 + 1);
    std::size_t i = 0;
    while (true) {
        const DecodeResult decoded = CodecDetail::DecodeUtf16At(bytes.substr(i), bigEndian, true, write);
        i += decoded.consumed;
        if (!decoded.invalid) {
            break;
        }
        if (bytes.size() - i < 2) {
            *write++ = CodecDetail::kReplacementCharacter;
            break;
        }
        *write++ = Utf16UnitAt(bytes, i, bigEndian);
        i += 2;
    }
    CodecDetail::Trim(out, write);
    return out;
}

}  // namespace MyLibrary
