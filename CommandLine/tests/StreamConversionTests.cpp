#include "CommandLine/Stream/StreamConversion.h"

#include <gtest/gtest.h>

#include "Blankwise/ConversionPipelines.h"
#include "CommandLine/tests/TestSupport.h"

namespace BlankwiseCli {
namespace {

using MyLibrary::Encoding;
using Testing::Encoded;
using Testing::MemorySink;
using Testing::MemorySource;
using Testing::RandomTexts;

struct Streamed {
    std::string bytes;
    StreamOutcome outcome;
};

Streamed ConvertInPieces(std::string input, const StreamSettings& settings,
                         std::vector<std::size_t> pieces = {}) {
    MemorySource source(std::move(input), std::move(pieces));
    MemorySink sink;
    const StreamOutcome outcome = ConvertStream(source, &sink, settings);
    return {sink.Bytes(), outcome};
}

// The program's central promise: whatever the read sizes, the pieces the text is cut into and the
// lines passed over, the result is the whole text converted at once. In ISO-2022-JP every piece
// reads on in the shift state the one before it left.
TEST(ConvertStream, StreamedEqualsWholeTextOnRandomTexts) {
    RandomTexts texts(11);
    for (int round = 0; round < 4000; ++round) {
        const int id = static_cast<int>(texts.Between(1, 15));
        const auto encoding = static_cast<Encoding>(texts.Between(0, 5));
        const auto startColumn = static_cast<std::int32_t>(texts.Between(0, 9));
        // Short texts with small buffers put breaks, blanks and surrogate pairs on every boundary;
        // some long lines cross many pieces. The Japanese encodings' texts hold what they read back.
        const bool unicode = encoding == Encoding::Utf8 || UnitBytes(encoding) == 2;
        std::u16string text = texts.Text(texts.Between(0, round % 10 == 0 ? 2000 : 120), unicode);
        if (!unicode) {
            const std::string bytes = Encoded(encoding, text);
            text.clear();
            Decode(encoding, bytes, true, text);
        }
        StreamSettings settings{
            id, startColumn, encoding, texts.Between(8, 40), texts.Between(1, 30), texts.Between(0, 2)};
        const std::vector<std::size_t> pieces{texts.Between(1, 9), texts.Between(1, 9)};

        const std::u16string whole = Blankwise::ConvertSelection(id, text, startColumn);
        const Streamed streamed = ConvertInPieces(Encoded(encoding, text), settings, pieces);
        ASSERT_FALSE(streamed.outcome.invalid);
        ASSERT_EQ(streamed.bytes, Encoded(encoding, whole))
            << "round " << round << ", id " << id << ", " << EncodingName(encoding) << ", column "
            << startColumn;
        ASSERT_EQ(streamed.outcome.changed, whole != text) << "round " << round;
    }
}

// Code page 932 text without a byte below 0x40 but its blanks (kanji, kana, half-width katakana,
// whose bytes may all be trails) offers no cut that the bytes around it prove: the pieces are
// then cut by its characters, found from the start. Their codes lead with bytes of both lead
// ranges: 漢 8ABF, あ 82A0, ソ 835C, kanji of the second level 漾 E040, 燹 E09F, 饅 E95C, 珱 E0FC,
// 熙 EAA4, IBM's extension 纊 FA5C, 髙 FBFC, 黑 FC4B; ｱ B1 is one byte.
TEST(ConvertStream, LongCp932LinesOfTwoByteCharactersAreCutByTheirCharacters) {
    RandomTexts texts(17);
    const std::u16string characters = u"漢あｱソ漾燹饅珱熙纊髙黑";
    const std::u16string blanks = u"\u3000 \t";
    for (int round = 0; round < 300; ++round) {
        std::u16string line;
        const std::size_t length = texts.Between(1, 400);
        while (line.size() < length) {
            // Blanks are rare, so long stretches hold none.
            const std::size_t k = texts.Between(0, 40);
            line += k < 38 ? characters[k % characters.size()] : blanks[k - 38];
        }
        const int id = static_cast<int>(texts.Between(1, 15));
        const auto startColumn = static_cast<std::int32_t>(texts.Between(0, 5));
        const StreamSettings settings{id,
                                      startColumn,
                                      Encoding::Cp932,
                                      texts.Between(1, 20),
                                      texts.Between(1, 40),
                                      texts.Between(0, 1)};
        const Streamed streamed = ConvertInPieces(Encoded(Encoding::Cp932, line), settings);
        ASSERT_FALSE(streamed.outcome.invalid);
        ASSERT_EQ(streamed.bytes,
                  Encoded(Encoding::Cp932, Blankwise::ConvertSelection(id, line, startColumn)))
            << "round " << round << ", id " << id;
    }
}

// Code page 932 decodes some characters from a second code (the NEC-selected 0xED40 and the IBM
// 0xFA5C are both U+7E8A). A line the conversion leaves as it is keeps its bytes, whether it holds
// no blank, goes through the pipeline unchanged or shares a call of the pipeline with changed
// lines; a changed line is written with the codes Windows writes. (A line longer than a piece is
// judged stretch by stretch: its fate is not known when its first stretch is written.)
TEST(ConvertStream, UnchangedLinesKeepTheirBytesChangedOnesTakeWindowsCodes) {
    const struct {
        const char* name;
        int id;
        std::string input;
        std::string output;
    } rows[] = {
        {"no blank", 6, "\xED\x40\x87\x90\n", "\xED\x40\x87\x90\n"},
        {"changed line", 6, "\xED\x40\tx\n", "\xFA\x5C  x\n"},
        {"unchanged and changed lines in one call", 6, "\xED\x40\tx\n\xED\x40y\r\n\tz\xFA\x54\n",
         "\xFA\x5C  x\n\xED\x40y\r\n    z\x81\xCA\n"},
        {"a blank the pipeline leaves", 1, "\xED\x40 y\n\xEE\xFC  z", "\xED\x40 y\n\xFA\x57\x81\x40z"},
    };
    for (const auto& row : rows) {
        for (std::size_t chunkUnits : {16u, 1000u}) {
            for (std::size_t helpers : {0u, 1u}) {
                const Streamed streamed =
                    ConvertInPieces(row.input, {row.id, 0, Encoding::Cp932, 4, chunkUnits, helpers});
                EXPECT_FALSE(streamed.outcome.invalid) << row.name;
                EXPECT_EQ(streamed.bytes, row.output) << row.name << ", pieces of " << chunkUnits;
                EXPECT_EQ(streamed.outcome.changed, row.input != row.output) << row.name;
            }
        }
    }
}

TEST(ConvertStream, CrLfSplitAcrossTwoReads) {
    // The CR ends the first buffer of 8 bytes: the tab on the next line still starts at column 0,
    // and the CR LF comes out whole.
    const std::string input = "abcdefg\r\n\tx\r\n";
    for (std::size_t readSize : {8u, 9u}) {
        const Streamed streamed = ConvertInPieces(input, {6, 0, Encoding::Utf8, readSize, 1});
        EXPECT_EQ(streamed.bytes, "abcdefg\r\n    x\r\n") << readSize;
    }
}

TEST(ConvertStream, LongLineIsCutInsideWithItsColumnCarried) {
    // One line of 10,000 characters with tabs after one- and two-column characters, read 16 bytes
    // at a time with pieces of at least 4 units: the pieces end inside the line.
    std::u16string line;
    for (int i = 0; i < 1000; ++i) {
        line += (i % 3 == 0) ? u"\u6F22\t  x\u3000\tab" : u"a\tbc d\t  ";
    }
    for (int id : {5, 6, 9, 10, 11}) {
        const Streamed streamed =
            ConvertInPieces(Encoded(Encoding::Utf8, line), {id, 3, Encoding::Utf8, 16, 4});
        EXPECT_EQ(streamed.bytes, Encoded(Encoding::Utf8, Blankwise::ConvertSelection(id, line, 3))) << id;
    }
}

TEST(ConvertStream, ByteOrderMarkSelectsTheEncodingAndIsKept) {
    const struct {
        const char* name;
        Encoding given;
        std::string input;
        std::string output;
        Encoding read;
    } rows[] = {
        {"utf-8 mark", Encoding::Utf8, "\xEF\xBB\xBF\ta", "\xEF\xBB\xBF    a", Encoding::Utf8},
        {"utf-16le mark under utf-8", Encoding::Utf8, std::string("\xFF\xFE\t\0a\0", 6),
         std::string("\xFF\xFE \0 \0 \0 \0a\0", 12), Encoding::Utf16Le},
        {"utf-16be mark under utf-16le", Encoding::Utf16Le, std::string("\xFE\xFF\0\t", 4),
         std::string("\xFE\xFF\0 \0 \0 \0 ", 10), Encoding::Utf16Be},
        {"no mark", Encoding::Utf16Be, std::string("\0\t", 2), std::string("\0 \0 \0 \0 ", 8),
         Encoding::Utf16Be},
    };
    for (const auto& row : rows) {
        const Streamed streamed = ConvertInPieces(row.input, {6, 0, row.given});
        EXPECT_EQ(streamed.bytes, row.output) << row.name;
        EXPECT_EQ(streamed.outcome.encoding, row.read) << row.name;
        EXPECT_FALSE(streamed.outcome.invalid) << row.name;
    }
}

TEST(ConvertStream, InvalidBytesAreReportedAtTheirOffsetInTheInput) {
    const struct {
        const char* name;
        Encoding encoding;
        std::string input;
        std::uint64_t offset;
    } rows[] = {
        {"utf-8 after a mark, past the first buffer", Encoding::Utf8,
         "\xEF\xBB\xBF" + std::string(40, 'a') + "\xFF", 43},
        {"utf-8 sequence across buffers", Encoding::Utf8, std::string(15, 'a') + "\xE3\x80" + "a", 15},
        {"truncated at the end", Encoding::Utf8, std::string(30, ' ') + "\xE3\x80", 30},
        {"utf-16le odd length", Encoding::Utf16Le, std::string("a\0b", 3), 2},
        {"cp932 asked for, a utf-8 mark read", Encoding::Cp932,
         "\xEF\xBB\xBF"
         "a\x82\xA0",
         4},
        {"cp932 lead at the very end", Encoding::Cp932, std::string(20, 'x') + "\x88", 20},
    };
    for (const auto& row : rows) {
        const Streamed streamed = ConvertInPieces(row.input, {6, 0, row.encoding, 16, 4});
        EXPECT_TRUE(streamed.outcome.invalid) << row.name;
        EXPECT_EQ(streamed.outcome.errorOffset, row.offset) << row.name;
    }
}

}  // namespace
}  // namespace BlankwiseCli
