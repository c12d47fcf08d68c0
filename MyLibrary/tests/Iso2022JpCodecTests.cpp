#include "MyLibrary/Encoding/Iso2022Jp.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "MyLibrary/tests/CodecTestSupport.h"

namespace MyLibrary {
namespace {

using Testing::DecodeAndRewriteLines;
using Testing::Hex;
using Testing::Iso2022JpLines;

struct ReferenceText {
    std::string_view bytes;
    std::u16string_view text;
};
// Random Japanese texts as the encoder writes them, their lines ending in every set, and what
// Python's iso2022_jp_ext (iconv's EUC-JP-MS for row 13) reads from them.
constexpr ReferenceText kReferenceTexts[] = {
#include "MyLibrary/tests/Iso2022JpReferenceTexts.inc"
};

// Decoded whole, in pieces that carry the state and line by line, a text gives the same units and
// ends in the state its escape sequences leave; each line written back from the states it starts
// and ends in gives back its bytes exactly where the decoder did not say recoded, and what the
// lines give decodes to the same units. Counts the lines that come back.
void CheckDecodingAndRewriting(std::string_view bytes, std::mt19937& random, bool& recoded, int& linesBack) {
    Iso2022JpState state;
    std::u16string whole;
    const DecodeResult result = DecodeIso2022Jp(bytes, true, state, whole, recoded);
    ASSERT_EQ(result.consumed, bytes.size()) << Hex(whole);
    ASSERT_FALSE(result.invalid);
    ASSERT_EQ(Iso2022JpStateAfter(bytes, {}), state);
    Iso2022JpState validated;
    bool validatedRecoded = false;
    ASSERT_EQ(ValidateIso2022Jp(bytes, true, validated, validatedRecoded).consumed, bytes.size());
    ASSERT_EQ(validated, state);
    ASSERT_EQ(validatedRecoded, recoded);

    Iso2022JpState piecesState;
    const auto decode = [&](std::string_view piece, bool atEnd, std::u16string& out) {
        bool ignored = false;
        return DecodeIso2022Jp(piece, atEnd, piecesState, out, ignored);
    };
    std::u16string pieces;
    ASSERT_EQ(Testing::DecodeInPieces(bytes, decode, random, 4, pieces).consumed, bytes.size());
    ASSERT_EQ(Hex(pieces), Hex(whole));
    ASSERT_EQ(piecesState, state);

    const Iso2022JpLines lines = DecodeAndRewriteLines(bytes);
    ASSERT_EQ(Hex(lines.units), Hex(whole));
    ASSERT_EQ(lines.end, state);
    for (const Testing::Iso2022JpLine& line : lines.lines) {
        ASSERT_EQ(line.recoded, line.rewritten != line.bytes)
            << Hex(std::u16string(line.bytes.begin(), line.bytes.end()));
        ASSERT_TRUE(recoded || !line.recoded);
        linesBack += line.recoded ? 0 : 1;
    }
    ASSERT_EQ(Hex(DecodeAndRewriteLines(lines.Rewritten()).units), Hex(whole));
}

TEST(Iso2022Jp, DecodesAsOtherDecodersReadAndEncodesBack) {
    std::mt19937 random(22);
    for (const ReferenceText& reference : kReferenceTexts) {
        std::u16string units;
        Iso2022JpState state;
        bool recoded = false;
        DecodeIso2022Jp(reference.bytes, true, state, units, recoded);
        EXPECT_EQ(Hex(units), Hex(reference.text));
        int linesBack = 0;
        CheckDecodingAndRewriting(reference.bytes, random, recoded, linesBack);
        EXPECT_FALSE(recoded);
    }
}

// Streams of escape sequences, line breaks, controls, spaces and characters valid in the set in
// use, with escapes where the encoder writes them and where it does not.
TEST(Iso2022Jp, RandomStreamsComeBackLineByLineUnlessRecoded) {
    std::vector<std::string> rowCells;
    for (char row = 0x21; row <= 0x7E; ++row) {
        for (char cell = 0x21; cell <= 0x7E; ++cell) {
            Iso2022JpState state{Iso2022JpSet::Jis1983};
            std::u16string units;
            bool recoded = false;
            const std::string pair{row, cell};
            if (!DecodeIso2022Jp(pair, true, state, units, recoded).invalid) {
                rowCells.push_back(pair);
            }
        }
    }
    static constexpr Iso2022JpSet kSets[] = {Iso2022JpSet::Ascii, Iso2022JpSet::JisRoman,
                                             Iso2022JpSet::Katakana, Iso2022JpSet::Jis1978,
                                             Iso2022JpSet::Jis1983};
    static constexpr std::string_view kBlanks[] = {"\r", "\n", "\r\n", "\t", " ", "\x7F"};
    std::mt19937 random(23);
    int linesBack = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string bytes;
        Iso2022JpSet set = Iso2022JpSet::Ascii;
        for (std::size_t length = random() % 60; length > 0; --length) {
            const auto pick = random() % 20;
            if (pick < 3) {
                set = kSets[random() % std::size(kSets)];
                bytes += Iso2022JpEscape(set);
            } else if (pick < 6) {
                bytes += kBlanks[random() % std::size(kBlanks)];
            } else if (set == Iso2022JpSet::Jis1978 || set == Iso2022JpSet::Jis1983) {
                bytes += rowCells[random() % rowCells.size()];
            } else {
                bytes += static_cast<char>(0x21 + random() % (set == Iso2022JpSet::Katakana ? 63 : 94));
            }
        }
        bool recoded = false;
        CheckDecodingAndRewriting(bytes, random, recoded, linesBack);
        if (HasFatalFailure()) {
            FAIL() << "round " << round << ": " << Hex(std::u16string(bytes.begin(), bytes.end()));
        }
    }
    EXPECT_GT(linesBack, 3000);
}

TEST(Iso2022Jp, StopsAtTheFirstInvalidOrIncompleteSequence) {
    const Testing::StopRow rows[] = {
        {"kanji between ascii", "a\x1B$B\x30\x21\x1B(Bb", true, u"a\u4E9Cb", 10, false, false},
        {"full-width space and wave dash", "\x1B$B\x21\x21\x21\x41", true, u"\u3000\uFF5E", 7, false, false},
        {"katakana", "\x1B(I\x31\x5F", true, u"\uFF71\uFF9F", 5, false, false},
        {"JIS X 0201 Roman read as ascii", "\x1B(J\n\\~", true, u"\n\\~", 6, false, false},
        {"JIS C 6226-1978", "\x1B$@\n\x30\x21", true, u"\n\u4E9C", 6, false, false},
        {"JIS C 6226-1978 where JIS X 0208 was designated last", "\x1B$@\x30\x21", true, u"\u4E9C", 5, false,
         true},
        {"NEC row 13 and its selection of IBM's extensions", "\x1B$B\x2D\x21\x79\x21", true, u"\u2460\u7E8A",
         7, false, false},
        {"line breaks in the kanji set", "\x1B$B\x30\x21\r\n\x30\x21", true, u"\u4E9C\r\n\u4E9C", 9, false,
         false},
        {"tab in the kanji set", "\x1B$B\x30\x21\t\x30\x21", true, u"\u4E9C\t\u4E9C", 8, false, true},
        {"space in the katakana set", "\x1B(I\x31 ", true, u"\uFF71 ", 5, false, true},
        {"row 13 copy of a row 2 symbol", "\x1B$B\x2D\x70", true, u"\u2252", 5, false, true},
        {"escape to the set in use", "\x1B(Ba", true, u"a", 4, false, true},
        {"two escapes in a row", "\x1B$B\x1B(Ba", true, u"a", 7, false, true},
        {"ascii to Roman inside a line", "a\x1B(Jb", true, u"ab", 5, false, true},
        {"ascii to Roman before a break", "a\x1B(J\n", true, u"a\n", 5, false, false},
        {"escape between CR and LF", "\x1B$B\x30\x21\r\x1B(B\n", true, u"\u4E9C\r\n", 10, false, true},
        {"byte above 7F", "a\x80", true, u"a", 1, true, false},
        {"shift out", "a\x0E", true, u"a", 1, true, false},
        {"JIS X 0212's escape", "a\x1B$(D", true, u"a", 1, true, false},
        {"escape cut short waits", "a\x1B$", false, u"a", 1, false, false},
        {"escape cut short at the end of input", "a\x1B$", true, u"a", 1, true, false},
        {"escape at the end waits for the character after it", "a\x1B(J", false, u"a", 1, false, false},
        {"escape at the end of input", "a\x1B(J", true, u"a", 4, false, false},
        {"an escape waits with the escape after it", "a\x1B$B\x1B(B", false, u"a", 4, false, false},
        {"an escape waits with a row-cell cut short", "a\x1B$B\x30", false, u"a", 1, false, false},
        {"row-cell cut short at the end of input", "a\x1B$B\x30", true, u"a", 4, true, false},
        {"katakana set and a byte above 5F", "\x1B(I\x60", true, u"", 3, true, false},
        {"row 9 holds nothing", "\x1B$B\x29\x21", true, u"", 3, true, false},
        {"line feed inside a row-cell", "\x1B$B\x30\n", true, u"", 3, true, false},
    };
    for (const Testing::StopRow& row : rows) {
        std::u16string units = u"kept";
        Iso2022JpState state;
        bool recoded = false;
        const DecodeResult result = DecodeIso2022Jp(row.bytes, row.atEnd, state, units, recoded);
        EXPECT_EQ(Hex(units), Hex(u"kept" + std::u16string(row.units))) << row.name;
        EXPECT_EQ(result.consumed, row.consumed) << row.name;
        EXPECT_EQ(result.invalid, row.invalid) << row.name;
        EXPECT_EQ(recoded, row.recoded) << row.name;
        EXPECT_EQ(state, Iso2022JpStateAfter(row.bytes.substr(0, row.consumed), {})) << row.name;
    }
}

TEST(Iso2022Jp, EncodesWithTheFewestEscapes) {
    using enum Iso2022JpSet;
    const Iso2022JpState ascii;
    const Iso2022JpState kanji{Jis1983};
    const Iso2022JpState oldSets{JisRoman, JisRoman, Jis1978};
    const struct {
        const char* name;
        std::u16string_view units;
        Iso2022JpState start;
        Iso2022JpState end;
        std::string_view bytes;
    } rows[] = {
        {"kanji between ascii", u"a\u4E9Cb", ascii, ascii, "a\x1B$B\x30\x21\x1B(Bb"},
        {"full-width space and katakana", u"\u3000\uFF71a", ascii, ascii, "\x1B$B\x21\x21\x1B(I\x31\x1B(Ba"},
        {"the end's set before the break", u"\u4E9C\r\n", ascii, ascii, "\x1B$B\x30\x21\x1B(B\r\n"},
        {"a line that ends in the kanji set", u"\u4E9C\n", ascii, kanji, "\x1B$B\x30\x21\n"},
        {"a line that starts in it", u"\u4E9C \u4E9C", kanji, kanji, "\x30\x21\x1B(B \x1B$B\x30\x21"},
        {"the sets designated last", u"a\u4E9Cb", oldSets, oldSets, "a\x1B$@\x30\x21\x1B(Jb"},
        {"breaks inside the units in a one-byte set", u"\u4E9C\n\u4E9C", ascii, kanji,
         "\x1B$B\x30\x21\x1B(B\n\x1B$B\x30\x21"},
        {"nothing but a change of set", u"", ascii, oldSets, "\x1B(J"},
        {"wave dash and an IBM extension", u"\u301C\u7E8A", ascii, kanji, "\x1B$B\x21\x41\x79\x21"},
        {"no code", u"\u00E9\x1B\U0001F600", ascii, ascii, "????"},
    };
    for (const auto& row : rows) {
        std::string bytes = "kept";
        EncodeIso2022Jp(row.units, row.start, row.end, bytes);
        EXPECT_EQ(bytes, "kept" + std::string(row.bytes)) << row.name;
    }
}

}  // namespace
}  // namespace MyLibrary
