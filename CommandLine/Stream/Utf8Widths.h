#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "MyLibrary/StringUnit/TextPlatform.h"
#include "MyLibrary/StringUnit/VectorPaths.h"

namespace BlankwiseCli {

// Bits from..to-1 of a block's mask, to at most 64.
inline std::uint64_t BitsBetween(std::size_t from, std::size_t to) {
    const std::uint64_t below = to >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << to) - 1;
    return below & ~((std::uint64_t{1} << from) - 1);
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

// The display columns of UTF-8 text a block of 64 bytes at a time, as the current text platform
// measures them: from its code page 932 lengths (one column, two where the code page 932 form has
// two bytes, one for each UTF-16 unit of a character code page 932 lacks), or, without them, from
// its Unicode widths. A block's columns are one bit mask, so that the columns of any stretch in it
// are the bits between the stretch's ends.
class Utf8Widths {
  public:
    // Whether the platform has a table of either kind.
    static bool Available(const MyLibrary::TextPlatform& platform);
    explicit Utf8Widths(const MyLibrary::TextPlatform& platform);

    // The columns of the block of 64 bytes at `block` of bytes[0, size), whole characters: bit k
    // set for each column that byte k counts. kSse2 takes the SSE2 kernels (only in a build that
    // has them), else the scalar ones.
    struct Block {
        std::uint64_t columns = 0;
        bool regular = true;  // no character is wider than two columns
    };
    template <bool kSse2>
    Block At(const std::uint8_t* bytes, std::size_t size, std::size_t block) const;

    // The columns of the characters from from to to, which ends in the block at `block`, whose
    // widths are given, as may be those of the block before; the other blocks before it are
    // measured here.
    template <bool kSse2>
    std::size_t Between(const std::uint8_t* bytes, std::size_t size, std::size_t from, std::size_t to,
                        std::size_t block, const Block& widths, const Block* previous) const;

  private:
    std::size_t OneByOne(const std::uint8_t* from, const std::uint8_t* to) const;
    std::size_t CharacterWidth(const std::uint8_t* p) const;
    std::size_t UnitWidth(char16_t unit) const;

    const MyLibrary::TextPlatform* platform_;
    const std::uint8_t* doubleByteFlags_;  // by UTF-16 unit: 1 where code page 932 takes two bytes
    const std::uint8_t* unitColumns_;      // Unicode widths by UTF-16 unit, where there are no flags
    // The flags again, by the first two bytes of a character (six bits of each), a bit for each
    // third byte (six bits of it): found from the bytes with fewer steps than the unit.
    std::vector<std::uint64_t> rowFlags_;
};

}  // namespace BlankwiseCli
