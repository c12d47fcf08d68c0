#include "Blankwise/Utf8.h"

#include <cstdint>

namespace Blankwise {
namespace {

constexpr char16_t kReplacement = u'\uFFFD';

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view bytes) {
    std::u16string units;
    units.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            units += static_cast<char16_t>(lead);
            ++i;
            continue;
        }
        // The sequence's length and the smallest value it may carry (anything below is overlong).
        std::size_t length = 0;
        std::uint32_t value = 0;
        std::uint32_t minimum = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            value = lead & 0x1Fu;
            minimum = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            value = lead & 0x0Fu;
            minimum = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            value = lead & 0x07u;
            minimum = 0x10000;
        } else {
            units += kReplacement;
            ++i;
            continue;
        }
        // Consume the continuation bytes that are there; a sequence cut short is replaced as a
        // whole and the byte that cut it starts the next one.
        std::size_t consumed = 1;
        while (consumed < length && i + consumed < bytes.size() &&
               IsContinuation(static_cast<unsigned char>(bytes[i + consumed]))) {
            value = (value << 6) | (static_cast<unsigned char>(bytes[i + consumed]) & 0x3Fu);
            ++consumed;
        }
        i += consumed;
        if (consumed < length || value < minimum || value > 0x10FFFF ||
            (value >= 0xD800 && value <= 0xDFFF)) {
            units += kReplacement;
        } else if (value >= 0x10000) {
            value -= 0x10000;
            units += static_cast<char16_t>(0xD800 + (value >> 10));
            units += static_cast<char16_t>(0xDC00 + (value & 0x3FF));
        } else {
            units += static_cast<char16_t>(value);
        }
    }
    return units;
}

}  // namespace Blankwise
