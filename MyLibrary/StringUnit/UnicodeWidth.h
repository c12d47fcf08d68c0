#pragma once

#include "MyLibrary/StringUnit/TextPlatform.h"

namespace MyLibrary {

// The columns one code point takes (0 to 2), by tools/generate_unicode_width_table.py's rule:
// two for East Asian Width W and F, none for combining and format characters (Mn, Me, Cf but
// U+00AD) and for U+1160-U+11FF, ambiguousColumns (1 or 2) for East Asian Width A, one otherwise.
// An unassigned code point is one column, two in the ranges reserved for ideographs.
unsigned CodePointColumns(char32_t codePoint, unsigned ambiguousColumns);

// A text platform that measures display widths by code point as CodePointColumns does (a
// surrogate pair is one code point, a lone surrogate one column), with ambiguousColumns 1 or 2;
// its multi-byte form and comparison are NativeTextPlatform()'s. Made once for each choice.
const TextPlatform& UnicodeWidthTextPlatform(unsigned ambiguousColumns);

}  // namespace MyLibrary
