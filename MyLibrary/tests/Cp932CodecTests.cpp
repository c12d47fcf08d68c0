#include <gtest/gtest.h>

#include <map>

#include "MyLibrary/Encoding/TextCodec.h"
#include "MyLibrary/tests/CodecTestSupport.h"

namespace MyLibrary {
namespace {

using Testing::Cp932Decoding;
using Testing::Cp932Mapping;
using Testing::Hex;
using Testing::kCp932Decodings;
using Testing::kCp932Mappings;

// Windows decodes these six codes, which the table lists for two units each, to the later unit;
// the file then comes back byte for byte.
TEST(Cp932, CodesWithTwoUnitsDecodeAsWindowsDoes) {
    const struct {
        std::string_view bytes;
        char16_t unit;
    } rows[] = {
        {"\x81\x60", u'\uFF5E'}, {"\x81\x61", u'\u2225'}, {"\x81\x7C", u'\uFF0D'},
        {"\x81\x91", u'\uFFE0'}, {"\x81\x92", u'\uFFE1'}, {"\x81\xCA", u'\uFFE2'},
    };
    for (const auto& row : rows) {
        std::u16string units;
        Decode(Encoding::Cp932, row.bytes, true, units);
        EXPECT_EQ(Hex(units), Hex(std::u16string(1, row.unit)));
        std::string bytes;
        Encode(Encoding::Cp932, units, bytes);
        EXPECT_EQ(bytes, row.bytes);
    }
}

// A character Windows decodes from two codes is encoded to the one Windows writes, and Decode
// says so; the code it writes decodes to the same character without a word.
TEST(Cp932, CharactersWithTwoCodesEncodeToTheCodeWindowsWrites) {
    const struct {
        const char* name;
        std::string_view bytes;
        char16_t unit;
        std::string_view written;
    } rows[] = {
        {"NEC-selected IBM extension", "\xED\x40", u'\u7E8A', "\xFA\x5C"},
        {"last NEC-selected IBM extension", "\xEE\xFC", u'\uFF02', "\xFA\x57"},
        {"row 13 copy of a JIS symbol", "\x87\x90", u'\u2252', "\x81\xE0"},
        {"IBM extension copy of a row 13 numeral", "\xFA\x4A", u'\u2160', "\x87\x54"},
        {"IBM extension copy of a JIS symbol", "\xFA\x54", u'\uFFE2', "\x81\xCA"},
    };
    for (const auto& row : rows) {
        std::u16string units;
        bool recoded = false;
        const DecodeResult result = Decode(Encoding::Cp932, row.bytes, true, units, recoded);
        EXPECT_FALSE(result.invalid) << row.name;
        EXPECT_EQ(Hex(units), Hex(std::u16string(1, row.unit))) << row.name;
        EXPECT_TRUE(recoded) << row.name;
        std::string bytes;
        Encode(Encoding::Cp932, units, bytes);
        EXPECT_EQ(bytes, row.written) << row.name;

        std::u16string again;
        bool recodedAgain = false;
        Decode(Encoding::Cp932, row.written, true, again, recodedAgain);
        EXPECT_EQ(Hex(again), Hex(std::u16string(1, row.unit))) << row.name;
        EXPECT_FALSE(recodedAgain) << row.name;
    }
}

// Every code Windows decodes decodes to Windows' unit and encodes back to the same bytes unless
// Decode says it was recoded, and then to the code the encoding table gives; no other pair
// decodes.
TEST(Cp932, AcceptsExactlyTheCodesOfTheTable) {
    std::map<std::uint16_t, char16_t> defined;
    for (const Cp932Decoding& decoding : kCp932Decodings) {
        defined[decoding.bytes] = static_cast<char16_t>(decoding.unit);
    }
    std::map<char16_t, std::uint16_t> written;
    for (const Cp932Mapping& mapping : kCp932Mappings) {
        written[static_cast<char16_t>(mapping.unit)] = mapping.bytes;
    }
    int recodedCount = 0;
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        if (lead >= 0xA0 && lead <= 0xDF) {
            continue;
        }
        for (unsigned trail = 0; trail <= 0xFF; ++trail) {
            const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
            std::u16string units;
            bool recoded = false;
            const DecodeResult result = Decode(Encoding::Cp932, bytes, true, units, recoded);
            const auto found = defined.find(static_cast<std::uint16_t>(lead << 8 | trail));
            ASSERT_EQ(result.invalid, found == defined.end()) << std::hex << lead << " " << trail;
            ASSERT_EQ(Validate(Encoding::Cp932, bytes, true).invalid, result.invalid);
            if (found != defined.end()) {
                ASSERT_EQ(Hex(units), Hex(std::u16string(1, found->second)))
                    << std::hex << lead << " " << trail;
                std::string encoded;
                Encode(Encoding::Cp932, units, encoded);
                const std::uint16_t code = written.at(units[0]);
                ASSERT_EQ(encoded,
                          (std::string{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)}));
                ASSERT_EQ(recoded, encoded != bytes) << std::hex << lead << " " << trail;
                recodedCount += recoded ? 1 : 0;
            }
        }
    }
    EXPECT_EQ(recodedCount, 398);
}

}  // namespace
}  // namespace MyLibrary
