#pragma once

#include <string>
#include <string_view>

namespace Blankwise {

// UTF-8 bytes to UTF-16 units. Each malformed sequence (a stray continuation byte, a truncated or
// overlong sequence, an encoded surrogate, a value above U+10FFFF) becomes one U+FFFD.
std::u16string Utf8ToUtf16(std::string_view bytes);

}  // namespace Blankwise
