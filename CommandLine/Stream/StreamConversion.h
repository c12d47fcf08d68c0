#pragma once

#include "CommandLine/Stream/StreamTypes.h"

namespace BlankwiseCli {

// Reads the whole source, converts it and writes it to sink (nothing is written when sink is
// null), so that the result is that of the whole text converted at once, with the bytes of each
// line the conversion leaves as it is kept exactly (a line longer than a piece, stretch by
// stretch); changed lines are written with the codes Windows writes. A byte order mark of a
// Unicode encoding at the start selects that encoding, whatever settings.encoding says, and is
// written back unchanged.
//
// The text is cut into pieces where no conversion looks across: after a line break, or inside a
// long line after a character that is no blank (the next piece then starts at that display
// column). Pieces are converted on the calling thread and on settings.helperThreads others, a few
// at a time, and written in order, so the memory held is a few pieces, or the longest stretch
// without such a point. Lines without any unit the conversion acts on are checked and copied
// without being decoded.
//
// On invalid input the sink has received the conversion of a part of the text before the invalid
// bytes, ending with whole lines, or with bytes of the line that holds them that the conversion
// leaves as they are.
StreamOutcome ConvertStream(ByteSource& source, ByteSink* sink, const StreamSettings& settings);

}  // namespace BlankwiseCli
