#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "CommandLine/Stream/UnitLayout.h"

namespace BlankwiseCli {

// Finds the first of up to three short byte patterns (the encoded forms of units) at a unit
// boundary, sixteen positions at a time where SSE2 is at hand.
class BytePatterns {
  public:
    // The patterns of the units in the layout's encoding; Blankwise::kNoUnit stands for none.
    BytePatterns(const UnitLayout& layout, std::initializer_list<char16_t> units);

    // The offset of the first match at or after from (a unit boundary), or npos.
    std::size_t FindIn(std::string_view text, std::size_t from) const;

  private:
    struct Pattern {
        std::array<std::uint8_t, 4> bytes{};
        std::size_t length = 0;
    };
    std::array<Pattern, 3> patterns_{};
    std::size_t count_ = 0;
    std::size_t align_;
    bool oneByteEach_ = true;  // every pattern is one byte (and so is a unit)
};

}  // namespace BlankwiseCli
