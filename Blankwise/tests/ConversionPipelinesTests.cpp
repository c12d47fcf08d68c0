#include "Blankwise/ConversionPipelines.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "HostEmulator/HostModel.h"
#include "MyLibrary/StringUnit/Assertion.h"
#include "MyLibrary/tests/RandomTexts.h"

namespace Blankwise {
namespace {

using HostEmulator::EscapeText;

// One selection whose first line starts at display column 1, and one prefix, through every pipeline.
constexpr std::u16string_view kSelection = u"\ta  b\u3000\tc\r\n  \t x";
constexpr std::int32_t kSelectionColumn = 1;
constexpr std::u16string_view kPrefix = u" \t\u3000  ";

TEST(ConversionPipelines, EachIdRunsItsStepsOnTheSelectionAndThePrefix) {
    const struct {
        int id;
        std::u16string_view selection;
        std::u16string_view prefix;
    } cases[] = {
        {1, u"\ta\u3000b\u3000\tc\r\n\u3000\t x", u" \t\u3000\u3000"},
        {2, u"\ta\u3000\u3000b\u3000\tc\r\n\u3000\u3000\t\u3000x", u"\u3000\t\u3000\u3000\u3000"},
        {3, u"\ta  b  \tc\r\n  \t x", u" \t    "},
        {4, u"\ta  b \tc\r\n  \t x", u" \t   "},
        {5, u"\ta  b\u3000\tc\r\n\t x", u"\t\u3000\t"},
        {6, u"   a  b\u3000  c\r\n     x", u"    \u3000  "},
        {7, u"\ta\tb\u3000\tc\r\n\t\t\tx", u"\t\t\u3000\t"},
        {8, u" a  b\u3000 c\r\n    x", u"  \u3000  "},
        {9, u"   a  b    c\r\n     x", u"        "},
        {10, u" a b c\r\n x", u" "},
        {11, u"\ta\tb\tc\r\n\tx", u"\t"},
        {12, u"\tab\u3000\tc\r\n\tx", u"\t\u3000"},
        {13, u"\ta  b\tc\r\n  \t x", u" \t  "},
        {14, u"a  b\u3000c\r\n   x", u" \u3000  "},
        {15, u"abc\r\nx", u""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EscapeText(ConvertSelection(c.id, kSelection, kSelectionColumn)), EscapeText(c.selection))
            << "id " << c.id;
        EXPECT_EQ(EscapeText(ConvertPrefix(c.id, kPrefix)), EscapeText(c.prefix)) << "id " << c.id;
    }
}

TEST(ConversionPipelines, AnIdOutsideTheMenuIsAnInternalError) {
    for (int id : {0, 16, -1, 255}) {
        for (bool prefix : {false, true}) {
            try {
                prefix ? ConvertPrefix(id, u" ") : ConvertSelection(id, u" ", 0);
                ADD_FAILURE() << "id " << id << " converted";
            } catch (const MyLibrary::TAssertionFailure& failure) {
                EXPECT_EQ(failure.Message(), "例外");
                EXPECT_EQ(failure.SourceName(), "Blankwise");
                EXPECT_EQ(failure.LineNumber(), 612);
            }
        }
    }
}

// The units derived from each pipeline's steps: a text without them is left as it is, on every
// kind of line and at every start column.
TEST(ConversionPipelines, TextsWithoutTheUnitsAConversionActsOnComeOutUnchanged) {
    MyLibrary::Testing::RandomTexts texts(23);
    for (int id = kFirstConversionId; id <= kLastConversionId; ++id) {
        const std::array<char16_t, 3> units = UnitsActedOn(id);
        EXPECT_NE(units[0], kNoUnit) << "id " << id;
        for (int round = 0; round < 200; ++round) {
            std::u16string text = texts.Text(texts.Between(0, 40));
            std::erase_if(text, [&](char16_t unit) { return std::ranges::find(units, unit) != units.end(); });
            ASSERT_EQ(EscapeText(ConvertSelection(id, text, static_cast<std::int32_t>(round % 4))),
                      EscapeText(text))
                << "id " << id;
            ASSERT_EQ(EscapeText(ConvertPrefix(id, text)), EscapeText(text)) << "id " << id;
        }
    }
    for (int id : {0, 16, -1}) {
        EXPECT_EQ(UnitsActedOn(id), (std::array<char16_t, 3>{u' ', u'\t', u'\u3000'})) << "id " << id;
    }
}

TEST(ConversionPipelines, PrefixWidthCountsDisplayColumnsOfTheExpandedPrefix) {
    const struct {
        std::u16string_view prefix;
        std::int32_t width;
    } cases[] = {
        {u"", 0},         {u"ab", 2},   {u"\u3042", 2}, {u"\t", 4},
        {u"\u3042\t", 4}, {u"a\tb", 5}, {u"\uFF71", 1}, {u"\u3000\u3000\t", 8},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PrefixWidth(c.prefix), c.width) << EscapeText(c.prefix);
    }
}

}  // namespace
}  // namespace Blankwise
