#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <random>
#include <string>

namespace MyLibrary::Testing {

// Texts made of the characters the conversions care about: both spaces, tabs, the three line
// breaks, ASCII, half-width katakana (one column), kanji (two) and, unless excluded, a character
// outside the BMP.
class RandomTexts {
  public:
    explicit RandomTexts(std::uint32_t seed) : random_(seed) {}

    std::u16string Text(std::size_t length, bool withSurrogates = true) {
        static constexpr char16_t kUnits[] = {u' ',      u' ',      u' ',      u'\t',     u'\t',
                                              u'\u3000', u'\u3000', u'a',      u'b',      u'\r',
                                              u'\n',     u'\n',     u'\uFF71', u'\u6F22', u'\u3042'};
        std::u16string text;
        std::uniform_int_distribution<std::size_t> pick(0, std::size(kUnits) - (withSurrogates ? 0 : 1));
        while (text.size() < length) {
            const std::size_t k = pick(random_);
            if (k == std::size(kUnits)) {
                text += u"\U0001F600";
            } else {
                text += kUnits[k];
            }
        }
        return text;
    }

    std::size_t Between(std::size_t low, std::size_t high) {
        return std::uniform_int_distribution<std::size_t>(low, high)(random_);
    }

    std::mt19937& Engine() { return random_; }

  private:
    std::mt19937 random_;
};

}  // namespace MyLibrary::Testing
