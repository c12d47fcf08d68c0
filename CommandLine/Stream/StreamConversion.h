#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "Blankwise/ConversionPipelines.h"
#include "Blankwise/TabStops.h"
#include "MyLibrary/Encoding/TextCodec.h"
#include "MyLibrary/StringUnit/TextPlatform.h"

namespace BlankwiseCli {

// Where bytes come from: Read fills up to size bytes and returns how many, 0 at the end.
// Failures are thrown as IoError.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    virtual std::size_t Read(char* buffer, std::size_t size) = 0;
};

// Where converted bytes go. sameAsInput tells that the bytes repeat the input's bytes at the same
// offset (nothing converted so far), which lets an in-place rewrite wait for the first change.
class ByteSink {
  public:
    virtual ~ByteSink() = default;
    virtual void Write(std::string_view bytes, bool sameAsInput) = 0;
};

// The units a conversion acts on (up to three; kNone fills the rest): a line without any of them
// comes out of the conversion unchanged. TriggersOf takes them from the pipeline table
// (Blankwise::UnitsActedOn).
struct TriggerUnits {
    static constexpr char16_t kNone = Blankwise::kNoUnit;
    char16_t units[3];

    // The position of the first of the units at or after from, or npos.
    std::size_t FindIn(std::u16string_view text, std::size_t from) const;
};
TriggerUnits TriggersOf(int conversionId);

// How many threads besides the calling one convert pieces of a stream unless told otherwise: one
// for each further processor, up to three.
std::size_t DefaultHelperThreads();

struct StreamSettings {
    int conversionId = 0;
    std::int32_t startColumn = 0;
    MyLibrary::Encoding encoding = MyLibrary::Encoding::Utf8;
    std::size_t readSize = std::size_t{1} << 16;  // bytes asked of the source at a time
    // The code units (bytes; two-byte units in UTF-16) a piece gathers before it is cut: small
    // enough that the pieces in flight and their output stay in each processor's nearer caches.
    std::size_t chunkUnits = std::size_t{1} << 16;
    std::size_t helperThreads = DefaultHelperThreads();
    Blankwise::TabStops tabStops = Blankwise::TabStops::Every(Blankwise::kTabWidth);
    bool initialOnly = false;  // convert only the blanks that start each line (--initial)
    // Convert on the bytes where the conversion, the encoding and the widths allow it
    // (ByteConversion); false sends every changed line through the shared pipeline.
    bool bytePaths = true;
    // What measures display widths (and compares, in the pipeline), on every converting thread: by
    // default the platform current when the settings are made.
    const MyLibrary::TextPlatform* textPlatform = &MyLibrary::CurrentTextPlatform();
};

struct StreamOutcome {
    bool invalid = false;           // stopped at bytes that are not valid in the encoding
    std::uint64_t errorOffset = 0;  // their offset from the start of the input, byte order mark included
    bool changed = false;           // the converted text differs from the input
    // The encoding read, after a byte order mark.
    MyLibrary::Encoding encoding = MyLibrary::Encoding::Utf8;
};

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
