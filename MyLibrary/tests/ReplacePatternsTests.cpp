#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "MyLibrary/StringUnit/StringUnit.h"
#include "MyLibrary/StringUnit/TextPlatform.h"
#include "MyLibrary/tests/LocaleLikeTextPlatform.h"

namespace MyLibrary {
namespace {

// The platform given, except that it does not admit to comparing by code units: ReplacePatterns
// then takes the path that asks LocaleEqual at every position.
class LocaleScanPlatform final : public TextPlatform {
  public:
    explicit LocaleScanPlatform(const TextPlatform& inner) : inner_(inner) {}
    unsigned CodePage() const override { return inner_.CodePage(); }
    std::string ToMultiByte(std::u16string_view text) const override { return inner_.ToMultiByte(text); }
    std::size_t MultiByteLength(std::u16string_view text) const override {
        return inner_.MultiByteLength(text);
    }
    bool LocaleEqual(std::u16string_view a, std::u16string_view b, bool ignoreCase) const override {
        return inner_.LocaleEqual(a, b, ignoreCase);
    }
    bool ComparesByCodeUnit() const override { return false; }

  private:
    const TextPlatform& inner_;
};

// Every platform ReplacePatterns can run on here: the current one, the same comparison forced
// through the locale scan, the native one (which takes the code-unit scan, also under Wine) and
// one whose comparison equates and ignores units as a locale does.
struct NamedPlatform {
    const char* name;
    const TextPlatform& platform;
};

std::vector<NamedPlatform> AllPlatforms() {
    static const LocaleScanPlatform localeScan(CurrentTextPlatform());
    static const LocaleLikeTextPlatform localeLike;
    return {{"current", CurrentTextPlatform()},
            {"locale scan", localeScan},
            {"native", NativeTextPlatform()},
            {"locale-like", localeLike}};
}

using Patterns = TWideStringDynArray;

struct ReplaceRow {
    std::u16string source;
    Patterns patterns, replacements;
    bool ignoreCase, replaceAll;
    std::u16string expected;
};

const ReplaceRow kReplaceRows[] = {
    {u"a  b   c", {u"  "}, {u"\u3000"}, false, true, u"a\u3000b\u3000 c"},
    {u"x \u3000\ty", {u" ", u"\u3000", u"\t"}, {u"", u"", u""}, false, true, u"xy"},
    {u"ab", {u"a", u"ab"}, {u"1", u"2"}, false, true, u"1b"},  // the first in the list wins
    {u"ab", {u"ab", u"a"}, {u"2", u"1"}, false, true, u"2"},
    {u"aba", {u"a", u""}, {u"x", u"y"}, false, true, u"xbx"},  // the empty pattern never matches
    {u"aba", {u"a", u"b"}, {u"x"}, false, true, u"aba"},       // lists differ in length
    {u"aba", {}, {}, false, true, u"aba"},
    {u"aba", {}, {u"x"}, false, true, u"aba"},
    {u"aba", {u""}, {u"x"}, false, true, u"aba"},
    {u"a a a", {u" "}, {u"_"}, false, false, u"a_a a"},
    {u"xbxa", {u"a", u"b"}, {u"1", u"2"}, false, false, u"x2xa"},  // the first match of any pattern
    {u"ABC abc", {u"b"}, {u"xyz"}, true, true, u"AxyzC axyzc"},
    {u"ABC abc", {u"b"}, {u"xyz"}, false, true, u"ABC axyzc"},
    {u"ABC abc", {u"b"}, {u"xyz"}, true, false, u"AxyzC abc"},
    {u"aaa", {u"a"}, {u"aa"}, false, true, u"aaaaaa"},  // replaced text is not scanned again
    {u"aaa", {u"a"}, {u"ba"}, false, true, u"bababa"},
    {u"aaaa", {u"aa"}, {u"a"}, false, true, u"aa"},
    {u"aaa", {u"aa"}, {u"b"}, false, true, u"ba"},
    {u"", {u"a"}, {u"b"}, false, true, u""},
    {u"", {}, {}, false, true, u""},
    {u"", {u"a", u"b"}, {u"c"}, true, false, u""},
    {u"abc", {u"abcd"}, {u"x"}, false, true, u"abc"},
    {u"abc", {u"abc"}, {u""}, false, true, u""},
    {u"あ\u3000い\u3000", {u"\u3000"}, {u"  "}, false, true, u"あ  い  "},
    {u"a \u3000b", {u"\u3000"}, {u" "}, true, true, u"a  b"},  // width is never ignored
    {u"l1\r\nl2\rl3\n", {u"\r\n", u"\r", u"\n"}, {u"|", u"<", u">"}, false, true, u"l1|l2<l3>"},
    {u"\t\t", {u"\t"}, {u"    "}, false, true, u"        "},
};

TEST(StringUnitReplacePatterns, Examples) {
    for (const NamedPlatform& named : AllPlatforms()) {
        for (const ReplaceRow& row : kReplaceRows) {
            SCOPED_TRACE(testing::Message() << named.name << ", source of " << row.source.size() << " units, "
                                            << row.patterns.size() << " patterns, ignoreCase "
                                            << row.ignoreCase << " replaceAll " << row.replaceAll);
            EXPECT_TRUE(ReplacePatterns(named.platform, row.source, row.patterns, row.replacements,
                                        row.ignoreCase, row.replaceAll) == row.expected);
        }
    }
    for (const ReplaceRow& row : kReplaceRows) {
        EXPECT_TRUE(ReplacePatterns(row.source, row.patterns, row.replacements, row.ignoreCase,
                                    row.replaceAll) == row.expected);
    }
}

TEST(StringUnitReplacePatterns, EstimateCountsGrowingPatternsInTheMultiByteForm) {
    struct Row {
        std::u16string source;
        Patterns patterns, replacements;
        std::size_t expected;
    };
    const Row rows[] = {
        {u"ABC abc", {u"b"}, {u"xyz"}, 9},  // case-sensitive, although the scan may ignore case
        {u"aaa", {u"a"}, {u"aa"}, 6},
        {u"aaaa", {u"aa"}, {u"xxxxx"}, 10},  // non-overlapping count
        {u"a\u3000b\u3000", {u"\u3000"}, {u"  "}, 6},
        {u"\u3000", {u"@"}, {u"xx"}, 1},  // 0x40 inside 0x81 0x40 is no occurrence
        {u"表", {u"\\"}, {u"xx"}, 1},
        {u"a b c", {u" "}, {u"\u3000"}, 5},  // not longer: adds nothing
        {u"a b c", {u" "}, {u""}, 5},
        {u"a  b", {u"", u" ", u"a"}, {u"xxxx", u"yy", u"z"}, 6},
        {u"a b", {u" ", u"b"}, {u"__"}, 3},  // lists differ in length
        {u"", {u"a"}, {u"bb"}, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "source of " << row.source.size() << " units");
        EXPECT_EQ(ReplacedLengthEstimate(row.source, row.patterns, row.replacements), row.expected);
        if (row.patterns.size() == row.replacements.size() && !row.source.empty()) {
            EXPECT_GE(ReplacePatterns(row.source, row.patterns, row.replacements, false, true).capacity(),
                      row.expected);
        }
    }
}

// The estimate against its definition, the count taken in the multi-byte forms, on random texts of
// characters whose forms hold a pattern's bytes across their boundaries: U+3000 (0x81 0x40) beside
// '@', 表 (0x95 0x5C) beside a backslash, 亜 (0x88 0x9F) whose second byte is in the lead-byte
// ranges, half-width katakana, units that share a form ('?' and the units written as '?', ‖ and
// ∥), and surrogates paired and alone.
TEST(StringUnitReplacePatterns, EstimateAgreesWithTheCountInTheMultiByteForms) {
    const std::u16string alphabet = u"a@\\?\u3000表亜ｱあ\u2016\u2225\u0100\xD83D\xDE00\xD83D";
    std::mt19937 random(29);
    for (int round = 0; round < 3000; ++round) {
        std::u16string source;
        for (std::size_t i = random() % 40; i > 0; --i) {
            source += alphabet[random() % alphabet.size()];
        }
        std::u16string pattern(1 + random() % 4 / 3, u' ');
        for (char16_t& unit : pattern) {
            unit = alphabet[random() % alphabet.size()];
        }
        const std::u16string replacement(pattern.size() + 1 + random() % 3, u'x');
        const auto count = static_cast<std::size_t>(
            CountOccurrences(ToMultiByte(pattern), ToMultiByte(source), true, false));
        ASSERT_EQ(ReplacedLengthEstimate(source, {pattern}, {replacement}),
                  source.size() + count * (replacement.size() - pattern.size()))
            << "round " << round;
    }
    // Texts long enough to be counted by vector, mostly without a surrogate, once with one alone.
    for (int round = 0; round < 12; ++round) {
        std::u16string source;
        for (std::size_t i = 40000 + random() % 20; i > 0; --i) {
            source += alphabet[random() % (alphabet.size() - 3)];
        }
        if (round == 0) {
            source[random() % source.size()] = u'\xD83D';
        }
        const std::u16string pattern(1, alphabet[random() % (alphabet.size() - 3)]);
        const auto count = static_cast<std::size_t>(
            CountOccurrences(ToMultiByte(pattern), ToMultiByte(source), true, false));
        ASSERT_EQ(ReplacedLengthEstimate(source, {pattern}, {u"xyz"}), source.size() + count * 2)
            << "long round " << round;
    }
}

// The scan word for word: at each position while matching is on, the first pattern in list order
// that the platform's comparison accepts.
std::u16string NaiveReplace(const TextPlatform& platform, const std::u16string& source,
                            const Patterns& patterns, const Patterns& replacements, bool ignoreCase,
                            bool replaceAll) {
    if (patterns.empty() || patterns.size() != replacements.size())
        return source;
    std::u16string result;
    bool matching = true;
    std::size_t position = 0;
    while (position < source.size()) {
        bool applied = false;
        for (std::size_t k = 0; matching && k < patterns.size(); ++k) {
            const std::u16string& pattern = patterns[k];
            if (!pattern.empty() && position + pattern.size() <= source.size() &&
                platform.LocaleEqual(pattern, std::u16string_view(source).substr(position, pattern.size()),
                                     ignoreCase)) {
                result += replacements[k];
                position += pattern.size();
                applied = true;
                matching = replaceAll;
                break;
            }
        }
        if (!applied)
            result += source[position++];
    }
    return result;
}

// Short texts over a small alphabet, so that patterns overlap, prefix each other and repeat; with
// U+205F and U+00AD, which a locale may call equal to a space or ignore.
const std::u16string kTextAlphabet = u"abAB \t\u3000あア\r\n\u205F\u00AD";

char16_t RandomUnit(std::mt19937& random) {
    return kTextAlphabet[random() % kTextAlphabet.size()];
}

std::u16string RandomText(std::mt19937& random, std::size_t maxLength) {
    std::u16string text;
    const std::size_t length = random() % (maxLength + 1);
    for (std::size_t i = 0; i < length; ++i)
        text += RandomUnit(random);
    return text;
}

TEST(StringUnitReplacePatterns, AgreesWithTheNaiveScanOnRandomTexts) {
    std::mt19937 random(17);
    for (const NamedPlatform& named : AllPlatforms()) {
        for (int round = 0; round < 2000; ++round) {
            // Long enough for the bulk skip to cross blocks of eight, with candidates at every offset.
            const std::u16string source = RandomText(random, 80);
            Patterns patterns;
            Patterns replacements;
            const std::size_t count = random() % 7;
            for (std::size_t k = 0; k < count; ++k) {
                std::u16string pattern = RandomText(random, 3);
                if (random() % 2 == 0 && !source.empty()) {
                    pattern = source.substr(random() % source.size(), random() % 4);
                }
                if (random() % 4 == 0 && !patterns.empty()) {
                    pattern =
                        patterns[random() % patterns.size()] + RandomText(random, 2);  // a prefix before it
                }
                std::u16string replacement = RandomText(random, 4);
                if (random() % 4 == 0)
                    replacement = RandomText(random, 1) + pattern + RandomText(random, 1);
                patterns.push_back(pattern);
                replacements.push_back(replacement);
            }
            const bool ignoreCase = random() % 3 == 0;
            const bool replaceAll = random() % 4 != 0;
            ASSERT_TRUE(
                ReplacePatterns(named.platform, source, patterns, replacements, ignoreCase, replaceAll) ==
                NaiveReplace(named.platform, source, patterns, replacements, ignoreCase, replaceAll))
                << named.name << ", round " << round;
        }
    }
}

// One-unit patterns with one-unit replacements (the swaps of spaces and tabs), including maps
// whose replacements are themselves patterns (a to b and b to a) and repeated patterns, over texts
// long enough to cross many blocks.
TEST(StringUnitReplacePatterns, UnitForUnitMapsAgreeWithTheNaiveScan) {
    std::mt19937 random(23);
    for (const NamedPlatform& named : AllPlatforms()) {
        for (int round = 0; round < 500; ++round) {
            const std::u16string source = RandomText(random, 120);
            Patterns patterns;
            Patterns replacements;
            const std::size_t count = random() % 7;
            for (std::size_t k = 0; k < count; ++k) {
                patterns.push_back(random() % 8 == 0 ? u"" : std::u16string(1, RandomUnit(random)));
                replacements.push_back(std::u16string(1, RandomUnit(random)));
            }
            const bool ignoreCase = random() % 3 == 0;
            const bool replaceAll = random() % 4 != 0;
            ASSERT_TRUE(
                ReplacePatterns(named.platform, source, patterns, replacements, ignoreCase, replaceAll) ==
                NaiveReplace(named.platform, source, patterns, replacements, ignoreCase, replaceAll))
                << named.name << ", round " << round;
        }
    }
    const std::u16string swapped =
        ReplacePatterns(u"a b\ta b\t\u3000", {u" ", u"\t"}, {u"\t", u" "}, false, true);
    EXPECT_TRUE(swapped == u"a\tb a\tb \u3000");
}

TEST(StringUnitReplacePatterns, SpacesInALargeJapaneseText) {
    const std::u16string line = u"日本語の文章 と 半角 空白\u3000全角\tタブ\r\n";
    std::u16string source;
    while (source.size() < (std::size_t{1} << 20))
        source += line;
    std::u16string expected = source;
    for (char16_t& unit : expected) {
        if (unit == u' ')
            unit = u'\u3000';
    }
    std::u16string widened;
    for (const char16_t unit : source) {
        widened += unit == u'\u3000' ? u"  " : std::u16string(1, unit);
    }
    for (const NamedPlatform& named : AllPlatforms()) {
        EXPECT_TRUE(ReplacePatterns(named.platform, source, {u" "}, {u"\u3000"}, false, true) == expected)
            << named.name;
        EXPECT_TRUE(ReplacePatterns(named.platform, source, {u"\u3000"}, {u"  "}, false, true) == widened)
            << named.name;
    }
}

}  // namespace
}  // namespace MyLibrary
