#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <iterator>
#include <limits>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "Blankwise/TextColumns.h"
#include "Blankwise/TextTransforms.h"
#include "MyLibrary/LineList/WideStringRecordList.h"
#include "MyLibrary/StringUnit/StringUnit.h"
#include "MyLibrary/StringUnit/TextPlatform.h"

namespace Blankwise {
namespace {

using namespace std::string_view_literals;

using Transform = std::function<WideString(WideStringView)>;

struct Row {
    std::u16string_view input;
    std::u16string_view expected;
};

void ExpectRows(const Transform& transform, const std::vector<Row>& rows) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "row " << i);
        EXPECT_EQ(transform(rows[i].input), rows[i].expected);
    }
}

std::size_t WidthOf(WideStringView text) {
    return MyLibrary::CurrentTextPlatform().MultiByteLength(text);
}

// The deliberately naive reference: every column measured from the start of the line with
// DisplayColumns on a fresh multi-byte form, every text cut into a line list and joined back.
std::int32_t NaiveColumn(WideStringView lineSoFar) {
    return MyLibrary::DisplayColumns(MyLibrary::ToMultiByte(lineSoFar),
                                     static_cast<std::int32_t>(lineSoFar.size()));
}

WideString NaiveExpandLine(WideStringView line) {
    WideString out;
    for (char16_t unit : line) {
        if (unit == u'\t') {
            out.append(static_cast<std::size_t>(4 - NaiveColumn(out) % 4), u' ');
        } else {
            out += unit;
        }
    }
    return out;
}

WideString NaiveCompressLine(WideStringView line) {
    WideString out;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == u' ' && NaiveColumn(line.substr(0, i + 1)) % 4 == 0) {
            for (int removed = 0; removed < 3 && !out.empty() && out.back() == u' '; ++removed) {
                out.pop_back();
            }
            out += u'\t';
        } else {
            out += line[i];
        }
    }
    return out;
}

WideString NaiveCollapseLine(WideStringView line) {
    WideString out;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] != u' ') {
            out += line[i];
        } else if (i == 0 || line[i - 1] != u' ') {
            out += u'\t';
        }
    }
    return out;
}

WideString NaiveByLines(WideStringView text, const Transform& lineTransform) {
    MyLibrary::TCommonStringRecordList lines;
    lines.SplitLines(text);
    for (std::int32_t i = 0; i < lines.Count(); ++i) {
        lines.Put(i, lineTransform(lines.Get(i)));
    }
    return lines.Join();
}

WideString NaiveAfterFiller(WideStringView text, std::int32_t count, char16_t filler,
                            const Transform& lineTransform) {
    if (count <= 0) {
        return NaiveByLines(text, lineTransform);
    }
    const WideString filled = WideString(static_cast<std::size_t>(count), filler) + WideString(text);
    return NaiveByLines(filled, lineTransform).substr(static_cast<std::size_t>(count));
}

TEST(ExpandTabsInLine, TabsReachTheNextStop) {
    ExpectRows(ExpandTabsInLine, {
                                     {u"\tx", u"    x"},
                                     {u"a\tb", u"a   b"},
                                     {u"abc\td", u"abc d"},
                                     {u"abcd\te", u"abcd    e"},
                                     {u"あ\tb", u"あ  b"},
                                     {u"ｱ\tb", u"ｱ   b"},
                                     {u"\u3000\tb", u"\u3000  b"},
                                     {u"\t\t", u"        "},
                                     {u"a\r\n\tb", u"a\r\n b"},
                                     {u"\r\n", u"\r\n"},
                                     {u"", u""},
                                 });
}

TEST(ExpandTabs, EveryLineStartsAtColumnZero) {
    ExpectRows(ExpandTabs, {
                               {u"a\r\n\tb", u"a\r\n    b"},
                               {u"ab\r\tc", u"ab\r    c"},
                               {u"ab\n\tc\n", u"ab\n    c\n"},
                               {u"a\tb\r\n\u3000\tc", u"a   b\r\n\u3000  c"},
                               {u"\r\n", u"\r\n"},
                               {u"\n\n\t", u"\n\n    "},
                               {u"", u""},
                           });
}

TEST(CompressSpacesInLine, SpacesEndingOnAStopBecomeTabs) {
    ExpectRows(CompressSpacesInLine, {
                                         {u"    x", u"\tx"},
                                         {u"abc d", u"abc\td"},
                                         {u"ab  c", u"ab\tc"},
                                         {u"a b", u"a b"},
                                         {u"ab     c", u"ab\t   c"},
                                         {u"あ  b", u"あ\tb"},
                                         {u"        ", u"\t\t"},
                                         {u" ", u" "},
                                         {u"  ", u"  "},
                                         {u"   ", u"   "},
                                         {u"\t   x", u"\t\tx"},
                                         {u"\u3000  x", u"\u3000\tx"},
                                         {u"\u3000\u3000", u"\u3000\u3000"},
                                         {u"a\r\n x", u"a\r\n\tx"},
                                         {u"\r\n", u"\r\n"},
                                         {u"", u""},
                                     });
}

TEST(CompressSpaces, EveryLineStartsAtColumnZero) {
    ExpectRows(CompressSpaces, {
                                   {u"a\r\n    b", u"a\r\n\tb"},
                                   {u"abc \r    b", u"abc\t\r\tb"},
                                   {u"ab  \n  c", u"ab\t\n  c"},
                                   {u"\r\n", u"\r\n"},
                                   {u"", u""},
                               });
}

TEST(StartColumnForms, FirstLineBeginsAtTheStartColumn) {
    struct StartRow {
        std::u16string_view input;
        std::int32_t startColumn;
        std::u16string_view expanded;
        std::u16string_view compressed;
    };
    const std::vector<StartRow> rows = {
        {u"\tb\r\n\td", 2, u"  b\r\n    d", u"\tb\r\n\td"},
        {u"  x\r\n    y", 2, u"  x\r\n    y", u"\tx\r\n\ty"},
        {u"\tb\r\n\td", 0, u"    b\r\n    d", u"\tb\r\n\td"},
        {u"\tb\r\n\td", -3, u"    b\r\n    d", u"\tb\r\n\td"},
        {u"    x", -1, u"    x", u"\tx"},
        {u"\tx", 5, u"   x", u"\tx"},
        {u"    x", 5, u"    x", u"\t x"},
        {u"\tx", std::numeric_limits<std::int32_t>::max(), u" x", u"\tx"},
        {u" x", std::numeric_limits<std::int32_t>::max(), u" x", u"\tx"},
        {u"\u3000\t", 1, u"\u3000 ", u"\u3000\t"},
        {u"\r\n", 3, u"\r\n", u"\r\n"},
        {u"", 2, u"", u""},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "row " << i);
        EXPECT_EQ(ExpandTabsAfterPrefix(rows[i].input, rows[i].startColumn), rows[i].expanded);
        EXPECT_EQ(CompressSpacesAfterPrefix(rows[i].input, rows[i].startColumn), rows[i].compressed);
    }
}

TEST(CollapseSpaceRuns, EachRunBecomesOneTab) {
    ExpectRows(CollapseSpaceRuns, {
                                      {u"a  b \td   ", u"a\tb\t\td\t"},
                                      {u" \t ", u"\t\t\t"},
                                      {u"a \r\n b", u"a\t\r\n\tb"},
                                      {u"\u3000 \u3000", u"\u3000\t\u3000"},
                                      {u"abc", u"abc"},
                                      {u"\r\n", u"\r\n"},
                                      {u"", u""},
                                  });
}

// Every transform leaves U+3000 where it is; before a tab it counts two columns.
TEST(Transforms, FullWidthSpaceIsNeverChanged) {
    const WideString text = u"\u3000\u3000 \u3000    \u3000\t\u3000";
    for (const Transform& transform : std::vector<Transform>{
             ExpandTabsInLine, ExpandTabs, CompressSpacesInLine, CompressSpaces, CollapseSpaceRuns}) {
        const WideString result = transform(text);
        EXPECT_EQ(std::count(result.begin(), result.end(), u'\u3000'), 5);
        EXPECT_EQ(result.substr(0, 2), u"\u3000\u3000");
        EXPECT_EQ(result.back(), u'\u3000');
    }
}

// A supplementary-plane character is two UTF-16 units; its width is whatever its multi-byte form
// takes (two '?' bytes in the portable code page 932 table). Measuring the columns by units of the
// whole line against characters of its multi-byte form put every later tab in the wrong place.
TEST(CompressSpacesInLine, ColumnsAfterSurrogatePairFollowItsByteWidth) {
    const WideString pair = u"\U00020BB7";
    ASSERT_EQ(pair.size(), 2u);
    const std::size_t width = WidthOf(pair);
    ASSERT_TRUE(width == 1 || width == 2) << width;
#ifndef _WIN32
    EXPECT_EQ(width, 2u);
#endif
    const WideString compressed = width == 2 ? pair + u"\t\tx" : pair + u"\t   x";
    EXPECT_EQ(CompressSpacesInLine(pair + u"      x"), compressed);
    EXPECT_EQ(CompressSpaces(u"a\r\n" + pair + u"      x"), u"a\r\n" + compressed);
    EXPECT_EQ(ExpandTabsInLine(pair + u"\tx"), pair + WideString(4 - width, u' ') + u"x");
}

// Units no code page maps, NUL, stray CRs and surrogate halves are ordinary characters: nothing is
// lost, and their width is their byte length.
TEST(Transforms, OddUnitsAreKept) {
    const std::vector<WideString> inputs = {
        WideString(u"\xD800\t\xDC00  \t"),
        WideString(u"a\0\tb\0    c"sv),
        WideString(u"\xDBFF"),
        WideString(u"ab\xD842"),
        WideString(u"\xDFB7\xD842 \t  \r \t\r\r\n\t"),
        WideString(u"\u0E01\t\uFFFF    \r\r  \t"),
    };
    for (const WideString& input : inputs) {
        SCOPED_TRACE(testing::Message() << "length " << input.size());
        EXPECT_EQ(ExpandTabs(input), NaiveByLines(input, NaiveExpandLine));
        EXPECT_EQ(CompressSpaces(input), NaiveByLines(input, NaiveCompressLine));
        EXPECT_EQ(CollapseSpaceRuns(input), NaiveByLines(input, NaiveCollapseLine));
    }
    const WideString lone = u"\xD800";
    EXPECT_EQ(ExpandTabsInLine(lone + u"\t"), lone + WideString(4 - WidthOf(lone), u' '));
    EXPECT_EQ(ExpandTabs(u"a\0\t"sv), u"a\0  "sv);
}

TEST(Transforms, LineOfMillionsOfUnits) {
    const WideString block = u"あ\tｱ\t\u3000\t";  // 12 columns once expanded
    const WideString expandedBlock = u"あ  ｱ   \u3000  ";
    constexpr std::size_t kBlocks = 500'000;
    WideString line;
    WideString expected;
    for (std::size_t i = 0; i < kBlocks; ++i) {
        line += block;
        expected += expandedBlock;
    }
    const WideString expanded = ExpandTabs(line);
    ASSERT_EQ(expanded.size(), expected.size());
    EXPECT_TRUE(expanded == expected);
    EXPECT_TRUE(CompressSpaces(expanded) == line);
    const WideString collapsed = CollapseSpaceRuns(expanded);
    EXPECT_EQ(collapsed.size(), line.size());
    EXPECT_TRUE(collapsed == line);
}

// Random texts from the characters that matter (ASCII, kana, half-width katakana, both spaces,
// tabs, each line break, a surrogate pair and its halves) against the naive reference. Every
// text is made twice: densely blank, and with long words between rare blanks, so that columns
// are carried across long runs and long lines as well as short ones.
class RandomTexts : public testing::Test {
  protected:
    // A densely blank text and a sparsely blank one.
    std::array<WideString, 2> NextTexts() {
        return {NextText(kDenselyBlank, 40), NextText(kSparselyBlank, 60)};
    }

    std::int32_t NextStartColumn() { return std::uniform_int_distribution<std::int32_t>(-2, 9)(random_); }

    static constexpr int kRounds = 600;

  private:
    WideString NextText(std::span<const std::u16string_view> pieces, std::size_t maxPieces) {
        std::uniform_int_distribution<std::size_t> pieceCount(0, maxPieces);
        std::uniform_int_distribution<std::size_t> piece(0, pieces.size() - 1);
        WideString text;
        for (std::size_t n = pieceCount(random_); n > 0; --n) {
            text += pieces[piece(random_)];
        }
        return text;
    }

    // With a run of spaces longer than the transforms' blocks of 16 units.
    static constexpr std::u16string_view kDenselyBlank[] = {
        u"a",      u"あ", u"ｱ",  u" ",    u" ",          u" ",      u"\t",     u"\t",
        u"\u3000", u"\r", u"\n", u"\r\n", u"\U00020BB7", u"\xD842", u"\xDFB7", u"                    "};
    // Words of ASCII, kanji, kana, an unmapped letter (Thai) and a surrogate pair, up to 17 units.
    static constexpr std::u16string_view kSparselyBlank[] = {u"abcdefghijklmnopq",
                                                             u"漢字変換",
                                                             u"ひらがなカタカナ",
                                                             u"ｶﾀｶﾅ",
                                                             u"x",
                                                             u"\u0E01",
                                                             u"\U00020BB7",
                                                             u"表示a編集b",
                                                             u" ",
                                                             u"\t",
                                                             u"\n",
                                                             u"\r\n"};
    std::mt19937 random_{20240611};
};

TEST_F(RandomTexts, LineFormsMatchReference) {
    for (int round = 0; round < kRounds; ++round) {
        for (const WideString& text : NextTexts()) {
            SCOPED_TRACE(testing::Message() << "round " << round);
            EXPECT_EQ(ExpandTabsInLine(text), NaiveExpandLine(text));
            EXPECT_EQ(CompressSpacesInLine(text), NaiveCompressLine(text));
        }
    }
}

TEST_F(RandomTexts, WholeTextFormsMatchReference) {
    for (int round = 0; round < kRounds; ++round) {
        for (const WideString& text : NextTexts()) {
            SCOPED_TRACE(testing::Message() << "round " << round);
            EXPECT_EQ(ExpandTabs(text), NaiveByLines(text, NaiveExpandLine));
            EXPECT_EQ(CompressSpaces(text), NaiveByLines(text, NaiveCompressLine));
            EXPECT_EQ(CollapseSpaceRuns(text), NaiveByLines(text, NaiveCollapseLine));
        }
    }
}

TEST_F(RandomTexts, StartColumnFormsMatchFillerReference) {
    for (int round = 0; round < kRounds; ++round) {
        for (const WideString& text : NextTexts()) {
            const std::int32_t startColumn = NextStartColumn();
            SCOPED_TRACE(testing::Message() << "round " << round << ", start column " << startColumn);
            EXPECT_EQ(ExpandTabsAfterPrefix(text, startColumn),
                      NaiveAfterFiller(text, startColumn, u' ', NaiveExpandLine));
            EXPECT_EQ(CompressSpacesAfterPrefix(text, startColumn),
                      NaiveAfterFiller(text, startColumn, u'A', NaiveCompressLine));
        }
    }
}

TEST(ReplacePattern, ReplacesEveryOccurrenceLeftToRight) {
    struct ReplaceRow {
        std::u16string_view source;
        std::u16string_view pattern;
        std::u16string_view replacement;
        bool ignoreCase;
        std::u16string_view expected;
    };
    const std::vector<ReplaceRow> rows = {
        {u"a  b   c", u"  ", u"\u3000", false, u"a\u3000b\u3000 c"},
        {u"ABC abc", u"b", u"xyz", true, u"AxyzC axyzc"},
        {u"ABC abc", u"b", u"xyz", false, u"ABC axyzc"},
        {u"aaa", u"a", u"aa", false, u"aaaaaa"},
        {u"aaa", u"", u"x", false, u"aaa"},
        {u"x \u3000\ty", u" ", u"", false, u"x\u3000\ty"},
        {u"a \u3000", u"\u3000", u" ", false, u"a  "},
        {u"", u"a", u"b", false, u""},
        {u"\t\t", u"\t", u"    ", false, u"        "},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "row " << i);
        const ReplaceRow& row = rows[i];
        EXPECT_EQ(ReplacePattern(row.source, row.pattern, row.replacement, row.ignoreCase), row.expected);
    }
}

TEST(ColumnAfter, CountsDisplayColumnsModuloTheTabWidth) {
    const struct {
        std::u16string_view text;
        std::int32_t start;
        std::int32_t column;
    } rows[] = {
        {u"", 3, 3},     {u"", 9, 1},         {u"a", 0, 1},    {u"\u6F22", 3, 1}, {u"\uFF71\uFF71", 1, 3},
        {u"a\tb", 2, 1}, {u"\t\u3000", 3, 2}, {u"abcd", 0, 0},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ColumnAfter(row.text, row.start), row.column)
            << std::string(row.text.begin(), row.text.end());
    }
}

}  // namespace
}  // namespace Blankwise
