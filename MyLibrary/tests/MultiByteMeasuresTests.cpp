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

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (int value : values)
        bytes += static_cast<char>(value);
    return bytes;
}

TEST(StringUnitBytes, LeadByteRanges) {
    for (int byte = 0; byte <= 0xFF; ++byte) {
        const bool expected = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
        EXPECT_EQ(IsLeadByte(static_cast<std::uint8_t>(byte)), expected) << std::hex << byte;
    }
}

TEST(StringUnitBytes, ByteTypeAtKnownSequences) {
    using T = TByteType;
    struct Row {
        std::string bytes;
        std::vector<TByteType> expected;
    };
    const Row rows[] = {
        {Bytes({0x88, 0x9F, 0x61}), {T::Lead, T::Trail, T::Single}},  // a trail byte in a lead range
        {Bytes({0x88, 0x9F, 0x88, 0x9F}), {T::Lead, T::Trail, T::Lead, T::Trail}},
        {Bytes({0x61, 0x82, 0xA0, 0x62}), {T::Single, T::Lead, T::Trail, T::Single}},
        {Bytes({0x95, 0x5C, 0x5C}), {T::Lead, T::Trail, T::Single}},
        {Bytes({0x81, 0x40, 0x40}), {T::Lead, T::Trail, T::Single}},
        {Bytes({0xB1, 0xE0, 0xFC, 0xFC}), {T::Single, T::Lead, T::Trail, T::Lead}},  // ends in a bare lead
        {Bytes({0x80, 0xA0, 0xDF, 0xFD, 0xFF}), {T::Single, T::Single, T::Single, T::Single, T::Single}},
        {Bytes({0x9F}), {T::Lead}},
    };
    for (const Row& row : rows) {
        for (std::size_t i = 0; i < row.expected.size(); ++i) {
            EXPECT_EQ(ByteTypeAt(row.bytes, static_cast<std::int32_t>(i + 1)), row.expected[i])
                << "row of " << row.bytes.size() << " bytes, position " << i + 1;
        }
    }
    for (std::int32_t outside : {kMinPosition, -1, 0, 4, kMaxPosition}) {
        EXPECT_EQ(ByteTypeAt(Bytes({0x88, 0x9F, 0x61}), outside), T::Single) << outside;
    }
    EXPECT_EQ(ByteTypeAt("", 1), T::Single);
}

// Characters of known width in code page 932, so that the class of every byte of a random text's
// multi-byte form is known from the characters it was made of.
const std::u16string kOneByteCharacters = u"a Z@\\~\t\r\nｱｰﾟ";
const std::u16string kTwoByteCharacters = u"\u3000あア表ソ能予申亜腕ー＠ｂ";

TEST(StringUnitBytes, ByteTypeAtAgreesWithTheCharactersOfRandomTexts) {
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        std::u16string text;
        std::vector<TByteType> expected;
        const int length = static_cast<int>(random() % 40);
        for (int i = 0; i < length; ++i) {
            if (random() % 2 == 0) {
                text += kOneByteCharacters[random() % kOneByteCharacters.size()];
                expected.push_back(TByteType::Single);
            } else {
                text += kTwoByteCharacters[random() % kTwoByteCharacters.size()];
                expected.push_back(TByteType::Lead);
                expected.push_back(TByteType::Trail);
            }
        }
        const std::string bytes = ToMultiByte(text);
        ASSERT_EQ(bytes.size(), expected.size());
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            ASSERT_EQ(ByteTypeAt(bytes, static_cast<std::int32_t>(i + 1)), expected[i]) << "byte " << i + 1;
        }
    }
}

TEST(StringUnitDisplayColumns, CountsBytesOfTheFirstCharacters) {
    const std::string aAb = Bytes({0x61, 0x82, 0xA0, 0x62});  // «aあb»
    const std::int32_t expected[] = {0, 1, 3, 4, 4, 4, 4, 4, 4, 4, 4};
    for (std::int32_t k = 0; k <= 10; ++k) {
        EXPECT_EQ(DisplayColumns(aAb, k), expected[k]) << "k = " << k;
    }
    EXPECT_EQ(DisplayColumns(aAb, -1), 0);
    EXPECT_EQ(DisplayColumns(aAb, kMinPosition), 0);
    EXPECT_EQ(DisplayColumns(aAb, kMaxPosition), 4);
    EXPECT_EQ(DisplayColumns(Bytes({0x61, 0x82}), 1), 1);
    EXPECT_EQ(DisplayColumns(Bytes({0x61, 0x82}), 2), 2);  // a lead byte without its trail
    EXPECT_EQ(DisplayColumns(Bytes({0x82}), 1), 1);
    EXPECT_EQ(DisplayColumns("", 3), 0);
    EXPECT_EQ(DisplayColumns(Bytes({0x88, 0x9F, 0x88, 0x9F, 0x61}), 2), 4);
    EXPECT_EQ(DisplayColumns(ToMultiByte(u"\u3000\t表x"), 3), 5);
}

// The column measure word for word: ByteTypeAt at every byte.
std::int32_t NaiveDisplayColumns(const std::string& text, std::int32_t characterCount) {
    if (characterCount <= 0 || text.empty())
        return 0;
    const auto length = static_cast<std::int32_t>(text.size());
    const std::int32_t wanted = std::min(characterCount, length);
    std::int32_t completed = 0;
    for (std::int32_t p = 1; p <= length; ++p) {
        if (ByteTypeAt(text, p) != TByteType::Lead)
            ++completed;
        if (completed == wanted)
            return p;
    }
    return length;
}

// The count word for word: every start, every byte, classes by ByteTypeAt.
std::int32_t NaiveCountOccurrences(const std::string& pattern, const std::string& text, bool nonOverlapping,
                                   bool ignoreCase) {
    if (pattern.empty() || text.empty())
        return 0;
    const auto fold = [&](char c) {
        const auto byte = static_cast<std::uint8_t>(c);
        return ignoreCase && byte >= 0x61 && byte <= 0x7A ? byte - 0x20 : byte;
    };
    const auto textLength = static_cast<std::int32_t>(text.size());
    const auto patternLength = static_cast<std::int32_t>(pattern.size());
    std::int32_t count = 0;
    for (std::int32_t q = 1; q <= textLength;) {
        bool occurs = true;
        for (std::int32_t j = 1; j <= patternLength && occurs; ++j) {
            const std::int32_t at = q + j - 1;
            occurs = at <= textLength &&
                     fold(text[static_cast<std::size_t>(at - 1)]) ==
                         fold(pattern[static_cast<std::size_t>(j - 1)]) &&
                     ByteTypeAt(pattern, j) == ByteTypeAt(text, at);
        }
        if (occurs)
            ++count;
        q += occurs && nonOverlapping ? patternLength : 1;
    }
    return count;
}

// Random bytes with long runs of lead-range bytes, where a forward walk and a backward scan would
// part if they disagreed about the class of a byte.
std::string RandomBytes(std::mt19937& random, std::size_t maxLength) {
    static const int kAlphabet[] = {0x81, 0x88, 0x9F, 0xE0, 0xFC, 0x40, 0x5C,
                                    0x61, 0x41, 0x7A, 0x5A, 0x20, 0xA0};
    std::string bytes;
    const std::size_t length = random() % (maxLength + 1);
    while (bytes.size() < length) {
        if (random() % 4 == 0) {
            bytes.append(random() % 12, static_cast<char>(random() % 2 == 0 ? 0x81 : 0x9F));
        } else {
            bytes += static_cast<char>(kAlphabet[random() % std::size(kAlphabet)]);
        }
    }
    return bytes;
}

TEST(StringUnitDisplayColumns, AgreesWithByteTypeAtOnRandomBytes) {
    std::mt19937 random(11);
    for (int round = 0; round < 500; ++round) {
        const std::string text = RandomBytes(random, 40);
        for (std::int32_t k = -1; k <= static_cast<std::int32_t>(text.size()) + 1; ++k) {
            ASSERT_EQ(DisplayColumns(text, k), NaiveDisplayColumns(text, k)) << "k = " << k;
        }
    }
}

TEST(StringUnitCountOccurrences, Examples) {
    struct Row {
        std::string pattern, text;
        bool nonOverlapping, ignoreCase;
        std::int32_t expected;
    };
    const Row rows[] = {
        {" ", ToMultiByte(u"a b  c"), true, false, 3},
        {"  ", "   ", true, false, 1},
        {"  ", "   ", false, false, 2},
        {"@", ToMultiByte(u"\u3000"), true, false, 0},  // 0x81 0x40
        {"@", ToMultiByte(u"\u3000@"), true, false, 1},
        {"\\", ToMultiByte(u"表"), true, false, 0},  // 0x95 0x5C
        {"\\", ToMultiByte(u"表\\"), false, false, 1},
        {ToMultiByte(u"表"), ToMultiByte(u"表表"), true, false, 2},
        {"a", "AaA", true, true, 3},
        {"a", "AaA", true, false, 1},
        {"A", "AaA", false, true, 3},
        {"aa", "aAaA", false, true, 3},
        {"aa", "aAaA", true, true, 2},
        {Bytes({0x82, 0x41}), Bytes({0x82, 0x61}), true, true, 1},  // folding reaches trail bytes
        {Bytes({0x82, 0x41}), Bytes({0x82, 0x61}), true, false, 0},
        {"@", "`", true, true, 0},  // only a-z fold
        {"[", "{", true, true, 0},
        {Bytes({0x9F}), Bytes({0x88, 0x9F}), true, false, 0},  // a lead never matches a trail
        {Bytes({0x9F, 0x9F}), Bytes({0x9F, 0x9F, 0x9F, 0x9F}), false, false, 2},
        {"", "abc", true, false, 0},
        {"a", "", true, false, 0},
        {"abcd", "abc", false, false, 0},
        {"aba", "ababa", false, false, 2},
        {"aba", "ababa", true, false, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message()
                     << "pattern of " << row.pattern.size() << " bytes in " << row.text.size()
                     << ", nonOverlapping " << row.nonOverlapping << " ignoreCase " << row.ignoreCase);
        EXPECT_EQ(CountOccurrences(row.pattern, row.text, row.nonOverlapping, row.ignoreCase), row.expected);
        EXPECT_EQ(NaiveCountOccurrences(row.pattern, row.text, row.nonOverlapping, row.ignoreCase),
                  row.expected);
    }
}

TEST(StringUnitCountOccurrences, AgreesWithTheNaiveCountOnRandomBytes) {
    std::mt19937 random(13);
    for (int round = 0; round < 4000; ++round) {
        const std::string text = RandomBytes(random, 48);
        std::string pattern = RandomBytes(random, 4);
        if (random() % 2 == 0 && !text.empty()) {
            // A piece of the text itself, so that occurrences are common.
            const std::size_t at = random() % text.size();
            pattern = text.substr(at, 1 + random() % 5);
        }
        const bool nonOverlapping = random() % 2 == 0;
        const bool ignoreCase = random() % 2 == 0;
        ASSERT_EQ(CountOccurrences(pattern, text, nonOverlapping, ignoreCase),
                  NaiveCountOccurrences(pattern, text, nonOverlapping, ignoreCase))
            << "round " << round;
    }
}

// A backward scan at every byte of a long run of lead-range bytes would take quadratic time: these
// finish at once only when the walk is linear.
TEST(StringUnitBytes, LongLeadRunsStayLinear) {
    const std::size_t length = std::size_t{1} << 20;
    const std::string leads(length, static_cast<char>(0x81));
    const auto half = static_cast<std::int32_t>(length / 2);
    EXPECT_EQ(DisplayColumns(leads, half), static_cast<std::int32_t>(length));
    EXPECT_EQ(DisplayColumns(leads, half - 1), static_cast<std::int32_t>(length) - 2);
    EXPECT_EQ(DisplayColumns(leads, kMaxPosition), static_cast<std::int32_t>(length));
    EXPECT_EQ(CountOccurrences(Bytes({0x81}), leads, true, false), half);
    EXPECT_EQ(CountOccurrences(Bytes({0x81, 0x81}), leads, false, false), half);
    EXPECT_EQ(CountOccurrences(std::string(1000, static_cast<char>(0x81)), leads, false, false), half - 499);
}

}  // namespace
}  // namespace MyLibrary
