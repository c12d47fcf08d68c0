#include "MyLibrary/Encoding/TextCodec.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

#include "MyLibrary/tests/CodecTestSupport.h"
#include "MyLibrary/tests/RandomTexts.h"

namespace MyLibrary {
namespace {

using Testing::Cp932Decoding;
using Testing::Hex;
using Testing::kCp932Decodings;

struct DecodeRow {
    const char* name;
    Encoding encoding;
    std::string_view bytes;
    bool atEnd;
    std::u16string_view units;  // decoded before the stop
    std::size_t consumed;
    bool invalid;
};

TEST(Decode, StopsAtTheFirstInvalidOrIncompleteSequence) {
    using enum Encoding;
    const DecodeRow rows[] = {
        {"utf-8 ascii", Utf8, "a\tb", true, u"a\tb", 3, false},
        {"utf-8 two, three and four bytes", Utf8, "\xC3\xA9\xE3\x80\x80\xF0\x9F\x98\x80", true,
         u"\u00E9\u3000\U0001F600", 9, false},
        {"utf-8 overlong two bytes", Utf8, "a\xC0\x80", true, u"a", 1, true},
        {"utf-8 overlong three bytes", Utf8, "a\xE0\x80\x80", true, u"a", 1, true},
        {"utf-8 encoded surrogate", Utf8, "ab\xED\xA0\x80", true, u"ab", 2, true},
        {"utf-8 above U+10FFFF", Utf8, "\xF4\x90\x80\x80", true, u"", 0, true},
        {"utf-8 stray continuation", Utf8, "ab\x80", true, u"ab", 2, true},
        {"utf-8 lead without continuation", Utf8, "\xE3\x80x", true, u"", 0, true},
        {"utf-8 byte FF", Utf8, "x\xFF", true, u"x", 1, true},
        {"utf-8 truncated at the end waits", Utf8, "a\xE3\x80", false, u"a", 1, false},
        {"utf-8 truncated at the end of input", Utf8, "a\xE3\x80", true, u"a", 1, true},
        {"utf-16le pair", Utf16Le, std::string_view("a\0\x3D\xD8\x00\xDE", 6), true, u"a\U0001F600", 6,
         false},
        {"utf-16be", Utf16Be, std::string_view("\x30\x00\0\t", 4), true, u"\u3000\t", 4, false},
        {"utf-16le lone low surrogate", Utf16Le, std::string_view("a\0\x00\xDE", 4), true, u"a", 2, true},
        {"utf-16le high surrogate before a non-surrogate", Utf16Le,
         std::string_view("\x3D\xD8"
                          "a\0",
                          4),
         true, u"", 0, true},
        {"utf-16le high surrogate at the end waits", Utf16Le, std::string_view("a\0\x3D\xD8", 4), false, u"a",
         2, false},
        {"utf-16le high surrogate at the end of input", Utf16Le, std::string_view("a\0\x3D\xD8", 4), true,
         u"a", 2, true},
        {"utf-16le odd byte waits", Utf16Le, std::string_view("a\0b", 3), false, u"a", 2, false},
        {"utf-16le odd byte at the end of input", Utf16Le, std::string_view("a\0b", 3), true, u"a", 2, true},
        {"cp932 ascii and half-width katakana", Cp932, "a\xB1 ", true, u"a\uFF71 ", 3, false},
        {"cp932 one-byte codes 80 A0 FD", Cp932, "\x80\xA0\xFD", true, u"\u0080\uF8F0\uF8F1", 3, false},
        {"cp932 trail in a lead range, then ascii", Cp932, "\x88\x9F\x61", true, u"\u4E9Ca", 3, false},
        {"cp932 backslash trail", Cp932, "\x95\x5C\x5C", true, u"\u8868\\", 3, false},
        {"cp932 full-width space", Cp932, "\x81\x40", true, u"\u3000", 2, false},
        {"cp932 undefined pair", Cp932, "a\x85\x40", true, u"a", 1, true},
        {"cp932 NEC-selected copy decodes as Windows decodes it", Cp932, "\xED\x40", true, u"\u7E8A", 2,
         false},
        {"cp932 gap among the NEC-selected copies", Cp932, "a\xEE\xED", true, u"a", 1, true},
        {"cp932 gap in row 13", Cp932, "\x87\x9D", true, u"", 0, true},
        {"cp932 lead without codes", Cp932, "\xEB\x40", true, u"", 0, true},
        {"cp932 lead before a control byte", Cp932, "\x88\x0A", true, u"", 0, true},
        {"cp932 lead at the end waits", Cp932, "a\x88", false, u"a", 1, false},
        {"cp932 lead at the end of input", Cp932, "a\x88", true, u"a", 1, true},
    };
    for (const DecodeRow& row : rows) {
        std::u16string units = u"kept";
        const DecodeResult result = Decode(row.encoding, row.bytes, row.atEnd, units);
        EXPECT_EQ(Hex(units), Hex(u"kept" + std::u16string(row.units))) << row.name;
        EXPECT_EQ(result.consumed, row.consumed) << row.name;
        EXPECT_EQ(result.invalid, row.invalid) << row.name;
    }
}

// The block decoders against one character at a time, written out plainly, on long texts with
// and without corruption: the same units and the same stop.
std::u16string NaiveDecodeCp932(std::string_view bytes, std::size_t& stop) {
    std::map<std::uint16_t, char16_t> units;
    for (const Cp932Decoding& decoding : kCp932Decodings) {
        units[decoding.bytes] = static_cast<char16_t>(decoding.unit);
    }
    std::u16string out;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto first = static_cast<std::uint8_t>(bytes[i]);
        if (first < 0x80) {
            out += static_cast<char16_t>(first);
            ++i;
            continue;
        }
        const bool lead = (first >= 0x81 && first <= 0x9F) || (first >= 0xE0 && first <= 0xFC);
        const std::uint16_t code =
            lead && i + 1 < bytes.size()
                ? static_cast<std::uint16_t>(first << 8 | static_cast<std::uint8_t>(bytes[i + 1]))
                : first;
        if ((lead && i + 1 == bytes.size()) || units.count(code) == 0) {
            break;
        }
        out += units[code];
        i += lead ? 2 : 1;
    }
    stop = i;
    return out;
}

std::u16string NaiveDecodeUtf8(std::string_view bytes, std::size_t& stop) {
    std::u16string out;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto first = static_cast<std::uint8_t>(bytes[i]);
        const std::size_t length = first < 0x80   ? 1
                                   : first < 0xC0 ? 0
                                   : first < 0xE0 ? 2
                                   : first < 0xF0 ? 3
                                   : first < 0xF8 ? 4
                                                  : 0;
        if (length == 0 || i + length > bytes.size()) {
            break;
        }
        std::uint32_t value = length == 1 ? first : first & (0x7Fu >> length);
        bool valid = true;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<std::uint8_t>(bytes[i + k]);
            valid = valid && (next & 0xC0) == 0x80;
            value = value << 6 | (next & 0x3Fu);
        }
        const std::uint32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
        if (!valid || value < minimum[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
            break;
        }
        if (value >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((value - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((value - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(value);
        }
        i += length;
    }
    stop = i;
    return out;
}

TEST(Decode, BlockDecodersMatchOneCharacterAtATime) {
    Testing::RandomTexts texts(7);
    for (int round = 0; round < 400; ++round) {
        for (Encoding encoding : {Encoding::Utf8, Encoding::Cp932}) {
            // Long stretches of two-byte characters make long lead-range runs in code page 932.
            const std::u16string text = texts.Text(texts.Between(0, 300), encoding == Encoding::Utf8);
            std::string bytes;
            Encode(encoding, text, bytes);
            if (encoding == Encoding::Cp932 && texts.Between(0, 1) == 1) {
                // A code Windows reads but does not write: the NEC-selected copy of an IBM kanji.
                bytes.insert(texts.Between(0, bytes.size()), "\xED\x40");
            }
            for (int corruption = 0; corruption < 3 && !bytes.empty(); ++corruption) {
                if (texts.Between(0, 1) == 1) {
                    bytes[texts.Between(0, bytes.size() - 1)] = static_cast<char>(texts.Between(0x80, 0xFF));
                }
            }
            std::size_t expectedStop = 0;
            const std::u16string expected = encoding == Encoding::Utf8
                                                ? NaiveDecodeUtf8(bytes, expectedStop)
                                                : NaiveDecodeCp932(bytes, expectedStop);
            std::u16string units;
            bool recoded = false;
            const DecodeResult result = Decode(encoding, bytes, true, units, recoded);
            ASSERT_EQ(result.consumed, expectedStop) << EncodingName(encoding) << " round " << round;
            ASSERT_EQ(result.invalid, expectedStop != bytes.size());
            ASSERT_EQ(Hex(units), Hex(expected));
            std::string encodedAgain;
            Encode(encoding, units, encodedAgain);
            ASSERT_EQ(recoded, encodedAgain != bytes.substr(0, result.consumed)) << " round " << round;
        }
    }
}

// Validate stops where Decode stops, for the same reason, with and without more bytes to come:
// on texts with the characters the decoders treat apart, corrupted or cut anywhere.
TEST(Validate, StopsWhereDecodeStops) {
    Testing::RandomTexts texts(13);
    for (int round = 0; round < 3000; ++round) {
        const auto encoding = static_cast<Encoding>(texts.Between(0, 3));
        std::u16string text =
            texts.Text(texts.Between(0, round % 10 == 0 ? 400 : 60), encoding != Encoding::Cp932);
        if (encoding == Encoding::Cp932 && texts.Between(0, 1) == 1) {
            text += u"\u7E8A\u2252";
        }
        std::string bytes;
        Encode(encoding, text, bytes);
        if (encoding == Encoding::Cp932 && !bytes.empty() && texts.Between(0, 3) == 0) {
            bytes.insert(texts.Between(0, bytes.size()), "\xED\x40");
        }
        for (int corruption = 0; corruption < 2 && !bytes.empty(); ++corruption) {
            if (texts.Between(0, 2) == 0) {
                bytes[texts.Between(0, bytes.size() - 1)] = static_cast<char>(texts.Between(0, 0xFF));
            }
        }
        bytes.resize(texts.Between(0, bytes.size()));
        for (const bool atEnd : {true, false}) {
            std::u16string units;
            const DecodeResult decoded = Decode(encoding, bytes, atEnd, units);
            const DecodeResult checked = Validate(encoding, bytes, atEnd);
            ASSERT_EQ(checked.consumed, decoded.consumed) << EncodingName(encoding) << " round " << round;
            ASSERT_EQ(checked.invalid, decoded.invalid) << EncodingName(encoding) << " round " << round;
        }
    }
}

// The same for UTF-8 texts long enough to be checked many bytes at a time: runs of characters at
// the edges of each length, with sequences that are invalid only for their values and stray lead
// and continuation bytes between and in them, each text read from each of its first 64 bytes on.
TEST(Validate, StopsWhereDecodeStopsInLongUtf8) {
    static constexpr std::string_view kCharacters[] = {"a",
                                                       "\t",
                                                       "\n",
                                                       "\xC2\x80",
                                                       "\xDF\xBF",
                                                       "\xE0\xA0\x80",
                                                       "\xE3\x80\x80",
                                                       "\xED\x9F\xBF",
                                                       "\xEE\x80\x80",
                                                       "\xEF\xBF\xBF",
                                                       "\xF0\x90\x80\x80",
                                                       "\xF4\x8F\xBF\xBF"};
    static constexpr std::string_view kFaults[] = {"\xC0\x80",
                                                   "\xC1\xBF",
                                                   "\xE0\x9F\xBF",
                                                   "\xED\xA0\x80",
                                                   "\xF0\x8F\xBF\xBF",
                                                   "\xF4\x90\x80\x80",
                                                   "\xF5\x80\x80\x80",
                                                   "\xFF",
                                                   "\x80",
                                                   "\xBF",
                                                   "\xC2",
                                                   "\xE3\x80"};
    Testing::RandomTexts random(29);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes;
        const std::size_t length = random.Between(0, 600);
        while (bytes.size() < length) {
            const std::string_view character = kCharacters[random.Between(0, std::size(kCharacters) - 1)];
            for (std::size_t run = random.Between(1, 200); run > 0; --run) {
                bytes += character;
            }
            if (random.Between(0, 1) == 0) {
                bytes += kFaults[random.Between(0, std::size(kFaults) - 1)];
            }
        }
        if (random.Between(0, 3) == 0) {
            bytes.insert(random.Between(0, bytes.size()), kFaults[random.Between(0, std::size(kFaults) - 1)]);
        }
        for (std::size_t skip = 0; skip < 64 && skip <= bytes.size(); ++skip) {
            const std::string_view text = std::string_view(bytes).substr(skip);
            for (const bool atEnd : {true, false}) {
                std::u16string units;
                const DecodeResult decoded = Decode(Encoding::Utf8, text, atEnd, units);
                const DecodeResult checked = Validate(Encoding::Utf8, text, atEnd);
                ASSERT_EQ(checked.consumed, decoded.consumed) << "round " << round << " skip " << skip;
                ASSERT_EQ(checked.invalid, decoded.invalid) << "round " << round << " skip " << skip;
            }
        }
    }
}

TEST(Encode, WritesEachEncodingsBytes) {
    using enum Encoding;
    const struct {
        Encoding encoding;
        std::u16string_view units;
        std::string_view bytes;
    } rows[] = {
        {Utf8, u"a\u00E9\u3000\U0001F600", "a\xC3\xA9\xE3\x80\x80\xF0\x9F\x98\x80"},
        {Utf8, u"\xD800x", "\xEF\xBF\xBDx"},
        {Utf16Le, u"a\u3000", std::string_view("a\0\x00\x30", 4)},
        {Utf16Be, u"a\u3000", std::string_view("\0a\x30\x00", 4)},
        {Cp932, u"a\u3000\u6F22\uFF71", "a\x81\x40\x8A\xBF\xB1"},
        {Cp932, u"\u00E9\U0001F600", "???"},
    };
    for (const auto& row : rows) {
        std::string bytes = "kept";
        Encode(row.encoding, row.units, bytes);
        EXPECT_EQ(bytes, "kept" + std::string(row.bytes)) << EncodingName(row.encoding);
    }
}

TEST(Encodings, NamesAndByteOrderMarks) {
    EXPECT_EQ(EncodingFromName("UTF-16LE"), Encoding::Utf16Le);
    EXPECT_EQ(EncodingFromName("cp932"), Encoding::Cp932);
    EXPECT_EQ(EncodingFromName("utf8"), std::nullopt);
    EXPECT_EQ(EncodingFromName(""), std::nullopt);
    EXPECT_EQ(EncodingOfByteOrderMark("\xEF\xBB\xBFx"), Encoding::Utf8);
    EXPECT_EQ(EncodingOfByteOrderMark("\xFF\xFE"), Encoding::Utf16Le);
    EXPECT_EQ(EncodingOfByteOrderMark("\xFE\xFF"), Encoding::Utf16Be);
    EXPECT_EQ(EncodingOfByteOrderMark("\xEF\xBB"), std::nullopt);
}

}  // namespace
}  // namespace MyLibrary
