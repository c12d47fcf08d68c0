#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <limits>

#include "MyLibrary/StringUnit/Assertion.h"
#include "MyLibrary/StringUnit/BitMasks.h"

namespace MyLibrary {
namespace {

// Every range of a 64-bit mask against one built a bit at a time, and its counts against a plain
// count; a range past the word, which would shift by 64, raises the assertion instead.
TEST(BitMasks, RangesAndCountsAgreeWithBitByBitOnes) {
    for (std::size_t from = 0; from < 64; ++from) {
        for (std::size_t to = from; to <= 64; ++to) {
            std::uint64_t expected = 0;
            for (std::size_t bit = from; bit < to; ++bit) {
                expected |= std::uint64_t{1} << bit;
            }
            ASSERT_EQ(BitsBetween(from, to), expected) << from << ".." << to;
            ASSERT_EQ(CountBits(expected), to - from);
            ASSERT_EQ(CountBits<true>(expected), to - from);
            ASSERT_EQ(CountBits(static_cast<std::uint16_t>(expected)), to <= 16    ? to - from
                                                                       : from < 16 ? 16 - from
                                                                                   : 0);
        }
    }
    EXPECT_THROW(BitsBetween(64, 64), TAssertionFailure);
    EXPECT_THROW(BitsBetween(3, 2), TAssertionFailure);
    EXPECT_THROW(BitsBetween(0, 65), TAssertionFailure);
}

TEST(Narrowed, RaisesTheAssertionWhereACastWouldLoseTheValue) {
    EXPECT_EQ(Narrowed<std::int32_t>(std::size_t{2147483647}), 2147483647);
    EXPECT_EQ(Narrowed<std::size_t>(0), 0u);
    EXPECT_THROW(Narrowed<std::int32_t>(std::size_t{2147483648}), TAssertionFailure);
    EXPECT_THROW(Narrowed<std::size_t>(-1), TAssertionFailure);
    EXPECT_THROW(Narrowed<std::uint8_t>(std::numeric_limits<int>::max()), TAssertionFailure);
}

}  // namespace
}  // namespace MyLibrary
