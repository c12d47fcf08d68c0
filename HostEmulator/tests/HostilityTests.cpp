#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "HostEmulator/HostModel.h"

namespace HostEmulator {
namespace {

template <typename T>
std::intptr_t Address(T* value) {
    return reinterpret_cast<std::intptr_t>(value);
}

constexpr std::intptr_t kMaxSize = std::numeric_limits<std::intptr_t>::max();
constexpr std::intptr_t kMinSize = std::numeric_limits<std::intptr_t>::min();

TEST(Hostility, SizeAnswersOfTheTextMessages) {
    const struct {
        const char* name;
        Hostility hostility;
        std::intptr_t answer;
    } cases[] = {
        {"faithful", {}, 4},
        {"zero", {.fixedSize = 0}, 0},
        {"below zero", {.fixedSize = -9}, -9},
        {"smaller than the text", {.sizeSkew = -2}, 2},
        {"larger than the text", {.sizeSkew = 100}, 104},
        {"saturating above", {.sizeSkew = kMaxSize}, kMaxSize},
        {"far below", {.sizeSkew = kMinSize}, kMinSize + 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HostModel model(u"abc\ndef");
        model.Select({0, 0}, {3, 0});
        model.SetHostility(c.hostility);
        EXPECT_EQ(model.HandleMessage(HostGetSelText, 0, 0), c.answer);
        LineRequest request{0, kLineFlagLogical, 1};
        EXPECT_EQ(model.HandleMessage(HostGetLineText, reinterpret_cast<std::uintptr_t>(&request), 0),
                  c.answer);
    }
}

// The fill never writes more than the buffer size it is given, whatever the host answered.
TEST(Hostility, FillWithoutTerminatingZeroStopsAtTheTextOrTheBuffer) {
    const struct {
        std::intptr_t bufferSize;
        std::u16string buffer;
    } cases[] = {
        {8, u"abcXXXXXX"},
        {2, u"abXXXXXXX"},
    };
    for (const auto& c : cases) {
        HostModel model(u"abc");
        model.Select({0, 0}, {3, 0});
        model.SetHostility({.noTerminatingZero = true});
        std::u16string buffer(9, u'X');
        model.HandleMessage(HostGetSelText, static_cast<std::uintptr_t>(c.bufferSize),
                            Address(buffer.data()));
        EXPECT_EQ(buffer, c.buffer);
    }
}

TEST(Hostility, SelectionChangesAfterTheSizeQuery) {
    HostModel model(u"ab\ncdefg");
    model.Select({0, 0}, {2, 0});
    model.SetHostility({.selectionAfterSizeQuery = std::pair{Position{0, 0}, Position{5, 1}}});
    EXPECT_EQ(model.HandleMessage(HostGetSelText, 0, 0), 3);
    std::u16string buffer(3, u'X');
    model.HandleMessage(HostGetSelText, 3, Address(buffer.data()));
    EXPECT_EQ(buffer, u"ab\n");
    EXPECT_EQ(model.SelectedText(), u"ab\ncdefg");
}

TEST(Hostility, ReportedPositionsAreSkewedAndSaturate) {
    const struct {
        Position skew;
        Position reported;
    } cases[] = {
        {{0, 0}, {1, 1}},
        {{100, 7}, {101, 8}},
        {{-5, -5}, {-4, -4}},
        {{std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::min()},
         {std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::min() + 1}},
    };
    for (const auto& c : cases) {
        HostModel model(u"ab\ncd");
        model.Select({1, 1}, {1, 1});
        model.SetHostility({.positionSkew = c.skew});
        for (const std::uint32_t message : {HostGetSelStart, HostGetSelEnd, HostGetCaretPos}) {
            Position position;
            model.HandleMessage(message, 0, Address(&position));
            EXPECT_EQ(position, c.reported) << message;
        }
    }
}

}  // namespace
}  // namespace HostEmulator
