#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace HostEmulator {

// How a document file was stored; it is saved back the same way.
enum class TextEncoding { Utf8, Utf8WithBom, Utf16LE, Utf16BE };

struct DecodedDocument {
    std::u16string text;
    TextEncoding encoding = TextEncoding::Utf8;
};

// A document file's bytes: UTF-16 when they start with its byte order mark, UTF-8 otherwise (with
// or without a mark). Line breaks stay exactly as stored. Malformed UTF-8 and an odd last byte of
// UTF-16 become U+FFFD.
DecodedDocument DecodeDocument(std::string_view bytes);
// The text as a file in the given encoding, with its byte order mark where it had one.
std::string EncodeDocument(std::u16string_view text, TextEncoding encoding);

// UTF-16 units to UTF-8 bytes; a lone surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);

// How a rendering with visible white space shows the line breaks.
enum class BreakMarks {
    Marked,  // a mark before each real break: ␍␊ for CR LF, ␊ for LF, ␍ for CR
    CrLf,    // every break, whatever its kind, as CR LF (for an edit control)
};

// The text with its white space made visible: → for a tab, · for U+0020, □ for U+3000, and the
// line breaks as marks asks.
std::u16string VisibleWhiteSpace(std::u16string_view text, BreakMarks marks);

// The text in UTF-8 with its white space and break kinds made visible; [EOF] ends it.
std::string WithVisibleWhiteSpace(std::u16string_view text);

// Lines (each with its break; CR LF is one break) that differ between the two texts at the same
// index, plus the lines only one of them has.
std::size_t CountChangedLines(std::u16string_view before, std::u16string_view after);

}  // namespace HostEmulator
