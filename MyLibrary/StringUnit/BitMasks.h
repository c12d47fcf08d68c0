#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

#include "MyLibrary/StringUnit/Assertion.h"

// The bit masks the block kernels sum a block up in (bit k for unit or byte k): ranges of bits and
// their counts.
namespace MyLibrary {

// Bits 0..count-1, count up to 64.
constexpr std::uint64_t BitsBelow(std::size_t count) {
    return count >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << count) - 1;
}

// Bits from..to-1, for from <= to <= 64 and from below 64 (asserted).
inline std::uint64_t BitsBetween(std::size_t from, std::size_t to) {
    BLANKWISE_ASSERT(from <= to && to <= 64 && from < 64);
    return BitsBelow(to) & ~((std::uint64_t{1} << from) - 1);
}

// The set bits of a mask. A baseline x86 build has no instruction for it, and std::popcount would
// call a library routine there; kInstruction asks for the instruction, for code compiled for it.
template <bool kInstruction = false>
inline unsigned CountBits(std::uint64_t bits) {
#if defined(__POPCNT__)
    return static_cast<unsigned>(std::popcount(bits));
#else
    if constexpr (kInstruction) {
        return static_cast<unsigned>(__builtin_popcountll(bits));
    } else {
        bits -= (bits >> 1) & 0x5555555555555555u;
        bits = (bits & 0x3333333333333333u) + ((bits >> 2) & 0x3333333333333333u);
        bits = (bits + (bits >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
        return static_cast<unsigned>((bits * 0x0101010101010101u) >> 56);
    }
#endif
}

// The same for a mask of 16 bits, in 32-bit arithmetic (a 32-bit build has no 64-bit multiply).
inline unsigned CountBits(std::uint16_t bits) {
    std::uint32_t count = bits;
    count = count - ((count >> 1) & 0x5555u);
    count = (count & 0x3333u) + ((count >> 2) & 0x3333u);
    count = (count + (count >> 4)) & 0x0F0Fu;
    return (count + (count >> 8)) & 0x1Fu;
}

}  // namespace MyLibrary
