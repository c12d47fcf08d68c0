#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace MyLibrary {

class TextPlatform;

// A counted UTF-16 string. Text operations take 1-based positions and count UTF-16 units.
using WideString = std::u16string;
using WideStringView = std::u16string_view;

// The multi-byte form of a wide string in the system code page; positions count bytes from 1.
using MultiByteString = std::string;
using MultiByteStringView = std::string_view;

using TWideStringDynArray = std::vector<WideString>;

// Byte classes of a multi-byte string, with the Shift-JIS lead-byte ranges whatever the code page.
enum class TByteType : std::uint8_t { Single = 0, Lead = 1, Trail = 2 };

// The multi-byte form of text in the code page of CurrentTextPlatform().
MultiByteString ToMultiByte(WideStringView text);

// True when pattern occurs in text at the 1-based position, by the user locale's comparison of
// exactly pattern.size() units of each side. False for an empty pattern or text, a position below
// 1, or a pattern that would not fit.
bool MatchAt(WideStringView pattern, WideStringView text, std::int32_t position, bool ignoreCase);
bool MatchCaseAt(WideStringView pattern, WideStringView text, std::int32_t position);
bool MatchIgnoreCaseAt(WideStringView pattern, WideStringView text, std::int32_t position);

// The units first..last (1-based, both included) of text; first below 1 reads as 1, last is
// clipped to the text's end; empty when last < first or first > length.
WideString CopyRange(WideStringView text, std::int32_t first, std::int32_t last);

// True for a Shift-JIS lead byte (IsCp932LeadByte, whatever the code page).
bool IsLeadByte(std::uint8_t byte);

// The class of the byte at the 1-based byte position (1 <= position <= size), found by scanning
// back over the lead-range bytes before it; Single for a position outside the text.
TByteType ByteTypeAt(MultiByteStringView text, std::int32_t position);

// The number of bytes the first characterCount characters of a multi-byte string occupy: their
// width in display columns on a Shift-JIS system.
std::int32_t DisplayColumns(MultiByteStringView text, std::int32_t characterCount);

// Occurrences of a multi-byte pattern in a multi-byte text that start on a character boundary
// and agree byte class for byte class; ignoreCase folds the bytes a-z only.
std::int32_t CountOccurrences(MultiByteStringView pattern, MultiByteStringView text, bool nonOverlapping,
                              bool ignoreCase);

// One left-to-right pass: at each position the first pattern (in list order) that matches by
// MatchAt is replaced by its paired replacement; replaced text is never scanned again. With
// replaceAll false only the first match is replaced. Returns source unchanged when there are no
// patterns or the lists differ in length.
WideString ReplacePatterns(WideStringView source, const TWideStringDynArray& patterns,
                           const TWideStringDynArray& replacements, bool ignoreCase, bool replaceAll);

// ReplacePatterns with the comparison and the multi-byte form of the given platform in place of
// CurrentTextPlatform(): lets the code-unit scan and the locale scan be checked on one machine.
WideString ReplacePatterns(const TextPlatform& platform, WideStringView source,
                           const TWideStringDynArray& patterns, const TWideStringDynArray& replacements,
                           bool ignoreCase, bool replaceAll);

// The length in UTF-16 units that ReplacePatterns reserves for its result: the source's length plus,
// for each non-empty pattern with a longer replacement, the growth times the case-sensitive count of
// non-overlapping occurrences in the multi-byte forms. The source's length when the lists differ in
// length.
std::size_t ReplacedLengthEstimate(WideStringView source, const TWideStringDynArray& patterns,
                                   const TWideStringDynArray& replacements);
// The same with the multi-byte forms of the given platform.
std::size_t ReplacedLengthEstimate(const TextPlatform& platform, WideStringView source,
                                   const TWideStringDynArray& patterns,
                                   const TWideStringDynArray& replacements);

}  // namespace MyLibrary
