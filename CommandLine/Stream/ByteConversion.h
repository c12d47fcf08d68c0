#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "CommandLine/Stream/BytePatterns.h"
#include "CommandLine/Stream/EucJpWidths.h"
#include "CommandLine/Stream/Piece.h"
#include "CommandLine/Stream/Utf8Widths.h"
#include "MyLibrary/Encoding/TextCodec.h"
#include "MyLibrary/StringUnit/KernelVariants.h"
#include "MyLibrary/StringUnit/TextPlatform.h"

namespace BlankwiseCli {

// The encodings the byte path reads, each with its own loops.
enum class ByteText : std::uint8_t { Cp932, Utf8, EucJp };

// Tabs-to-spaces (6) and spaces-to-tabs (5) on the bytes of UTF-8, code page 932 or EUC-JP text,
// which are never decoded to UTF-16: tabs, spaces and breaks are single bytes that no other
// character holds, and a character's display width follows from its bytes. In code page 932 it is
// their count; in UTF-8 one column, or two where the platform's code page 932 form has two bytes
// (one column for each UTF-16 unit of a character that code page 932 lacks); in EUC-JP their
// count but for the shifted codes (EucJpWidths). The result is the
// pipeline's, byte for byte. Its loops take the kernel variant active when it is made
// (MyLibrary::ActiveKernelVariant). It holds the output of a conversion asked only whether the text
// changes: one for each converting thread.
class ByteConversion {
  public:
    // The byte form of the conversion with stops every tabWidth columns, or nothing where it does
    // not apply: another conversion or encoding, no width or a very wide one, or widths that are not the code
    // page 932 lengths of the text platform (in UTF-8 also a platform without a fixed length for each
    // unit).
    static std::optional<ByteConversion> For(int conversionId, MyLibrary::Encoding encoding,
                                             std::int32_t tabWidth, bool initialOnly,
                                             const MyLibrary::TextPlatform& platform);

    // Converts text (valid, whole characters) whose first line starts at display column column;
    // with --initial a first line that continues a line begun before stays as it is. Appends the
    // result to out unless out is null, and returns whether it differs from text.
    bool Convert(std::string_view text, std::int32_t column, bool startsMidLine, Bytes* out);

  private:
    // A loop of ConvertRange, called through a plain pointer, which costs no more than the
    // branches that would choose it.
    using RangeLoop = bool (*)(const ByteConversion& conversion, std::string_view text, std::size_t column,
                               Bytes& out);
    struct Wrap;

    ByteConversion(bool compress, ByteText byteText, std::size_t tabWidth, bool initialOnly,
                   const MyLibrary::TextPlatform& platform, EucJpWidths eucJpWidths);

    static RangeLoop LoopFor(bool compress, ByteText byteText, MyLibrary::KernelVariant variant);
    template <MyLibrary::KernelVariant kVariant>
    static RangeLoop LoopFor(bool compress, ByteText byteText);
    template <ByteText kText, MyLibrary::KernelVariant kVariant>
    static RangeLoop LoopFor(bool compress);
    bool ConvertRange(std::string_view text, std::size_t column, Bytes* out);
    template <bool kCompress, ByteText kText, MyLibrary::KernelVariant kVariant>
    static bool RunLoop(const ByteConversion& conversion, std::string_view text, std::size_t column,
                        Bytes& out);
#if BLANKWISE_POPCOUNT_DISPATCH
    __attribute__((target("popcnt"), flatten)) static bool RunUtf8LoopWithPopcount(
        const ByteConversion& conversion, std::string_view text, std::size_t column, Bytes& out);
#endif
    template <ByteText kText, MyLibrary::KernelVariant kVariant>
    bool ExpandRange(std::string_view text, std::size_t column, Bytes& out) const;
    template <ByteText kText, MyLibrary::KernelVariant kVariant>
    bool CompressRange(std::string_view text, std::size_t column, Bytes& out) const;
    bool ConvertInitialBlanks(std::string_view text, std::size_t column, bool startsMidLine, Bytes* out);

    RangeLoop convertRange_;  // the loop for the conversion, the encoding and the kernel variant
    bool compress_;           // spaces to tabs; the popcount loops, both in one function, branch on it
    std::string_view fullWidthSpace_;  // its bytes in the encoding, for --initial
    std::size_t stop_;
    std::size_t wrapMask_;  // the tab width less one where it is a power of two (not 1), else 0
    bool initialOnly_;
    Utf8Widths utf8Widths_;
    EucJpWidths eucJpWidths_;
    BytePatterns breaks_;
    Bytes discarded_;  // the output nobody reads, when only the change is asked for
};

}  // namespace BlankwiseCli
