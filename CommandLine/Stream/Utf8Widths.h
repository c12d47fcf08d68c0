#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "MyLibrary/StringUnit/BitMasks.h"
#include "MyLibrary/StringUnit/TextPlatform.h"
#include "MyLibrary/StringUnit/VectorPaths.h"

namespace BlankwiseCli {

// The display columns of UTF-8 text a block of 64 bytes at a time, as the given text platform
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
