#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "TextEncoding.h"

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
// comes out of the conversion unchanged.
struct TriggerUnits {
    static constexpr char16_t kNone = 0xFFFF;
    char16_t units[3];

    // The position of the first of the units at or after from, or npos.
    std::size_t FindIn(std::u16string_view text, std::size_t from) const;
};
TriggerUnits TriggersOf(int conversionId);

// Converts a text that arrives in pieces with one of the fifteen conversions, so that the result
// is exactly that of the whole text converted at once. It converts a piece as soon as it can end
// it where no conversion looks across: after a line break, or inside a long line just after a
// character that is no blank (the next piece then starts at that display column). The pending
// text is thus a few read buffers, or the longest run of blanks and breaks-free text when no such
// point comes. Lines without any unit the conversion acts on are passed on without running it.
class LineStreamConverter {
  public:
    // The first line begins at display column startColumn.
    LineStreamConverter(int conversionId, std::int32_t startColumn, std::size_t chunkUnits = kChunkUnits);

    // The buffer decoded units are appended to before Convert.
    std::u16string& Pending() { return pending_; }

    // Converts what can be converted of the pending units and appends the result to out; with
    // atEnd, converts everything.
    void Convert(bool atEnd, std::u16string& out);

    // Whether any converted piece differed from its input.
    bool Changed() const { return changed_; }

    static constexpr std::size_t kChunkUnits = std::size_t{1} << 14;

  private:
    std::size_t FindCut(bool atEnd);
    void ConvertLines(std::u16string_view piece, std::u16string& out);

    int conversionId_;
    TriggerUnits triggers_;
    std::int32_t column_;
    std::size_t chunkUnits_;
    std::u16string pending_;
    std::size_t scanned_ = 0;  // no piece can end at or before it
    bool changed_ = false;
};

// The display column (modulo the tab width) after text when it starts at column startColumn and
// holds no line break: tabs advance to the next stop, other characters by their width in code
// page 932.
std::int32_t ColumnAfter(std::u16string_view text, std::int32_t startColumn);

struct StreamSettings {
    int conversionId = 0;
    std::int32_t startColumn = 0;
    Encoding encoding = Encoding::Utf8;
    std::size_t readSize = std::size_t{1} << 16;
    std::size_t chunkUnits = LineStreamConverter::kChunkUnits;
};

struct StreamOutcome {
    bool invalid = false;                // stopped at bytes that are not valid in the encoding
    std::uint64_t errorOffset = 0;       // their offset from the start of the input, byte order mark included
    bool changed = false;                // the converted text differs from the input
    Encoding encoding = Encoding::Utf8;  // the encoding read, after a byte order mark
};

// Reads the whole source, converts it and writes it to sink (nothing is written when sink is
// null). A byte order mark of a Unicode encoding at the start selects that encoding and is written
// back unchanged; code page 932 has none and looks for none. On invalid input the sink has
// received the conversion of the text before the last complete piece.
StreamOutcome ConvertStream(ByteSource& source, ByteSink* sink, const StreamSettings& settings);

}  // namespace BlankwiseCli
