// Lenient decoding is the strict decoder with a replacement at each place it stops. These tests
// hold it against the readings it replaced: the plug-in's own UTF-8 decoder, which read one
// sequence at a time, and the host program's UTF-16 reading, which took every unit as it was.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "MyLibrary/Encoding/TextCodec.h"

namespace MyLibrary {
namespace {

TEST(Utf8ToUtf16Lenient, EachMalformedSequenceBecomesOneReplacementCharacter) {
    struct Row {
        std::string bytes;
        std::u16string units;
    };
    const std::vector<Row> rows = {
        {"", u""},
        {"a\tb", u"a\tb"},
        {"\xC3\xA9", u"\u00E9"},
        {"\xE4\xBE\x8B\xE5\xA4\x96", u"例外"},
        {"\xF0\x9F\x98\x80", u"\U0001F600"},
        {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
        {"\x80", u"\uFFFD"},      // stray continuation byte
        {"\xE4\xBE", u"\uFFFD"},  // cut short at the end
        {"\xE4\xBE"
         "a",
         u"\uFFFD"
         "a"},                            // cut short by an ASCII byte, which survives
        {"\xC0\xAF", u"\uFFFD\uFFFD"},    // C0 never starts a sequence
        {"\xE0\x80\xAF", u"\uFFFD"},      // overlong
        {"\xED\xA0\x80", u"\uFFFD"},      // encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD"},  // above U+10FFFF
        {"\xFF"
         "b",
         u"\uFFFD"
         "b"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Utf8ToUtf16Lenient(row.bytes), row.units) << testing::PrintToString(row.bytes);
    }
}

// The plug-in's former decoder, one sequence at a time: the continuation bytes that are there are
// taken, and the value they make is checked afterwards.
std::u16string OneSequenceAtATime(std::string_view bytes) {
    std::u16string units;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<std::uint8_t>(bytes[i]);
        if (lead < 0x80) {
            units += static_cast<char16_t>(lead);
            ++i;
            continue;
        }
        std::size_t length = 0;
        std::uint32_t value = 0;
        std::uint32_t minimum = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            value = lead & 0x1Fu;
            minimum = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            value = lead & 0x0Fu;
            minimum = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            value = lead & 0x07u;
            minimum = 0x10000;
        } else {
            units += u'\uFFFD';
            ++i;
            continue;
        }
        std::size_t consumed = 1;
        while (consumed < length && i + consumed < bytes.size() &&
               (static_cast<std::uint8_t>(bytes[i + consumed]) & 0xC0) == 0x80) {
            value = (value << 6) | (static_cast<std::uint8_t>(bytes[i + consumed]) & 0x3Fu);
            ++consumed;
        }
        i += consumed;
        if (consumed < length || value < minimum || value > 0x10FFFF ||
            (value >= 0xD800 && value <= 0xDFFF)) {
            units += u'\uFFFD';
        } else if (value >= 0x10000) {
            units += static_cast<char16_t>(0xD800 + ((value - 0x10000) >> 10));
            units += static_cast<char16_t>(0xDC00 + ((value - 0x10000) & 0x3FF));
        } else {
            units += static_cast<char16_t>(value);
        }
    }
    return units;
}

// Bytes that are mostly UTF-8, long enough for the block decoder, with every kind of fault.
std::string MostlyUtf8(std::mt19937& random, std::size_t length) {
    static const std::vector<std::string> kPieces = {"a",
                                                     " ",
                                                     "\t",
                                                     "\xC3\xA9",
                                                     "\xE3\x80\x80",
                                                     "\xE6\xBC\xA2",
                                                     "\xF0\x9F\x98\x80",
                                                     "\xF4\x8F\xBF\xBF",
                                                     "\x80",
                                                     "\xBF",
                                                     "\xC0\xAF",
                                                     "\xC1",
                                                     "\xE0\x80\xAF",
                                                     "\xED\xA0\x80",
                                                     "\xF4\x90\x80\x80",
                                                     "\xF5",
                                                     "\xFF",
                                                     "\xE3\x80",
                                                     "\xF0\x9F",
                                                     "\xE3",
                                                     "\xC3"};
    std::uniform_int_distribution<std::size_t> pick(0, kPieces.size() - 1);
    std::uniform_int_distribution<int> plain(0, 3);
    std::string bytes;
    while (bytes.size() < length) {
        bytes += plain(random) != 0 ? kPieces[pick(random) % 8] : kPieces[pick(random)];
    }
    return bytes;
}

TEST(Utf8ToUtf16Lenient, ReadsAsOneSequenceAtATimeDid) {
    std::mt19937 random(17);
    std::uniform_int_distribution<std::size_t> length(0, 300);
    for (int round = 0; round < 3000; ++round) {
        const std::string bytes = MostlyUtf8(random, length(random));
        ASSERT_EQ(Utf8ToUtf16Lenient(bytes), OneSequenceAtATime(bytes)) << testing::PrintToString(bytes);
    }
}

// Every unit as it is, paired or not, and U+FFFD for an odd last byte: on random bytes with many
// surrogates, in both byte orders.
TEST(Utf16ToUnitsLenient, KeepsEveryUnitAndReplacesAnOddLastByte) {
    std::mt19937 random(5);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<std::size_t> length(0, 41);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes(length(random), '\0');
        for (char& b : bytes) {
            // Surrogates often: the high byte D8-DF on either side.
            b = static_cast<char>(byte(random) < 64 ? 0xD8 + byte(random) % 8 : byte(random));
        }
        for (const bool bigEndian : {false, true}) {
            std::u16string expected;
            for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
                expected += Utf16UnitAt(bytes, i, bigEndian);
            }
            if (bytes.size() % 2 != 0) {
                expected += u'\uFFFD';
            }
            ASSERT_EQ(Utf16ToUnitsLenient(bytes, bigEndian), expected) << testing::PrintToString(bytes);
        }
    }
}

}  // namespace
}  // namespace MyLibrary
