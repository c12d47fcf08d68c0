#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "MyLibrary/StringUnit/TextPlatform.h"

namespace BlankwiseCli {

// The display columns of EUC-JP text as the given text platform measures its characters, from
// their code page 932 lengths: an ASCII byte one column, a row-cell of JIS X 0208 two, a
// half-width katakana code (two bytes after 0x8E) one, and a second-plane code (three bytes after
// 0x8F) two where code page 932 has its character, else one. So outside the shifted codes a
// stretch is as wide as it is long.
class EucJpWidths {
  public:
    EucJpWidths() = default;
    // Measures every code; Exact() tells whether the rule above is the platform's.
    explicit EucJpWidths(const MyLibrary::TextPlatform& platform);

    // Whether the platform measures each character by its code page 932 length, the same whatever
    // its neighbours, every row-cell of JIS X 0208 two columns and every half-width katakana one.
    bool Exact() const { return exact_; }

    // The columns of the whole characters of bytes[from, to).
    std::size_t Between(const std::uint8_t* bytes, std::size_t from, std::size_t to) const;

  private:
    bool exact_ = false;
    // By second-plane row-cell: 1 where the character is two columns wide.
    std::vector<std::uint8_t> secondPlaneWide_;
};

}  // namespace BlankwiseCli
