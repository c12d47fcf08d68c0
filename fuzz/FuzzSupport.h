#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "MyLibrary/Encoding/EscapedText.h"

// What the fuzz targets share: a reader that turns libFuzzer's bytes into texts made mostly of the
// units the code under test treats specially, and the check that ends the run on a broken property.
namespace Fuzzing {

// Reads small numbers and texts from the input. Every read succeeds: an exhausted input reads as
// zero bytes and empty texts, so any input is a valid test case.
class FuzzInput {
  public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool Exhausted() const { return position_ == size_; }

    std::uint8_t Byte() { return Exhausted() ? 0 : data_[position_++]; }

    // One text field, up to a 0xFF byte or the input's end. A byte below 0xF0 stands for a unit
    // of the alphabet (its value modulo the alphabet's size); 0xF0 to 0xFE take the next two bytes
    // as one raw UTF-16 unit, little-endian, so that any unit (a lone surrogate, U+0000) can occur.
    std::u16string Text(std::u16string_view alphabet) {
        std::u16string text;
        while (!Exhausted()) {
            const std::uint8_t byte = data_[position_++];
            if (byte == kFieldEnd) {
                break;
            }
            if (byte >= kRawUnit) {
                const std::uint8_t low = Byte();
                text += static_cast<char16_t>(low | (Byte() << 8));
            } else {
                text += alphabet[byte % alphabet.size()];
            }
        }
        return text;
    }

    static constexpr std::uint8_t kRawUnit = 0xF0;
    static constexpr std::uint8_t kFieldEnd = 0xFF;

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

// Texts in failure reports: one line of ASCII.
using MyLibrary::EscapeText;

// Ends the run as a finding when a property does not hold; libFuzzer keeps the input that did it.
inline void Check(bool holds, std::string_view property, const std::string& details = {}) {
    if (!holds) {
        std::fprintf(stderr, "property broken: %.*s\n%s\n", static_cast<int>(property.size()),
                     property.data(), details.c_str());
        std::abort();
    }
}

}  // namespace Fuzzing
