#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "MyLibrary/StringUnit/StringUnit.h"
#include "MyLibrary/StringUnit/TextPlatform.h"

namespace MyLibrary {
namespace {

constexpr std::int32_t kMaxPosition = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMinPosition = std::numeric_limits<std::int32_t>::min();

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

}  // namespace
}  // namespace MyLibrary
