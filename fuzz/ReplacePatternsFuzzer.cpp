// ReplacePatterns against a deliberately naive reference that tries every pattern at every
// position, for random patterns and replacements, case sensitive, replace all on and off. Both of
// the engine's scans are driven: the code-unit scan the native platform allows, and the general
// scan through the locale comparison (the same platform, told to admit no code-unit shortcut).

#include <cstddef>
#include <cstdint>
#include <string>

#include "MyLibrary/StringUnit/StringUnit.h"
#include "MyLibrary/StringUnit/TextPlatform.h"
#include "fuzz/FuzzSupport.h"

namespace {

using Fuzzing::Check;
using Fuzzing::EscapeText;
using MyLibrary::TextPlatform;
using MyLibrary::TWideStringDynArray;
using MyLibrary::WideString;

// The native platform without the promise that its comparison is code-unit equality.
class LocaleOnlyPlatform final : public TextPlatform {
  public:
    unsigned CodePage() const override { return native_.CodePage(); }
    std::string ToMultiByte(std::u16string_view text) const override { return native_.ToMultiByte(text); }
    std::size_t MultiByteLength(std::u16string_view text) const override {
        return native_.MultiByteLength(text);
    }
    bool LocaleEqual(std::u16string_view a, std::u16string_view b, bool ignoreCase) const override {
        return native_.LocaleEqual(a, b, ignoreCase);
    }
    bool ComparesByCodeUnit() const override { return false; }

  private:
    const TextPlatform& native_ = MyLibrary::NativeTextPlatform();
};

WideString NaiveReplace(const WideString& source, const TWideStringDynArray& patterns,
                        const TWideStringDynArray& replacements, bool replaceAll) {
    if (patterns.empty() || patterns.size() != replacements.size()) {
        return source;
    }
    WideString out;
    bool matching = true;
    std::size_t position = 0;
    while (position < source.size()) {
        bool replaced = false;
        for (std::size_t k = 0; matching && k < patterns.size(); ++k) {
            const WideString& pattern = patterns[k];
            if (!pattern.empty() && source.compare(position, pattern.size(), pattern) == 0) {
                out += replacements[k];
                position += pattern.size();
                replaced = true;
                matching = replaceAll;
                break;
            }
        }
        if (!replaced) {
            out += source[position];
            ++position;
        }
    }
    return out;
}

std::string Describe(const WideString& source, const TWideStringDynArray& patterns,
                     const TWideStringDynArray& replacements, bool replaceAll) {
    std::string out = "source \"" + EscapeText(source) + "\"" + (replaceAll ? " replace all" : " first only");
    for (std::size_t k = 0; k < patterns.size() || k < replacements.size(); ++k) {
        out += "\n  \"" + (k < patterns.size() ? EscapeText(patterns[k]) : "-") + "\" -> \"" +
               (k < replacements.size() ? EscapeText(replacements[k]) : "-") + "\"";
    }
    return out;
}

}  // namespace

// Input: a flags byte (bit 0 replace all, bit 1 one replacement fewer than patterns), the source,
// then pattern and replacement fields in turn. Patterns come from a small alphabet, so they match.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static constexpr std::u16string_view kAlphabet = u"abA \t\u3000\r\n";
    Fuzzing::FuzzInput input(data, size);
    const std::uint8_t flags = input.Byte();
    const bool replaceAll = (flags & 1) != 0;
    const WideString source = input.Text(kAlphabet);
    TWideStringDynArray patterns;
    TWideStringDynArray replacements;
    while (!input.Exhausted() && patterns.size() < 6) {
        patterns.push_back(input.Text(kAlphabet));
        replacements.push_back(input.Text(kAlphabet));
    }
    if ((flags & 2) != 0 && !replacements.empty()) {
        replacements.pop_back();
    }

    const WideString expected = NaiveReplace(source, patterns, replacements, replaceAll);
    const std::string details = Describe(source, patterns, replacements, replaceAll);
    Check(MyLibrary::ReplacePatterns(source, patterns, replacements, false, replaceAll) == expected,
          "the code-unit scan agrees with the naive replacement", details);
    static const LocaleOnlyPlatform localeOnly;
    Check(
        MyLibrary::ReplacePatterns(localeOnly, source, patterns, replacements, false, replaceAll) == expected,
        "the locale scan agrees with the naive replacement", details);
    return 0;
}
