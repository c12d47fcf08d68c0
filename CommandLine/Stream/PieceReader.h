#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "CommandLine/Stream/Piece.h"
#include "CommandLine/Stream/StreamTypes.h"
#include "CommandLine/Stream/UnitLayout.h"

namespace BlankwiseCli {

// Reads the source and cuts it into pieces that end where no conversion looks across (see
// ConvertStream), each with the display column its first line starts at.
class PieceReader {
  public:
    PieceReader(ByteSource& source, const StreamSettings& settings);

    // Reads the first bytes; takes a byte order mark off them and returns it.
    std::string_view Start(StreamOutcome& outcome);

    // Fills piece with the next piece's bytes, column and offset; false at the end of the input.
    bool Next(Piece& piece);

  private:
    void ReadMore();
    void HandOut(Piece& piece, std::size_t cut);
    std::size_t FindCut();
    bool CanCutBefore(std::string_view bytes, std::size_t p) const;
    std::size_t ParseForCut(std::string_view bytes);
    std::int32_t ColumnAtEnd(std::string_view bytes, std::int32_t start,
                             MyLibrary::Iso2022JpState shiftState) const;

    ByteSource& source_;
    const StreamSettings& settings_;
    UnitLayout layout_;
    Bytes pending_;
    std::uint64_t offset_ = 0;
    std::int32_t column_;
    MyLibrary::Iso2022JpState shiftState_;  // in ISO-2022-JP, where the pieces handed out leave it
    std::size_t scanned_ = 0;               // pending bytes searched for a cut without success
    std::size_t parsed_ = 0;                // a character start in pending bytes, found by ParseForCut
    bool atEnd_ = false;
    bool midLine_ = false;  // the last piece handed out ended inside a line
};

}  // namespace BlankwiseCli
