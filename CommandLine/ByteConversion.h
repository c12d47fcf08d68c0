#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "CommandLine/BytePatterns.h"
#include "CommandLine/Piece.h"
#include "CommandLine/Utf8Widths.h"
#include "MyLibrary/Encoding/TextCodec.h"
#include "MyLibrary/StringUnit/TextPlatform.h"

namespace BlankwiseCli {

// Tabs-to-spaces (6) and spaces-to-tabs (5) on the bytes of UTF-8 or code page 932 text, which
// are never decoded to UTF-16: tabs, spaces and breaks are single bytes that no other character
// holds, and a character's display width follows from its bytes. In code page 932 it is their
// count; in UTF-8 one column, or two where the platform's code page 932 form has two bytes (one
// column for each UTF-16 unit of a character that code page 932 lacks). The result is the
// pipeline's, byte for byte.
class ByteConversion {
  public:
    // The byte form of the conversion with stops every tabWidth columns, or nothing where it does
    // not apply: another conversion or encoding, no width or a very wide one, or widths that are not the code
    // page 932 lengths of the current text platform (in UTF-8 also a platform without a fixed length for each
    // unit).
    static std::optional<ByteConversion> For(int conversionId, MyLibrary::Encoding encoding,
                                             std::int32_t tabWidth, bool initialOnly);

    // Converts text (valid, whole characters) whose first line starts at display column column;
    // with --initial a first line that continues a line begun before stays as it is. Appends the
    // result to out unless out is null, and returns whether it differs from text.
    bool Convert(std::string_view text, std::int32_t column, bool startsMidLine, Bytes* out) const;

  private:
    ByteConversion(bool compress, MyLibrary::Encoding encoding, std::size_t tabWidth, bool initialOnly,
                   const MyLibrary::TextPlatform& platform);

    bool ConvertRange(std::string_view text, std::size_t column, Bytes* out) const;
#if BLANKWISE_POPCOUNT_DISPATCH
    bool ConvertUtf8WithPopcount(std::string_view text, std::size_t column, Bytes* out) const;
#endif
    template <bool kCompress, bool kUtf8, bool kPopcount>
    bool ConvertRangeAs(std::string_view text, std::size_t column, Bytes* out) const;
    bool ConvertInitialBlanks(std::string_view text, std::size_t column, bool startsMidLine,
                              Bytes* out) const;
    std::size_t BlanksEnd(std::string_view text, std::size_t pos) const;

    bool compress_;
    bool utf8_;
    std::size_t stop_;
    std::size_t wrapMask_;  // the tab width less one where it is a power of two (not 1), else 0
    bool initialOnly_;
    bool popcount_;  // the processor has the instruction that counts bits, and the build does not assume it
    Utf8Widths utf8Widths_;
    BytePatterns breaks_;
    mutable Bytes scratch_;  // the output nobody reads, when only the change is asked for
};

}  // namespace BlankwiseCli
