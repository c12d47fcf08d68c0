#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "Blankwise/TabStops.h"
#include "CommandLine/Stream/ByteConversion.h"
#include "CommandLine/Stream/BytePatterns.h"
#include "CommandLine/Stream/Piece.h"
#include "CommandLine/Stream/StreamTypes.h"
#include "CommandLine/Stream/UnitLayout.h"

namespace BlankwiseCli {

// Converts pieces one at a time; one for each converting thread, for its buffers. Lines without
// any unit the conversion acts on are checked and copied without being decoded. ISO-2022-JP is
// read from the shift state each piece starts in, and each changed line written from the state
// at its start to the one at its end, so that the lines after it read the same.
class PieceConverter {
  public:
    PieceConverter(int conversionId, MyLibrary::Encoding encoding, bool writes,
                   const StreamSettings& settings);

    // Fills the piece's output (when the converter writes), changed and invalid from its input; a
    // failure is kept in the piece, for the writing thread to throw.
    void Convert(Piece& piece);

  private:
    std::size_t LineEnd(std::string_view bytes, std::size_t pos) const;
    void ConvertLines(Piece& piece);
    void ConvertBytes(Piece& piece);
    MyLibrary::DecodeResult Read(std::string_view bytes, MyLibrary::Iso2022JpState& shiftState,
                                 std::u16string* out, bool& recoded) const;
    bool Copy(Piece& piece, std::size_t from, std::size_t to, MyLibrary::Iso2022JpState& shiftState);
    bool ConvertRun(Piece& piece, std::size_t from, std::size_t to, MyLibrary::Iso2022JpState& shiftState);
    void EncodeChangedLines(std::string_view bytes, MyLibrary::Iso2022JpState shiftState, std::string& out);
    void EncodeLine(std::u16string_view units, MyLibrary::Iso2022JpState start, MyLibrary::Iso2022JpState end,
                    std::string& out) const;

    int conversionId_;
    Blankwise::TabStops tabStops_;
    const MyLibrary::TextPlatform& platform_;
    bool initialOnly_;
    UnitLayout layout_;
    BytePatterns triggers_;
    BytePatterns breaks_;
    bool writes_;
    std::optional<ByteConversion> byteConversion_;
    std::u16string units_;
    std::u16string converted_;
    std::string encoded_;  // a changed run's bytes, before they join the output
};

}  // namespace BlankwiseCli
