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

constexpr std::int32_t kMaxPosition = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMinPosition = std::numeric_limits<std::int32_t>::min();

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (int value : values)
        bytes += static_cast<char>(value);
    return bytes;
}

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

TEST(StringUnitMatchAt, PositionsAndBounds) {
    struct Row {
        std::u16string pattern, text;
        std::int32_t position;
        bool ignoreCase, expected;
    };
    const Row rows[] = {
        {u"ab", u"xab", 2, false, true},
        {u"ab", u"xab", 3, false, false},  // would not fit
        {u"ab", u"xab", 0, false, false},
        {u"ab", u"xab", -1, false, false},
        {u"ab", u"xab", kMinPosition, false, false},
        {u"ab", u"xab", kMaxPosition, false, false},
        {u"ab", u"xab", 4, false, false},
        {u"", u"xab", 1, false, false},
        {u"", u"", 1, false, false},
        {u"a", u"", 1, false, false},
        {u"xab", u"xab", 1, false, true},
        {u"xabc", u"xab", 1, false, false},
        {u"b", u"xab", 3, false, true},
        {u"AB", u"xab", 2, false, false},
        {u"AB", u"xab", 2, true, true},
        {u"\u3000", u" ", 1, false, false},
        {u"\u3000", u" ", 1, true, false},
        {u" ", u"\u3000", 1, false, false},
        {u"\u3000", u"a\u3000", 2, false, true},
        {u"\r\n", u"a\r\nb", 2, false, true},
        {u"\r\n", u"a\r\nb", 3, false, false},
        {u"\n", u"a\r\nb", 3, false, true},
        {u"表", u"表示", 1, false, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "position " << row.position << " ignoreCase " << row.ignoreCase);
        EXPECT_EQ(MatchAt(row.pattern, row.text, row.position, row.ignoreCase), row.expected);
        if (row.ignoreCase) {
            EXPECT_EQ(MatchIgnoreCaseAt(row.pattern, row.text, row.position), row.expected);
        } else {
            EXPECT_EQ(MatchCaseAt(row.pattern, row.text, row.position), row.expected);
        }
    }
}

TEST(StringUnitCopyRange, ClipsToTheText) {
    struct Row {
        std::u16string text;
        std::int32_t first, last;
        std::u16string expected;
    };
    const Row rows[] = {
        {u"abcdef", 0, 3, u"abc"},
        {u"abcdef", kMinPosition, 2, u"ab"},
        {u"abc", 2, 10, u"bc"},
        {u"abc", 2, kMaxPosition, u"bc"},
        {u"abc", kMinPosition, kMaxPosition, u"abc"},
        {u"abc", 3, 2, u""},
        {u"abc", 2, 2, u"b"},
        {u"abc", 3, 3, u"c"},
        {u"abc", 4, 10, u""},
        {u"abc", kMaxPosition, kMaxPosition, u""},
        {u"abc", 0, 0, u""},
        {u"abc", -5, -1, u""},
        {u"", 1, 1, u""},
        {u"あ\u3000b", 2, 3, u"\u3000b"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(CopyRange(row.text, row.first, row.last), row.expected) << row.first << ".." << row.last;
    }
}

TEST(StringUnitBytes, LeadByteRanges) {
    for (int byte = 0; byte <= 0xFF; ++byte) {
        const bool expected = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
        EXPECT_EQ(IsLeadByte(static_cast<std::uint8_t>(byte)), expected) << std::hex << byte;
    }
}

TEST(StringUnitBytes, ByteTypeAtKnownSequences) {
    using T = TByteType;
    struct Row {
        std::string bytes;
        std::vector<TByteType> expected;
    };
    const Row rows[] = {
        {Bytes({0x88, 0x9F, 0x61}), {T::Lead, T::Trail, T::Single}},  // a trail byte in a lead range
        {Bytes({0x88, 0x9F, 0x88, 0x9F}), {T::Lead, T::Trail, T::Lead, T::Trail}},
        {Bytes({0x61, 0x82, 0xA0, 0x62}), {T::Single, T::Lead, T::Trail, T::Single}},
        {Bytes({0x95, 0x5C, 0x5C}), {T::Lead, T::Trail, T::Single}},
        {Bytes({0x81, 0x40, 0x40}), {T::Lead, T::Trail, T::Single}},
        {Bytes({0xB1, 0xE0, 0xFC, 0xFC}), {T::Single, T::Lead, T::Trail, T::Lead}},  // ends in a bare lead
        {Bytes({0x80, 0xA0, 0xDF, 0xFD, 0xFF}), {T::Single, T::Single, T::Single, T::Single, T::Single}},
        {Bytes({0x9F}), {T::Lead}},
    };
    for (const Row& row : rows) {
        for (std::size_t i = 0; i < row.expected.size(); ++i) {
            EXPECT_EQ(ByteTypeAt(row.bytes, static_cast<std::int32_t>(i + 1)), row.expected[i])
                << "row of " << row.bytes.size() << " bytes, position " << i + 1;
        }
    }
    for (std::int32_t outside : {kMinPosition, -1, 0, 4, kMaxPosition}) {
        EXPECT_EQ(ByteTypeAt(Bytes({0x88, 0x9F, 0x61}), outside), T::Single) << outside;
    }
    EXPECT_EQ(ByteTypeAt("", 1), T::Single);
}

// Characters of known width in code page 932, so that the class of every byte of a random text's
// multi-byte form is known from the characters it was made of.
const std::u16string kOneByteCharacters = u"a Z@\\~\t\r\nｱｰﾟ";
const std::u16string kTwoByteCharacters = u"\u3000あア表ソ能予申亜腕ー＠ｂ";

TEST(StringUnitBytes, ByteTypeAtAgreesWithTheCharactersOfRandomTexts) {
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        std::u16string text;
        std::vector<TByteType> expected;
        const int length = static_cast<int>(random() % 40);
        for (int i = 0; i < length; ++i) {
            if (random() % 2 == 0) {
                text += kOneByteCharacters[random() % kOneByteCharacters.size()];
                expected.push_back(TByteType::Single);
            } else {
                text += kTwoByteCharacters[random() % kTwoByteCharacters.size()];
                expected.push_back(TByteType::Lead);
                expected.push_back(TByteType::Trail);
            }
        }
        const std::string bytes = ToMultiByte(text);
        ASSERT_EQ(bytes.size(), expected.size());
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            ASSERT_EQ(ByteTypeAt(bytes, static_cast<std::int32_t>(i + 1)), expected[i]) << "byte " << i + 1;
        }
    }
}

TEST(StringUnitDisplayColumns, CountsBytesOfTheFirstCharacters) {
    const std::string aAb = Bytes({0x61, 0x82, 0xA0, 0x62});  // «aあb»
    const std::int32_t expected[] = {0, 1, 3, 4, 4, 4, 4, 4, 4, 4, 4};
    for (std::int32_t k = 0; k <= 10; ++k) {
        EXPECT_EQ(DisplayColumns(aAb, k), expected[k]) << "k = " << k;
    }
    EXPECT_EQ(DisplayColumns(aAb, -1), 0);
    EXPECT_EQ(DisplayColumns(aAb, kMinPosition), 0);
    EXPECT_EQ(DisplayColumns(aAb, kMaxPosition), 4);
    EXPECT_EQ(DisplayColumns(Bytes({0x61, 0x82}), 1), 1);
    EXPECT_EQ(DisplayColumns(Bytes({0x61, 0x82}), 2), 2);  // a lead byte without its trail
    EXPECT_EQ(DisplayColumns(Bytes({0x82}), 1), 1);
    EXPECT_EQ(DisplayColumns("", 3), 0);
    EXPECT_EQ(DisplayColumns(Bytes({0x88, 0x9F, 0x88, 0x9F, 0x61}), 2), 4);
    EXPECT_EQ(DisplayColumns(ToMultiByte(u"\u3000\t表x"), 3), 5);
}

// The column measure word for word: ByteTypeAt at every byte.
std::int32_t NaiveDisplayColumns(const std::string& text, std::int32_t characterCount) {
    if (characterCount <= 0 || text.empty())
        return 0;
    const auto length = static_cast<std::int32_t>(text.size());
    const std::int32_t wanted = std::min(characterCount, length);
    std::int32_t completed = 0;
    for (std::int32_t p = 1; p <= length; ++p) {
        if (ByteTypeAt(text, p) != TByteType::Lead)
            ++completed;
        if (completed == wanted)
            return p;
    }
    return length;
}

// The count word for word: every start, every byte, classes by ByteTypeAt.
std::int32_t NaiveCountOccurrences(const std::string& pattern, const std::string& text, bool nonOverlapping,
                                   bool ignoreCase) {
    if (pattern.empty() || text.empty())
        return 0;
    const auto fold = [&](char c) {
        const auto byte = static_cast<std::uint8_t>(c);
        return ignoreCase && byte >= 0x61 && byte <= 0x7A ? byte - 0x20 : byte;
    };
    const auto textLength = static_cast<std::int32_t>(text.size());
    const auto patternLength = static_cast<std::int32_t>(pattern.size());
    std::int32_t count = 0;
    for (std::int32_t q = 1; q <= textLength;) {
        bool occurs = true;
        for (std::int32_t j = 1; j <= patternLength && occurs; ++j) {
            const std::int32_t at = q + j - 1;
            occurs = at <= textLength &&
                     fold(text[static_cast<std::size_t>(at - 1)]) ==
                         fold(pattern[static_cast<std::size_t>(j - 1)]) &&
                     ByteTypeAt(pattern, j) == ByteTypeAt(text, at);
        }
        if (occurs)
            ++count;
        q += occurs && nonOverlapping ? patternLength : 1;
    }
    return count;
}

// Random bytes with long runs of lead-range bytes, where a forward walk and a backward scan would
// part if they disagreed about the class of a byte.
std::string RandomBytes(std::mt19937& random, std::size_t maxLength) {
    static const int kAlphabet[] = {0x81, 0x88, 0x9F, 0xE0, 0xFC, 0x40, 0x5C,
                                    0x61, 0x41, 0x7A, 0x5A, 0x20, 0xA0};
    std::string bytes;
    const std::size_t length = random() % (maxLength + 1);
    while (bytes.size() < length) {
        if (random() % 4 == 0) {
            bytes.append(random() % 12, static_cast<char>(random() % 2 == 0 ? 0x81 : 0x9F));
        } else {
            bytes += static_cast<char>(kAlphabet[random() % std::size(kAlphabet)]);
        }
    }
    return bytes;
}

TEST(StringUnitDisplayColumns, AgreesWithByteTypeAtOnRandomBytes) {
    std::mt19937 random(11);
    for (int round = 0; round < 500; ++round) {
        const std::string text = RandomBytes(random, 40);
        for (std::int32_t k = -1; k <= static_cast<std::int32_t>(text.size()) + 1; ++k) {
            ASSERT_EQ(DisplayColumns(text, k), NaiveDisplayColumns(text, k)) << "k = " << k;
        }
    }
}

TEST(StringUnitCountOccurrences, Examples) {
    struct Row {
        std::string pattern, text;
        bool nonOverlapping, ignoreCase;
        std::int32_t expected;
    };
    const Row rows[] = {
        {" ", ToMultiByte(u"a b  c"), true, false, 3},
        {"  ", "   ", true, false, 1},
        {"  ", "   ", false, false, 2},
        {"@", ToMultiByte(u"\u3000"), true, false, 0},  // 0x81 0x40
        {"@", ToMultiByte(u"\u3000@"), true, false, 1},
        {"\\", ToMultiByte(u"表"), true, false, 0},  // 0x95 0x5C
        {"\\", ToMultiByte(u"表\\"), false, false, 1},
        {ToMultiByte(u"表"), ToMultiByte(u"表表"), true, false, 2},
        {"a", "AaA", true, true, 3},
        {"a", "AaA", true, false, 1},
        {"A", "AaA", false, true, 3},
        {"aa", "aAaA", false, true, 3},
        {"aa", "aAaA", true, true, 2},
        {Bytes({0x82, 0x41}), Bytes({0x82, 0x61}), true, true, 1},  // folding reaches trail bytes
        {Bytes({0x82, 0x41}), Bytes({0x82, 0x61}), true, false, 0},
        {"@", "`", true, true, 0},  // only a-z fold
        {"[", "{", true, true, 0},
        {Bytes({0x9F}), Bytes({0x88, 0x9F}), true, false, 0},  // a lead never matches a trail
        {Bytes({0x9F, 0x9F}), Bytes({0x9F, 0x9F, 0x9F, 0x9F}), false, false, 2},
        {"", "abc", true, false, 0},
        {"a", "", true, false, 0},
        {"abcd", "abc", false, false, 0},
        {"aba", "ababa", false, false, 2},
        {"aba", "ababa", true, false, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message()
                     << "pattern of " << row.pattern.size() << " bytes in " << row.text.size()
                     << ", nonOverlapping " << row.nonOverlapping << " ignoreCase " << row.ignoreCase);
        EXPECT_EQ(CountOccurrences(row.pattern, row.text, row.nonOverlapping, row.ignoreCase), row.expected);
        EXPECT_EQ(NaiveCountOccurrences(row.pattern, row.text, row.nonOverlapping, row.ignoreCase),
                  row.expected);
    }
}

TEST(StringUnitCountOccurrences, AgreesWithTheNaiveCountOnRandomBytes) {
    std::mt19937 random(13);
    for (int round = 0; round < 4000; ++round) {
        const std::string text = RandomBytes(random, 48);
        std::string pattern = RandomBytes(random, 4);
        if (random() % 2 == 0 && !text.empty()) {
            // A piece of the text itself, so that occurrences are common.
            const std::size_t at = random() % text.size();
            pattern = text.substr(at, 1 + random() % 5);
        }
        const bool nonOverlapping = random() % 2 == 0;
        const bool ignoreCase = random() % 2 == 0;
        ASSERT_EQ(CountOccurrences(pattern, text, nonOverlapping, ignoreCase),
                  NaiveCountOccurrences(pattern, text, nonOverlapping, ignoreCase))
            << "round " << round;
    }
}

// A backward scan at every byte of a long run of lead-range bytes would take quadratic time: these
// finish at once only when the walk is linear.
TEST(StringUnitBytes, LongLeadRunsStayLinear) {
    const std::size_t length = std::size_t{1} << 20;
    const std::string leads(length, static_cast<char>(0x81));
    const auto half = static_cast<std::int32_t>(length / 2);
    EXPECT_EQ(DisplayColumns(leads, half), static_cast<std::int32_t>(length));
    EXPECT_EQ(DisplayColumns(leads, half - 1), static_cast<std::int32_t>(length) - 2);
    EXPECT_EQ(DisplayColumns(leads, kMaxPosition), static_cast<std::int32_t>(length));
    EXPECT_EQ(CountOccurrences(Bytes({0x81}), leads, true, false), half);
    EXPECT_EQ(CountOccurrences(Bytes({0x81, 0x81}), leads, false, false), half);
    EXPECT_EQ(CountOccurrences(std::string(1000, static_cast<char>(0x81)), leads, false, false), half - 499);
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
    for (const NamedPlatform& named : AllPlatforms()) {
        EXPECT_TRUE(ReplacePatterns(named.platform, source, {u" "}, {u"\u3000"}, false, true) == expected)
            << named.name;
    }
}

}  // namespace
}  // namespace MyLibrary
