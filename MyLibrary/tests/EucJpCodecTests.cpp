#include "MyLibrary/Encoding/EucJp.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "MyLibrary/tests/CodecTestSupport.h"

namespace MyLibrary {
namespace {

using Testing::Hex;

struct ReferenceText {
    std::string_view bytes;
    std::u16string_view text;
};
// Random Japanese texts and what iconv's EUC-JP-MS and Python's euc_jp read from them.
constexpr ReferenceText kReferenceTexts[] = {
#include "MyLibrary/tests/EucJpReferenceTexts.inc"
};

DecodeResult Decode(std::string_view bytes, bool atEnd, std::u16string& out, bool& recoded) {
    return DecodeEucJp(bytes, atEnd, out, recoded);
}

TEST(EucJp, DecodesAsOtherDecodersReadAndEncodesBack) {
    std::mt19937 random(20);
    for (const ReferenceText& reference : kReferenceTexts) {
        std::u16string units;
        bool recoded = false;
        const DecodeResult whole = Decode(reference.bytes, true, units, recoded);
        EXPECT_EQ(whole.consumed, reference.bytes.size());
        EXPECT_FALSE(whole.invalid);
        EXPECT_FALSE(recoded);
        EXPECT_EQ(Hex(units), Hex(reference.text));
        EXPECT_EQ(ValidateEucJp(reference.bytes, true, recoded).consumed, reference.bytes.size());

        std::u16string pieces;
        const auto decode = [&](std::string_view bytes, bool atEnd, std::u16string& out) {
            return Decode(bytes, atEnd, out, recoded);
        };
        EXPECT_EQ(Testing::DecodeInPieces(reference.bytes, decode, random, 4, pieces).consumed,
                  reference.bytes.size());
        EXPECT_EQ(Hex(pieces), Hex(reference.text));
        std::string encoded;
        EncodeEucJp(units, encoded);
        EXPECT_EQ(encoded, reference.bytes);
    }
}

// Every code of one, two and three bytes decodes (eucJP-ms's 15236 codes but its 30 C1 controls,
// of which 24 decode to characters written with other codes) or is invalid, validates the same,
// and encodes back to its bytes but where Decode says it was recoded. Random strings of all of
// them, with line breaks, decode whole and in pieces alike and encode back to their bytes unless
// recoded.
TEST(EucJp, EveryCodeComesBackUnlessRecoded) {
    std::vector<std::string> valid;
    int recodedCodes = 0;
    std::string code;
    const auto check = [&] {
        std::u16string units;
        bool recoded = false;
        const DecodeResult result = Decode(code, true, units, recoded);
        bool validated = false;
        ASSERT_EQ(ValidateEucJp(code, true, validated).invalid, result.invalid) << Hex(units);
        if (result.invalid) {
            ASSERT_EQ(result.consumed, 0u);
            return;
        }
        ASSERT_EQ(result.consumed, code.size());
        ASSERT_EQ(units.size(), 1u);
        std::string encoded;
        EncodeEucJp(units, encoded);
        ASSERT_EQ(recoded, encoded != code) << Hex(units);
        ASSERT_EQ(validated, recoded);
        valid.push_back(code);
        recodedCodes += recoded ? 1 : 0;
    };
    for (unsigned first = 0; first <= 0xFF; ++first) {
        for (unsigned second = 0; second <= (first < 0x80 ? 0 : 0xFF); ++second) {
            for (unsigned third = 0; third <= (first == kEucJpPlane2Shift ? 0xFF : 0); ++third) {
                const char bytes[] = {static_cast<char>(first), static_cast<char>(second),
                                      static_cast<char>(third)};
                code.assign(bytes, first < 0x80 ? 1 : first == kEucJpPlane2Shift ? 3 : 2);
                check();
            }
        }
    }
    EXPECT_EQ(valid.size(), 15236u - 30u);
    EXPECT_EQ(recodedCodes, 24);

    std::mt19937 random(21);
    for (int round = 0; round < 200; ++round) {
        std::string bytes;
        for (std::size_t length = std::uniform_int_distribution<std::size_t>(0, 100)(random); length > 0;
             --length) {
            bytes += random() % 8 == 0 ? "\r\n" : valid[random() % valid.size()];
        }
        std::u16string whole;
        bool recoded = false;
        ASSERT_EQ(Decode(bytes, true, whole, recoded).consumed, bytes.size());
        std::u16string pieces;
        const auto decode = [](std::string_view piece, bool atEnd, std::u16string& out) {
            bool ignored = false;
            return Decode(piece, atEnd, out, ignored);
        };
        ASSERT_EQ(Testing::DecodeInPieces(bytes, decode, random, 5, pieces).consumed, bytes.size());
        ASSERT_EQ(Hex(pieces), Hex(whole));
        std::string encoded;
        EncodeEucJp(whole, encoded);
        ASSERT_EQ(recoded, encoded != bytes);
    }
}

TEST(EucJp, StopsAtTheFirstInvalidOrIncompleteCode) {
    const Testing::StopRow rows[] = {
        {"ascii and the full-width space", "a\xA1\xA1", true, u"a\u3000", 3, false, false},
        {"wave dash as code page 932 reads it", "\xA1\xC1", true, u"\uFF5E", 2, false, false},
        {"half-width katakana", "\x8E\xB1\x8E\xDF", true, u"\uFF71\uFF9F", 4, false, false},
        {"NEC row 13", "\xAD\xA1", true, u"\u2460", 2, false, false},
        {"JIS X 0212", "\x8F\xB0\xA1", true, u"\u4E02", 3, false, false},
        {"IBM extension in the second plane", "\x8F\xF3\xF3", true, u"\u2170", 3, false, false},
        {"user-defined rows 85 and 89 and the second plane's last", "\xF5\xA1\xF9\xA1\x8F\xFE\xFE", true,
         u"\uE000\uE178\uE757", 7, false, false},
        {"row 13 copy of a row 2 symbol", "\xAD\xF0", true, u"\u2252", 2, false, true},
        {"second-plane copy of the full-width tilde", "\x8F\xA2\xB7", true, u"\uFF5E", 3, false, true},
        {"C1 control", "a\x80", true, u"a", 1, true, false},
        {"byte A0 and FF", "\xA0\xA1\xFF", true, u"", 0, true, false},
        {"katakana shift before a byte above DF", "\x8E\xE0", true, u"", 0, true, false},
        {"second byte outside A1-FE", "a\xB0\x41", true, u"a", 1, true, false},
        {"row 9 holds nothing", "\xA9\xA1", true, u"", 0, true, false},
        {"second plane's row 1 holds nothing", "\x8F\xA1\xA1", true, u"", 0, true, false},
        {"second plane cut short waits", "a\x8F\xB0", false, u"a", 1, false, false},
        {"second plane cut short at the end of input", "a\x8F\xB0", true, u"a", 1, true, false},
        {"lead at the end waits", "\xB0", false, u"", 0, false, false},
        {"cut short by a byte that cannot follow", "a\x8F\x41", false, u"a", 1, true, false},
    };
    for (const Testing::StopRow& row : rows) {
        std::u16string units = u"kept";
        bool recoded = false;
        const DecodeResult result = Decode(row.bytes, row.atEnd, units, recoded);
        EXPECT_EQ(Hex(units), Hex(u"kept" + std::u16string(row.units))) << row.name;
        EXPECT_EQ(result.consumed, row.consumed) << row.name;
        EXPECT_EQ(result.invalid, row.invalid) << row.name;
        EXPECT_EQ(recoded, row.recoded) << row.name;
        // Inside a block of 64 bytes, after codes that end on it or run across its start, and
        // before ASCII where that cannot change where validation stops.
        const bool whole = row.invalid || row.consumed == row.bytes.size();
        const std::string after = whole ? std::string(64, 'a') : std::string();
        for (const std::string& before :
             {std::string(20, '\xB0'), "a" + std::string(20, '\xB0'), "a" + std::string(62, '\xB0')}) {
            bool validated = false;
            const DecodeResult checked =
                ValidateEucJp(before + std::string(row.bytes) + after, row.atEnd, validated);
            const std::size_t expected = before.size() + row.consumed + (row.invalid ? 0 : after.size());
            EXPECT_EQ(checked.consumed, expected) << row.name << " after " << before.size();
            EXPECT_EQ(checked.invalid, row.invalid) << row.name << " after " << before.size();
            EXPECT_EQ(validated, row.recoded) << row.name << " after " << before.size();
        }
    }
}

TEST(EucJp, EncodesEachCharacterAsEucJpMsWritesIt) {
    const struct {
        std::u16string_view units;
        std::string_view bytes;
    } rows[] = {
        {u"a\u3000\uFF71", "a\xA1\xA1\x8E\xB1"},
        {u"\u301C\uFF5E", "\xA1\xC1\xA1\xC1"},
        {u"\u2252\u7E8A\u4E02", "\xA2\xE2\x8F\xD4\xE3\x8F\xB0\xA1"},
        {u"\uE000\uE3AC", "\xF5\xA1\x8F\xF5\xA1"},
        {u"\u00E9\u20AC\U0001F600\u0080", "\x8F\xAB\xB1????"},
    };
    for (const auto& row : rows) {
        std::string bytes = "kept";
        EncodeEucJp(row.units, bytes);
        EXPECT_EQ(bytes, "kept" + std::string(row.bytes)) << Hex(row.units);
    }
}

}  // namespace
}  // namespace MyLibrary
