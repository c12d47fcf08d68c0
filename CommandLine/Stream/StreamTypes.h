#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "Blankwise/TabStops.h"
#include "Blankwise/TextTransforms.h"
#include "MyLibrary/Encoding/TextCodec.h"
#include "MyLibrary/StringUnit/TextPlatform.h"

// The stream's types, which its parts (the reader, the converters, the queue), the files and the diff
// share; the stream itself is ConvertStream (StreamConversion.h).
namespace BlankwiseCli {

// Where bytes come from: Read fills up to size bytes and returns how many, 0 at the end.
// Failures are thrown as IoError.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    virtual std::size_t Read(char* buffer, std::size_t size) = 0;

    // A source that can be read again (a regular file) remembers where the next Read reads from
    // and returns true; ReturnToMark then goes back there. One that cannot (a pipe) returns false.
    virtual bool Mark() { return false; }
    virtual void ReturnToMark() {}
};

// Where converted bytes go. sameAsInput tells that the bytes repeat the input's bytes at the same
// offset (nothing converted so far), which lets an in-place rewrite wait for the first change.
class ByteSink {
  public:
    virtual ~ByteSink() = default;
    virtual void Write(std::string_view bytes, bool sameAsInput) = 0;
};

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

}  // namespace BlankwiseCli
