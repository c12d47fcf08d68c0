#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "MyLibrary/StringUnit/TextPlatform.h"
#include "MyLibrary/StringUnit/UnicodeWidth.h"

namespace MyLibrary {
namespace {

// A corpus of the characters whose code page 932 bytes the native table must give exactly as
// Windows does: ASCII, half-width katakana, kana, kanji of both levels, full-width forms, U+3000.
std::u16string SharedCorpus() {
    std::u16string corpus;
    for (char16_t unit = 0x20; unit < 0x7F; ++unit)
        corpus += unit;
    for (char16_t unit = 0xFF61; unit <= 0xFF9F; ++unit)
        corpus += unit;
    for (char16_t unit = 0x3041; unit <= 0x3093; ++unit)
        corpus += unit;
    for (char16_t unit = 0x30A1; unit <= 0x30F6; ++unit)
        corpus += unit;
    for (char16_t unit = 0xFF01; unit <= 0xFF5E; ++unit)
        corpus += unit;
    corpus += u"\u3000\u3001\u3002\u30FC";
    corpus +=
        u"日本語漢字変換空白全角半角表示能申請亜唖娃阿哀愛挨姶逢葵茜穐悪握渥旭葦芦鯵梓圧斡扱宛姐虻飴絢綾鮎或"
        u"粟袷安庵按暗案闇鞍杏";
    corpus +=
        u"弌丐丕个丱丶丼丿乂乖乘亂亅豫亊舒弍于亞亟亠亢亰亳亶从仍仄仆仂仗仞仭仟价伉佚估佛佝佗佇佶侈侏侘佻佩佰"
        u"侑佯來侖儘俔俟俎";
    corpus += u"\t\r\n";
    return corpus;
}

TEST(TextPlatform, CodePageIs932) {
    EXPECT_EQ(CurrentTextPlatform().CodePage(), 932u);
}

TEST(TextPlatform, NativeBytesAgreeWithCurrentPlatformOnSharedCorpus) {
    const std::u16string corpus = SharedCorpus();
    const TextPlatform& native = NativeTextPlatform();
    const TextPlatform& current = CurrentTextPlatform();
    for (char16_t unit : corpus) {
        const std::u16string one(1, unit);
        EXPECT_EQ(native.ToMultiByte(one), current.ToMultiByte(one)) << "U+" << std::hex << int(unit);
    }
    EXPECT_EQ(native.ToMultiByte(corpus), current.ToMultiByte(corpus));
    EXPECT_EQ(native.MultiByteLength(corpus), current.MultiByteLength(corpus));
}

// The per-unit table callers sum instead of calling MultiByteLength must give the same lengths
// for every unit, and be offered only where lengths are per unit.
TEST(TextPlatform, DoubleByteFlagsGiveEveryUnitsLength) {
    const TextPlatform& native = NativeTextPlatform();
    const std::uint8_t* flags = native.DoubleByteFlags();
    ASSERT_NE(flags, nullptr);
    for (std::uint32_t unit = 0; unit <= 0xFFFF; ++unit) {
        const std::u16string one(1, static_cast<char16_t>(unit));
        ASSERT_EQ(native.ToMultiByte(one).size(), 1u + flags[unit]) << "U+" << std::hex << unit;
    }
    if (&SystemTextPlatform() != &native) {
        EXPECT_EQ(SystemTextPlatform().DoubleByteFlags(), nullptr);
    }
}

TEST(TextPlatform, KnownShiftJisBytes) {
    const TextPlatform& platform = CurrentTextPlatform();
    EXPECT_EQ(platform.ToMultiByte(u"a\u3000"), "a\x81\x40");
    EXPECT_EQ(platform.ToMultiByte(u"あ"), "\x82\xA0");
    EXPECT_EQ(platform.ToMultiByte(u"表"), "\x95\x5C");
    EXPECT_EQ(platform.ToMultiByte(u"ｱ"), "\xB1");
    EXPECT_EQ(platform.ToMultiByte(u""), "");
}

TEST(TextPlatform, UnmappedUnitsBecomeQuestionMarks) {
    const TextPlatform& platform = CurrentTextPlatform();
    EXPECT_EQ(platform.ToMultiByte(u"\u0E01"), "?");  // Thai
    const std::string lone = platform.ToMultiByte(
        u"a\xD800"
        u"b");
    EXPECT_EQ(lone.front(), 'a');
    EXPECT_EQ(lone.back(), 'b');
}

TEST(TextPlatform, LocaleComparison) {
    const TextPlatform& platform = CurrentTextPlatform();
    EXPECT_TRUE(platform.LocaleEqual(u"abc", u"abc", false));
    EXPECT_FALSE(platform.LocaleEqual(u"abc", u"aBc", false));
    EXPECT_TRUE(platform.LocaleEqual(u"abc", u"aBc", true));
    EXPECT_FALSE(platform.LocaleEqual(u"\u3000", u" ", false));
    EXPECT_FALSE(platform.LocaleEqual(u"\u3000", u" ", true));
    EXPECT_FALSE(platform.LocaleEqual(u"\r", u"\n", false));
    EXPECT_FALSE(platform.LocaleEqual(u"\t", u" ", false));
    EXPECT_TRUE(platform.LocaleEqual(u"ｂ", u"Ｂ", true));
}

// The columns of single code points by Unicode widths, with either choice for ambiguous ones,
// from the function and from the platform's measure (a table by unit, the ranges for a pair).
// Unassigned code points are one column but where East Asian Width defaults them to W: the
// ideograph blocks and planes, up to their last code point that is no noncharacter.
TEST(UnicodeWidth, ColumnsOfCodePoints) {
    struct Row {
        char32_t codePoint;
        unsigned narrowAmbiguous;
        unsigned wideAmbiguous;
    };
    const Row rows[] = {
        {U'A', 1, 1},    {0x00AD, 1, 1},  {0x0301, 0, 0},  {0x0378, 1, 1},   {0x03B1, 1, 2},
        {0x1160, 0, 0},  {0x3000, 2, 2},  {0x3099, 0, 0},  {0x4DC0, 1, 1},   {0xFAFF, 2, 2},
        {0xFB00, 1, 1},  {0xFDD0, 1, 1},  {0xFFFE, 1, 1},  {0x1F100, 1, 2},  {0x1F600, 2, 2},
        {0x1FBFA, 1, 1}, {0x1FFFF, 1, 1}, {0x20BB7, 2, 2}, {0x2A6E0, 2, 2},  {0x2FFFD, 2, 2},
        {0x2FFFE, 1, 1}, {0x30000, 2, 2}, {0x3FFFD, 2, 2}, {0x3FFFE, 1, 1},  {0x40000, 1, 1},
        {0xE0000, 1, 1}, {0xE0001, 0, 0}, {0xF0000, 1, 2}, {0x10FFFD, 1, 2}, {0x10FFFF, 1, 1},
    };
    for (const Row& row : rows) {
        std::u16string text;
        if (row.codePoint < 0x10000) {
            text += static_cast<char16_t>(row.codePoint);
        } else {
            text += static_cast<char16_t>(0xD800 + ((row.codePoint - 0x10000) >> 10));
            text += static_cast<char16_t>(0xDC00 + (row.codePoint & 0x3FF));
        }
        SCOPED_TRACE(testing::Message()
                     << "U+" << std::hex << std::uppercase << static_cast<std::uint32_t>(row.codePoint));
        EXPECT_EQ(CodePointColumns(row.codePoint, 1), row.narrowAmbiguous);
        EXPECT_EQ(CodePointColumns(row.codePoint, 2), row.wideAmbiguous);
        EXPECT_EQ(UnicodeWidthTextPlatform(1).DisplayWidth(text), row.narrowAmbiguous);
        EXPECT_EQ(UnicodeWidthTextPlatform(2).DisplayWidth(text), row.wideAmbiguous);
    }
}

}  // namespace
}  // namespace MyLibrary

namespace MyLibrary {
namespace {

TEST(TextPlatform, ChosenPlatformServesEveryLaterCall) {
    EXPECT_EQ(&CurrentTextPlatform(), &SystemTextPlatform());
    UseTextPlatform(NativeTextPlatform());
    EXPECT_EQ(&CurrentTextPlatform(), &NativeTextPlatform());
    UseTextPlatform(SystemTextPlatform());
    EXPECT_EQ(&CurrentTextPlatform(), &SystemTextPlatform());
}

}  // namespace
}  // namespace MyLibrary
