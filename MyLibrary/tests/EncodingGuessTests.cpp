#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <string_view>

#include "MyLibrary/Encoding/EncodingGuess.h"
#include "MyLibrary/Encoding/EucJp.h"
#include "MyLibrary/Encoding/Iso2022Jp.h"
#include "MyLibrary/tests/RandomTexts.h"

namespace MyLibrary {
namespace {

using namespace std::string_view_literals;

TEST(EncodingGuess, EachRuleOnASmallFile) {
    struct Row {
        std::string_view bytes;
        std::optional<Encoding> guess;
    };
    const Row rows[] = {
        {"\xEF\xBB\xBF\x82\xA0"sv, Encoding::Utf8},  // a mark wins over the bytes after it
        {"\xFF\xFE"
         "a\0"sv,
         Encoding::Utf16Le},
        {"\xFE\xFF\0a"sv, Encoding::Utf16Be},
        {"a\0\t\0\0\x30\n\0"sv, Encoding::Utf16Le},  // ASCII outnumbers U+3000 read each way
        {"\0a\0\t\x30\0\0\n"sv, Encoding::Utf16Be},
        {"a\0b"sv, Encoding::Utf8},    // odd length: not UTF-16
        {"a\0\0b"sv, Encoding::Utf8},  // as many ASCII characters each way
        {""sv, Encoding::Utf8},
        {"plain\ttext\n"sv, Encoding::Utf8},
        {"\x1B$B$\"\x1B(B\n"sv, Encoding::Iso2022Jp},
        {"\x1B[31mred\x1B[0m\n"sv, Encoding::Utf8},  // terminal colours are no ISO-2022-JP
        {"\xE6\xBC\xA2\xE5\xAD\x97"sv, Encoding::Utf8},
        {"\x82\xA0\x8A\xBF"sv, Encoding::Cp932},  // invalid EUC-JP
        {"\xA4\xA2\xB4\xC1"sv, Encoding::EucJp},  // cp932 reads half-width katakana
        {"\xE0\xA1"sv, Encoding::Cp932},          // level-2 kanji in both: a tie
        {"\xA4\xE8\n"sv, Encoding::EucJp},        // invalid cp932: a lead byte before LF
        {"\x82\x20"sv, std::nullopt},
        {"\xE3\x81"sv, Encoding::Cp932},  // UTF-8 cut short at the end
    };
    for (const Row& row : rows) {
        EXPECT_EQ(GuessEncoding(row.bytes), row.guess) << testing::PrintToString(std::string(row.bytes));
    }
}

// Random Japanese texts in each encoding, handed over in random pieces, are guessed right.
TEST(EncodingGuess, RandomJapaneseTextsInEachEncoding) {
    static constexpr char16_t kUnits[] = {u'あ', u'ん', u'ア', u'ヶ', u'亜', u'漢',     u'字', u'腕', u'弌',
                                          u'熙', u'ｱ',  u'a',  u' ',  u'\t', u'\u3000', u'\n', u'\r', u'、'};
    Testing::RandomTexts random(20261209);
    for (int round = 0; round < 60; ++round) {
        std::u16string text;
        const std::size_t length = random.Between(40, 400);
        while (text.size() < length) {
            text += kUnits[random.Between(0, std::size(kUnits) - 1)];
        }
        text += u'あ';
        const Encoding encoding = static_cast<Encoding>(round % 6);
        std::string bytes;
        if (encoding == Encoding::EucJp) {
            EncodeEucJp(text, bytes);
        } else if (encoding == Encoding::Iso2022Jp) {
            EncodeIso2022Jp(text, {}, {}, bytes);
        } else {
            Encode(encoding, text, bytes);
        }
        EncodingGuesser guesser;
        for (std::size_t at = 0; at < bytes.size();) {
            const std::size_t piece = random.Between(1, 40);
            guesser.Feed(std::string_view(bytes).substr(at, piece));
            at += piece;
        }
        guesser.Finish();
        EXPECT_EQ(guesser.Guess(), encoding) << EncodingName(encoding) << " round " << round;
    }
}

}  // namespace
}  // namespace MyLibrary
