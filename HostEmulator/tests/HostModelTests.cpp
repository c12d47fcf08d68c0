#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Blankwise/HostPort.h"
#include "HostEmulator/HostModel.h"

namespace HostEmulator {
namespace {

using Blankwise::AddressOf;
using Blankwise::WordOf;

Position GetPosition(HostModel& model, std::uint32_t message) {
    Position position{-1, -1};
    model.HandleMessage(message, 2, AddressOf(&position));
    return position;
}

void SetCaret(HostModel& model, Position position) {
    model.HandleMessage(HostSetCaretPos, 2, AddressOf(&position));
}

TEST(HostModel, CutsLinesAfterEachBreakWithCrLfAsOne) {
    struct Case {
        std::u16string text;
        std::vector<std::u16string> lines;
    };
    const Case cases[] = {
        {u"", {u""}},
        {u"a", {u"a"}},
        {u"a\r\nb", {u"a", u"b"}},
        {u"a\rb\nc", {u"a", u"b", u"c"}},
        {u"\n\r", {u"", u"", u""}},
        {u"a\r\n", {u"a", u""}},
        {u"\r\r\n\n", {u"", u"", u"", u""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(EscapeText(c.text));
        HostModel model(c.text);
        ASSERT_EQ(model.LineCount(), static_cast<std::int32_t>(c.lines.size()));
        std::u16string joined;
        for (std::int32_t line = 0; line < model.LineCount(); ++line) {
            EXPECT_EQ(model.LineText(line), c.lines[static_cast<std::size_t>(line)]);
            joined += model.LineText(line, true);
            for (std::int32_t column = 0; column <= static_cast<std::int32_t>(model.LineText(line).size());
                 ++column) {
                EXPECT_EQ(model.PositionOf(model.OffsetOf({column, line})), (Position{column, line}));
            }
        }
        EXPECT_EQ(joined, c.text);
    }
}

TEST(HostModel, ClampsPositionsBeyondTheDocument) {
    HostModel model(u"ab\r\ncde");
    const struct {
        Position asked;
        Position placed;
    } cases[] = {
        {{9, 0}, {2, 0}}, {{-3, 1}, {0, 1}}, {{1, 7}, {1, 1}}, {{1, -2}, {1, 0}}, {{99, 99}, {3, 1}},
    };
    for (const auto& c : cases) {
        SetCaret(model, c.asked);
        EXPECT_EQ(GetPosition(model, HostGetCaretPos), c.placed);
    }
}

TEST(HostModel, AnswersTheSizeNeededAndFillsAtMostTheGivenSize) {
    HostModel model(u"xabcx");
    model.Select({1, 0}, {4, 0});
    const struct {
        std::intptr_t size;
        std::u16string written;  // '#' marks units left untouched
    } cases[] = {
        {0, u"######"},
        {-1, u"######"},
        {2, u"ab####"},
        {3, u"abc###"},
        {4, std::u16string(u"abc\0##", 6)},
        {6, std::u16string(u"abc\0##", 6)},
    };
    for (const auto& c : cases) {
        std::u16string buffer(6, u'#');
        EXPECT_EQ(model.HandleMessage(HostGetSelText, static_cast<std::uintptr_t>(c.size),
                                      AddressOf(buffer.data())),
                  4);
        EXPECT_EQ(buffer, c.written) << c.size;
    }
    EXPECT_EQ(model.HandleMessage(HostGetSelText, 0, 0), 4);
}

TEST(HostModel, LineRequestFlagTwoAddsTheBreakAndTheLineClamps) {
    HostModel model(u"a\r\nbc\rd");
    const struct {
        LineRequest request;
        std::u16string text;
    } cases[] = {
        {{8, kLineFlagLogical, 0}, u"a"},  {{8, kLineFlagLogical | kLineFlagWithBreak, 0}, u"a\r\n"},
        {{8, kLineFlagLogical, 1}, u"bc"}, {{8, kLineFlagWithBreak, 1}, u"bc\r"},
        {{8, kLineFlagLogical, 9}, u"d"},  {{8, kLineFlagLogical | kLineFlagWithBreak, 2}, u"d"},
        {{8, kLineFlagLogical, -4}, u"a"},
    };
    for (const auto& c : cases) {
        LineRequest request = c.request;
        request.bufferSize = 0;
        const std::intptr_t size = model.HandleMessage(HostGetLineText, WordOf(&request), 0);
        EXPECT_EQ(size, static_cast<std::intptr_t>(c.text.size() + 1));
        std::u16string buffer(8, u'#');
        request.bufferSize = 8;
        model.HandleMessage(HostGetLineText, WordOf(&request), AddressOf(buffer.data()));
        EXPECT_EQ(buffer.substr(0, c.text.size() + 1), c.text + u'\0');
    }
}

TEST(HostModel, SelLengthCountsCrLfAsTwoAndNeverSplitsIt) {
    const struct {
        std::uintptr_t length;
        std::u16string selected;
        int adjustments;
    } cases[] = {
        {0, u"", 0},      {1, u"b", 0},       {3, u"b\r\n", 0},
        {2, u"b\r\n", 1}, {6, u"b\r\ncd", 0}, {100, u"b\r\ncd", 0},
    };
    for (const auto& c : cases) {
        HostModel model(u"ab\r\ncd");
        model.Select({2, 1}, {1, 0});  // a backwards selection: the caret is where counting starts
        model.HandleMessage(HostSetSelLength, c.length, 0);
        EXPECT_EQ(model.SelectedText(), c.selected) << c.length;
        EXPECT_EQ(model.AnchorOffset(), 1u);
        EXPECT_EQ(model.SplitBreakAdjustments(), c.adjustments);
    }
}

TEST(HostModel, InsertTextReplacesTheSelectionAndLeavesTheCaretAfterIt) {
    HostModel model(u"one\r\ntwo\nthree");
    model.Select({2, 2}, {1, 0});
    const std::u16string inserted = u"X\rY";
    model.HandleMessage(HostInsertText, 0, AddressOf(inserted.c_str()));
    EXPECT_EQ(model.Text(), u"oX\rYree");
    EXPECT_FALSE(model.HasSelection());
    EXPECT_EQ(model.Caret(), (Position{1, 1}));
    EXPECT_EQ(model.HandleMessage(HostHasSelection, 0, 0), 0);
}

TEST(HostModel, SelectionEndsComeOutOrderedWhicheverSideHoldsTheCaret) {
    HostModel model(u"ab\ncd");
    Position anchor{1, 1};
    Position caret{1, 0};
    model.HandleMessage(HostSetSelection, WordOf(&anchor), AddressOf(&caret));
    EXPECT_EQ(GetPosition(model, HostGetSelStart), (Position{1, 0}));
    EXPECT_EQ(GetPosition(model, HostGetSelEnd), (Position{1, 1}));
    EXPECT_EQ(GetPosition(model, HostGetCaretPos), (Position{1, 0}));
    EXPECT_EQ(model.HandleMessage(HostHasSelection, 0, 0), 1);
    EXPECT_EQ(model.SelectedText(), u"b\nc");

    SetCaret(model, {2, 0});
    EXPECT_EQ(model.HandleMessage(HostHasSelection, 0, 0), 0);
    EXPECT_EQ(GetPosition(model, HostGetSelStart), (Position{2, 0}));
    EXPECT_EQ(GetPosition(model, HostGetSelEnd), (Position{2, 0}));
}

TEST(HostModel, CommandsStatusViewAndRepaintSwitch) {
    HostModel model(u"ab\r\n");
    model.HandleMessage(HostExecCommand, kCommandSelectAll, 0);
    EXPECT_EQ(model.SelectedText(), u"ab\r\n");
    EXPECT_EQ(model.Caret(), (Position{0, 1}));
    model.HandleMessage(HostExecCommand, kCommandAfterWholeDocument, 0);
    EXPECT_EQ(model.SelectedText(), u"ab\r\n");

    std::int32_t checked = -1;
    model.SetCommandStatus(true, true);
    EXPECT_EQ(model.HandleMessage(HostQueryStatus, kCommandPlugInStatus, AddressOf(&checked)) & 0xFF, 1);
    EXPECT_EQ(checked, 1);
    model.SetCommandStatus(false, false);
    EXPECT_EQ(model.HandleMessage(HostQueryStatus, kCommandPlugInStatus, AddressOf(&checked)) & 0xFF, 0);
    EXPECT_EQ(checked, 0);

    const ViewBlock given{1, 2, 3, 4, 5, 6, 7, 8};
    model.HandleMessage(HostSetViewPos, 0, AddressOf(&given));
    ViewBlock read{};
    model.HandleMessage(HostGetViewPos, 0, AddressOf(&read));
    EXPECT_EQ(read, given);

    const std::u16string text = u"z";
    model.HandleMessage(HostSetRedraw, 0, 0);
    model.HandleMessage(HostInsertText, 0, AddressOf(text.c_str()));
    EXPECT_EQ(model.EditsWhileRedrawing(), 0);
    model.HandleMessage(HostSetRedraw, 1, 0);
    model.HandleMessage(HostInsertText, 0, AddressOf(text.c_str()));
    EXPECT_EQ(model.EditsWhileRedrawing(), 1);
    EXPECT_TRUE(model.Redrawing());
}

TEST(HostModel, LogsEveryMessageWithItsPayload) {
    HostModel model(u"a\tb");
    Position position{1, 0};
    model.HandleMessage(HostSetCaretPos, 2, AddressOf(&position));
    model.HandleMessage(HostSetSelLength, 2, 0);
    model.HandleMessage(HostGetSelText, 0, 0);
    std::u16string buffer(3, u'\0');
    model.HandleMessage(HostGetSelText, 3, AddressOf(buffer.data()));
    LineRequest request{0, 1, 0};
    model.HandleMessage(HostGetLineText, WordOf(&request), 0);
    const std::u16string inserted = u"\u3000";
    model.HandleMessage(HostInsertText, 0, AddressOf(inserted.c_str()));
    model.HandleMessage(HostGetSelStart, 0, AddressOf(&position));
    model.HandleMessage(4321, 5, 6);
    const std::vector<std::string> expected = {
        "SetCaretPos 2 (1,0)",        "SetSelLength 2",           "GetSelText 0 -> 3",
        "GetSelText 3 \"\\tb\" -> 3", "GetLineText {0,1,0} -> 4", "InsertText \"\\u3000\"",
        "GetSelStart 0 -> (2,0)",     "Message 4321 5 6 -> 0",
    };
    EXPECT_EQ(model.DescribeLog(), expected);
}

TEST(HostModel, NullPointersAreIgnored) {
    HostModel model(u"abc");
    for (std::uint32_t message : {HostGetCaretPos, HostGetSelStart, HostSetCaretPos, HostGetViewPos,
                                  HostSetViewPos, HostGetLineText, HostInsertText, HostQueryStatus}) {
        model.HandleMessage(message, 0, 0);
    }
    model.HandleMessage(HostSetSelection, 0, 0);
    EXPECT_EQ(model.Text(), u"abc");
}

}  // namespace
}  // namespace HostEmulator
