#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "MyLibrary/LineList/WideStringRecordList.h"
#include "MyLibrary/StringUnit/Assertion.h"
#include "MyLibrary/tests/LocaleLikeTextPlatform.h"

namespace MyLibrary {
namespace {

using Items = std::vector<WideString>;
using Delimiters = std::vector<WideString>;
const Delimiters kBreaks = {u"\r\n", u"\r", u"\n"};

Items ItemsOf(const TRecordList& list) {
    Items items;
    for (std::int32_t index = 0; index < list.Count(); ++index) {
        items.push_back(list.Get(index));
    }
    return items;
}

Items SplitItems(WideStringView text, const Delimiters& delimiters, std::uint8_t mode) {
    TCommonStringRecordList list;
    list.Split(text, delimiters, mode);
    return ItemsOf(list);
}

// The scan written out plainly with 1-based positions, MatchCaseAt and CopyRange.
Items ReferenceSplit(WideStringView text, const Delimiters& delimiters, std::uint8_t mode) {
    Items items;
    const auto length = static_cast<std::int32_t>(text.size());
    auto add = [&](std::int32_t first, std::int32_t last) { items.push_back(CopyRange(text, first, last)); };
    auto addPiece = [&](std::int32_t first, std::int32_t last) {
        if (last >= first && ((first >= 1 && first <= length) || (last >= 1 && last <= length))) {
            add(first, last);
        }
    };
    std::int32_t start = 0, last = 0, pos = 1;
    while (mode <= 4 && pos <= length) {
        std::int32_t k = 0;
        for (const WideString& delimiter : delimiters) {
            if (MatchCaseAt(delimiter, text, pos)) {
                k = static_cast<std::int32_t>(delimiter.size());
                break;
            }
        }
        if (k == 0) {
            last = pos++;
            continue;
        }
        if (mode == 0) {
            add(start, pos + k - 1);
        } else {
            (mode == 1 || mode == 3) ? add(start, pos - 1) : addPiece(start, pos - 1);
            if (mode >= 3) {
                add(pos, pos + k - 1);
            }
        }
        last = mode == 0 ? pos + k - 1 : pos - 1;
        pos += k;
        start = pos;
    }
    if (mode == 1 || mode == 3) {
        add(start, last);
    } else if (mode <= 4) {
        addPiece(start, last);
    }
    return items;
}

// Texts rich in line breaks, U+0000 and lone surrogates, and in units a locale may equate with a
// space (U+205F) or ignore (U+00AD).
WideString RandomText(std::mt19937& random, std::size_t maxLength) {
    static const char16_t alphabet[] = {u'a',   u'b',   u'\r',  u'\n', u'\r',  u'\n', 0x0000,
                                        0xD800, 0xDC00, 0x3000, u' ',  0x205F, 0x00AD};
    WideString text(std::uniform_int_distribution<std::size_t>(0, maxLength)(random), u'\0');
    for (char16_t& unit : text) {
        unit = alphabet[std::uniform_int_distribution<std::size_t>(0, std::size(alphabet) - 1)(random)];
    }
    return text;
}

TEST(TRecordList, SplitModesOnLineBreaks) {
    const std::pair<std::uint8_t, Items> rows[] = {
        {smAttach, {u"ab\r\n", u"\r\n", u"cd\r"}},
        {smKeepEmpty, {u"ab", u"", u"cd", u""}},
        {smSkipEmpty, {u"ab", u"cd"}},
        {smSeparateKeepEmpty, {u"ab", u"\r\n", u"", u"\r\n", u"cd", u"\r", u""}},
        {smSeparateSkipEmpty, {u"ab", u"\r\n", u"\r\n", u"cd", u"\r"}},
        {5, {}},
    };
    for (const auto& [mode, expected] : rows) {
        EXPECT_EQ(SplitItems(u"ab\r\n\r\ncd\r", kBreaks, mode), expected) << "mode " << int(mode);
    }
}

TEST(TRecordList, SplitEdgeCases) {
    struct Row {
        WideString text;
        Delimiters delimiters;
        std::uint8_t mode;
        Items expected;
    };
    const Row rows[] = {
        {u"", kBreaks, smAttach, {}},
        {u"", kBreaks, smKeepEmpty, {u""}},
        {u"", kBreaks, smSeparateSkipEmpty, {}},
        {u"abc", kBreaks, smSeparateKeepEmpty, {u"abc"}},
        {u"a\r\nb", {}, smSeparateKeepEmpty, {u"a\r\nb"}},
        {u"a\r\nb", {u"", u""}, smAttach, {u"a\r\nb"}},
        {u"xaby", {u"a", u"ab"}, smSeparateKeepEmpty, {u"x", u"a", u"by"}},
        {u"aaa", {u"aa"}, smSeparateKeepEmpty, {u"", u"aa", u"a"}},
        {u"ab\r", {u"\r\n"}, smAttach, {u"ab\r"}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(SplitItems(row.text, row.delimiters, row.mode), row.expected);
    }
}

TEST(TRecordList, SplitLinesKeepsEachBreakWithItsLine) {
    const std::pair<WideString, Items> rows[] = {
        {u"a\nb", {u"a\n", u"b"}},
        {u"a\n", {u"a\n"}},
        {u"\n\r", {u"\n", u"\r"}},
        {u"\r\r\n", {u"\r", u"\r\n"}},
        {u"\xD800\r\xDC00", {u"\xD800\r", u"\xDC00"}},
        {WideString(u"a\0b\r\n\0", 6), {WideString(u"a\0b\r\n", 5), WideString(u"\0", 1)}},
    };
    for (const auto& [text, expected] : rows) {
        TCommonStringRecordList list;
        list.SplitLines(text);
        EXPECT_EQ(ItemsOf(list), expected);
    }
}

// Both scans: by code units natively, and by the locale (the path the DLL takes) under Wine and
// with the locale-like platform everywhere; the lines as views are the list's lines.
TEST(TRecordList, SplitAgreesWithReferenceAndJoinRestoresText) {
    std::mt19937 random(7331);
    TCommonStringRecordList lines;
    const LocaleLikeTextPlatform localeLike;
    for (int round = 0; round < 3000; ++round) {
        std::optional<ScopedTextPlatform> platform;
        if (round % 2 == 1) {
            platform.emplace(localeLike);
        }
        const WideString text = RandomText(random, 60);
        Delimiters delimiters(std::uniform_int_distribution<std::size_t>(0, 3)(random));
        for (WideString& delimiter : delimiters) {
            delimiter = RandomText(random, 3);
        }
        const auto mode = static_cast<std::uint8_t>(round / 2 % 6);
        ASSERT_EQ(SplitItems(text, delimiters, mode), ReferenceSplit(text, delimiters, mode)) << round;
        ASSERT_EQ(SplitItems(text, kBreaks, mode), ReferenceSplit(text, kBreaks, mode)) << round;
        lines.SplitLines(text);
        ASSERT_EQ(lines.Join(), text) << round;
        const std::vector<WideStringView> views = SplitLineViews(text);
        ASSERT_EQ(Items(views.begin(), views.end()), ItemsOf(lines)) << round;
    }
}

TEST(TRecordList, LinesOfMillionsOfUnits) {
    const WideString line(3'000'000, u'x');
    TCommonStringRecordList list;
    list.SplitLines(line + u"\r\n" + line);
    EXPECT_EQ(ItemsOf(list), (Items{line + u"\r\n", line}));
    EXPECT_EQ(list.Join(), line + u"\r\n" + line);
}

TEST(TRecordList, PutReplacesOneItemAndIndexFailuresChangeNothing) {
    TCommonStringRecordList list;
    EXPECT_EQ(list.Add(u"one"), 0);
    EXPECT_EQ(list.Add(u""), 1);
    EXPECT_EQ(list.Add(u"three"), 2);
    list.Put(1, u"two");
    EXPECT_EQ(ItemsOf(list), (Items{u"one", u"two", u"three"}));
    for (const std::int32_t index : {-1, 3}) {
        EXPECT_THROW(list.Get(index), TAssertionFailure);
        EXPECT_THROW(list.Put(index, u"x"), TAssertionFailure);
    }
    EXPECT_EQ(list.Join(), u"onetwothree");
}

}  // namespace
}  // namespace MyLibrary
