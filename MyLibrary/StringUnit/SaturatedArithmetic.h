#pragma once

#include <cstddef>
#include <limits>

namespace MyLibrary {

// Sizes that stop at the largest size_t instead of wrapping: a result that large fails where it is
// allocated rather than being sized too small.
inline std::size_t SaturatedAdd(std::size_t a, std::size_t b) {
    return b > std::numeric_limits<std::size_t>::max() - a ? std::numeric_limits<std::size_t>::max() : a + b;
}

inline std::size_t SaturatedMultiply(std::size_t a, std::size_t b) {
    return a != 0 && b > std::numeric_limits<std::size_t>::max() / a ? std::numeric_limits<std::size_t>::max()
                                                                     : a * b;
}

}  // namespace MyLibrary
