#pragma once

#include <string>
#include <string_view>

#include "MyLibrary/StringUnit/TextPlatform.h"
#include "MyLibrary/tests/ScopedTextPlatform.h"

namespace MyLibrary {

// The native code page 932 platform with a comparison that, like a real user locale's, is not
// code-unit equality: U+205F compares equal to U+0020 (as Wine's does), the soft hyphen U+00AD and
// the zero width space U+200B are ignored, and case folds where the native platform folds it. So
// the scans that ask the locale at every position run natively, and a cache keyed by the wrong
// units shows.
class LocaleLikeTextPlatform final : public TextPlatform {
  public:
    unsigned CodePage() const override { return NativeTextPlatform().CodePage(); }
    std::string ToMultiByte(std::u16string_view text) const override {
        return NativeTextPlatform().ToMultiByte(text);
    }
    std::size_t MultiByteLength(std::u16string_view text) const override {
        return NativeTextPlatform().MultiByteLength(text);
    }
    bool LocaleEqual(std::u16string_view a, std::u16string_view b, bool ignoreCase) const override {
        return NativeTextPlatform().LocaleEqual(Significant(a), Significant(b), ignoreCase);
    }
    bool ComparesByCodeUnit() const override { return false; }

  private:
    static std::u16string Significant(std::u16string_view text) {
        std::u16string kept;
        for (char16_t unit : text) {
            if (unit != u'\u00AD' && unit != u'\u200B') {
                kept += unit == u'\u205F' ? u' ' : unit;
            }
        }
        return kept;
    }
};

}  // namespace MyLibrary
