#include "Blankwise/ConversionCommand.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "Blankwise/tests/EmulatedHost.h"
#include "MyLibrary/StringUnit/Assertion.h"
#include "MyLibrary/StringUnit/TextPlatform.h"

namespace Blankwise {
namespace {

using HostEmulator::EscapeText;
using HostEmulator::MenuNode;
using HostEmulator::Position;
using HostEmulator::ViewBlock;
using Testing::EmulatedHost;

constexpr ViewBlock kView{0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88};
constexpr const char* kViewText = "[11 22 33 44 55 66 77 88]";

std::string Cp932(std::u16string_view text) {
    return MyLibrary::NativeTextPlatform().ToMultiByte(text);
}

MenuNode Item(std::uintptr_t id, std::u16string_view caption) {
    return {0x0, id, Cp932(caption), {}};
}
MenuNode Separator() {
    return {0x800, 0, "", {}};
}
MenuNode Popup(std::u16string_view caption, std::vector<MenuNode> entries) {
    return {0x10, 0, Cp932(caption), std::move(entries)};
}

void Prepare(EmulatedHost& host, std::intptr_t choice) {
    host.model.SetView(kView);
    host.port.ScriptMenuChoice(choice);
    host.port.SetCursor({120, 340});
}

bool Contains(const std::vector<std::string>& lines, std::string_view prefix) {
    return std::any_of(lines.begin(), lines.end(),
                       [prefix](const std::string& line) { return line.starts_with(prefix); });
}

TEST(ConversionCommand, ShowsTheConversionMenuAtThePointer) {
    EmulatedHost host(u"abc");
    Prepare(host, 0);
    RunConversionCommand(host.port);

    const std::vector<MenuNode> expected = {
        Item(6, u"タブを半角空白にする(4タブ)"),
        Popup(u"タブを変換する その他",
              {Item(8, u"タブx1を半角空白x1にする"), Separator(), Item(14, u"タブを削除する")}),
        Separator(),
        Popup(u"半角スペースを変換する",
              {Item(1, u"半角空白x2を全角空白x1にする"), Item(2, u"半角空白x1を全角空白x1にする"),
               Separator(), Item(5, u"半角空白をタブにする(4タブ)"),
               Item(7, u"連続した半角空白をタブx1にする"), Separator(), Item(12, u"半角空白を削除する")}),
        Separator(),
        Popup(u"全角スペースを変換する",
              {Item(3, u"全角空白x1を半角空白x2にする"), Item(4, u"全角空白x1を半角空白x1にする"),
               Separator(), Item(13, u"全角空白を削除する")}),
        Separator(),
        Popup(u"スペース(半角/全角/タブ)を変換する",
              {Item(9, u"スペースを半角空白にする"), Separator(),
               Item(10, u"連続したスペースを半角空白x1にする"), Item(11, u"連続したスペースをタブx1にする"),
               Separator(), Item(15, u"スペースを削除する")}),
        Separator(),
        Item(0, u"キャンセル"),
    };
    EXPECT_EQ(host.port.TrackedMenu(), expected);
    ASSERT_FALSE(host.port.TrackedMenu().empty());
    EXPECT_EQ(host.port.TrackedMenu().back().caption, "\x83\x4C\x83\x83\x83\x93\x83\x5A\x83\x8B");
    EXPECT_EQ(host.port.TrackFlags(), 0x100u);
    EXPECT_EQ(host.port.TrackedAt().x, 120);
    EXPECT_EQ(host.port.TrackedAt().y, 340);
    EXPECT_EQ(host.port.TrackCount(), 1);
    EXPECT_EQ(host.port.LiveMenus(), 0);
    EXPECT_EQ(host.port.MenuMisuse(), 0);
}

TEST(ConversionCommand, CancellingHandsTheViewBackAndTouchesNothing) {
    const struct {
        std::intptr_t choice;
        bool selection;
    } cases[] = {{0, true}, {0, false}, {0x100, true}, {0x200, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.choice) + (c.selection ? " selection" : " no selection"));
        EmulatedHost host(u"  a\r\n\tb");
        if (c.selection) {
            host.Select({2, 1}, {1, 0});
        } else {
            host.Select({1, 1}, {1, 1});
        }
        Prepare(host, c.choice);
        const std::size_t anchor = host.model.AnchorOffset();
        const std::size_t caret = host.model.CaretOffset();
        RunConversionCommand(host.port);

        const std::vector<std::string> head = {
            "SetRedraw 0", c.selection ? "GetSelStart 2 -> (1,0)" : "GetSelStart 2 -> (1,1)",
            std::string("GetViewPos -> ") + kViewText,
            c.selection ? "HasSelection -> 1" : "HasSelection -> 0"};
        const std::vector<std::string> conversation = host.Conversation();
        EXPECT_EQ(std::vector<std::string>(conversation.begin(), conversation.begin() + 4), head);
        const std::vector<std::string> tail = {std::string("SetViewPos ") + kViewText, "SetRedraw 1"};
        EXPECT_EQ(std::vector<std::string>(conversation.begin() + 5, conversation.end()), tail);
        EXPECT_EQ(host.model.Text(), u"  a\r\n\tb");
        EXPECT_EQ(host.model.AnchorOffset(), anchor);
        EXPECT_EQ(host.model.CaretOffset(), caret);
        EXPECT_EQ(host.port.LiveMenus(), 0);
    }
}

TEST(ConversionCommand, ConvertsTheSelectionMessageByMessage) {
    EmulatedHost host(u"a\tb");
    host.Select({1, 0}, {2, 0});
    Prepare(host, 0x208);  // only the low 8 bits are the id
    RunConversionCommand(host.port);

    const std::vector<std::string> expected = {
        "SetRedraw 0",
        "GetSelStart 2 -> (1,0)",
        std::string("GetViewPos -> ") + kViewText,
        "HasSelection -> 1",
        "TrackPopupMenu 0x1000 0x100 (120,340) -> 520",
        "GetLineText {0,1,0} -> 4",
        "GetLineText {4,1,0} \"a\\tb\" -> 4",
        "GetSelText 0 -> 2",
        "GetSelText 2 \"\\t\" -> 2",
        "GetSelText 0 -> 2",
        "GetSelText 2 \"\\t\" -> 2",
        "GetSelStart 2 -> (1,0)",
        "GetSelStart 0 -> (1,0)",
        "GetSelEnd 0 -> (2,0)",
        "GetCaretPos 0 -> (2,0)",
        "SetCaretPos 2 (1,0)",
        "SetSelLength 1",
        "InsertText \" \"",
        "SetCaretPos 2 (1,0)",
        "SetSelLength 1",
        "GetSelStart 0 -> (1,0)",
        "GetSelEnd 0 -> (2,0)",
        "SetSelection (1,0) (2,0)",
        std::string("SetViewPos ") + kViewText,
        "SetRedraw 1",
    };
    EXPECT_EQ(host.Conversation(), expected);
    EXPECT_EQ(host.model.Text(), u"a b");
    EXPECT_EQ(host.model.EditsWhileRedrawing(), 0);
}

TEST(ConversionCommand, ConvertsTheSelectionAgainstItsStartColumn) {
    const struct {
        const char* name;
        std::u16string document;
        Position anchor;
        Position caret;
        int id;
        std::u16string expected;
    } cases[] = {
        {"after two half-width characters", u"ab\tc", {2, 0}, {4, 0}, 6, u"ab  c"},
        {"a full-width space before the selection", u"\u3000\tc", {1, 0}, {3, 0}, 9, u"\u3000  c"},
        {"later lines start at column 0", u"ab\t\n\tc", {2, 0}, {2, 1}, 9, u"ab  \n    c"},
        {"compression after a tab in the prefix", u"\t  x   y", {1, 0}, {8, 0}, 5, u"\t  x\t  y"},
        {"backwards selection", u"q    a\n  b", {2, 1}, {1, 0}, 1, u"q\u3000\u3000a\n\u3000b"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EmulatedHost host(c.document);
        host.Select(c.anchor, c.caret);
        Prepare(host, c.id);
        const bool backwards = host.model.CaretOffset() < host.model.AnchorOffset();
        const std::size_t start = std::min(host.model.CaretOffset(), host.model.AnchorOffset());
        const std::size_t unselected = c.document.size() - host.model.SelectedText().size();
        RunConversionCommand(host.port);

        EXPECT_EQ(EscapeText(host.model.Text()), EscapeText(c.expected));
        const std::size_t end = start + c.expected.size() - unselected;
        EXPECT_EQ(std::min(host.model.CaretOffset(), host.model.AnchorOffset()), start);
        EXPECT_EQ(std::max(host.model.CaretOffset(), host.model.AnchorOffset()), end);
        EXPECT_EQ(host.model.CaretOffset(), backwards ? start : end);
    }
}

// The selection's start column was taken as the expanded prefix's length in UTF-16 units, so after
// a full-width character a tab reached one column too far.
TEST(ConversionCommand, TabAfterAFullWidthCharacterStopsAtItsDisplayColumn) {
    EmulatedHost host(u"\u3042\tc");
    host.Select({1, 0}, {3, 0});
    Prepare(host, 6);
    RunConversionCommand(host.port);
    EXPECT_EQ(EscapeText(host.model.Text()), EscapeText(u"\u3042  c"));
}

TEST(ConversionCommand, WholeDocumentReturnsTheCaretToItsLineAtTheConvertedPrefix) {
    const struct {
        std::u16string document;
        Position caret;
        int id;
        std::u16string expected;
        Position expectedCaret;
    } cases[] = {
        {u"  x\ny", {0, 0}, 1, u"\u3000x\ny", {0, 0}},
        {u"    ab\ncd", {4, 0}, 1, u"\u3000\u3000ab\ncd", {2, 0}},
        {u"\tab", {2, 0}, 6, u"    ab", {5, 0}},
        {u"a \t\u3000 b", {0, 0}, 10, u"a b", {0, 0}},
        {u"x \u3000\ty\r\nz\rw \n", {1, 1}, 15, u"xy\r\nz\rw\n", {1, 1}},
        {u"\ta\n\tb\n  \tc", {3, 2}, 6, u"    a\n    b\n    c", {4, 2}},
        {u"   ", {3, 0}, 12, u"", {0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(EscapeText(c.document) + " id " + std::to_string(c.id));
        EmulatedHost host(c.document);
        host.Select(c.caret, c.caret);
        Prepare(host, c.id);
        RunConversionCommand(host.port);

        EXPECT_EQ(EscapeText(host.model.Text()), EscapeText(c.expected));
        EXPECT_EQ(host.model.Caret(), c.expectedCaret);
        EXPECT_FALSE(host.model.HasSelection());
        const std::vector<std::string> conversation = host.Conversation();
        const auto selectAll = std::find(conversation.begin(), conversation.end(), "ExecCommand 4136");
        ASSERT_NE(selectAll, conversation.end());
        EXPECT_TRUE((selectAll - 1)->starts_with("GetLineText {"));
        EXPECT_EQ(*(selectAll + 1), "GetSelText 0 -> " + std::to_string(c.document.size() + 1));
        const std::vector<std::string> tail = {"ExecCommand 4187",
                                               "SetCaretPos 2 (" + std::to_string(c.expectedCaret.column) +
                                                   "," + std::to_string(c.caret.line) + ")",
                                               std::string("SetViewPos ") + kViewText, "SetRedraw 1"};
        EXPECT_EQ(std::vector<std::string>(conversation.end() - 4, conversation.end()), tail);
        EXPECT_EQ(host.model.EditsWhileRedrawing(), 0);
    }
}

TEST(ConversionCommand, ConversionThatChangesNothingInsertsNothing) {
    EmulatedHost host(u"abc\r\nd e\n");
    Prepare(host, 1);
    RunConversionCommand(host.port);
    const std::vector<std::string> conversation = host.Conversation();
    EXPECT_FALSE(Contains(conversation, "InsertText"));
    EXPECT_EQ(std::count_if(conversation.begin(), conversation.end(),
                            [](const std::string& line) { return line.starts_with("SetSelLength"); }),
              1);
    EXPECT_EQ(host.model.Text(), u"abc\r\nd e\n");
}

TEST(ConversionCommand, PrefixIsCutAtTheStartColumnWhateverTheHostReports) {
    const struct {
        Position reported;
        std::u16string expected;
        Position expectedCaret;
    } cases[] = {
        {{99, 0}, u"    x\n    y", {5, 0}},  // beyond the line: the whole line
        {{-3, 1}, u"    x\n    y", {0, 1}},  // before it: nothing
    };
    for (const auto& c : cases) {
        EmulatedHost host(u"\tx\n\ty");
        Prepare(host, 6);
        bool reported = false;
        host.port.SetInterceptor([&](std::uint32_t message, std::uintptr_t wParam,
                                     std::intptr_t lParam) -> std::optional<std::intptr_t> {
            if (message != HostGetSelStart || wParam != kPositionKindUnits || reported) {
                return std::nullopt;
            }
            reported = true;
            *reinterpret_cast<Position*>(lParam) = c.reported;
            return 0;
        });
        RunConversionCommand(host.port);
        EXPECT_EQ(EscapeText(host.model.Text()), EscapeText(c.expected));
        EXPECT_EQ(host.model.Caret(), c.expectedCaret);
    }
}

TEST(ConversionCommand, AFailureInsideStillResumesRepaintingAndReleasesTheMenus) {
    const struct {
        const char* name;
        std::intptr_t choice;
        std::uint32_t failingMessage;
    } cases[] = {
        {"reading the line", 1, HostGetLineText},
        {"reading the selection", 1, HostGetSelText},
        {"writing back", 2, HostInsertText},
        {"an id beyond the menu", 16, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EmulatedHost host(u"a b\nc d");
        host.Select({0, 0}, {3, 1});
        Prepare(host, c.choice);
        host.port.SetInterceptor(
            [&c](std::uint32_t message, std::uintptr_t, std::intptr_t) -> std::optional<std::intptr_t> {
                if (message == c.failingMessage) {
                    throw std::runtime_error("host failure");
                }
                return std::nullopt;
            });
        if (c.failingMessage == 0) {
            EXPECT_THROW(RunConversionCommand(host.port), MyLibrary::TAssertionFailure);
        } else {
            EXPECT_THROW(RunConversionCommand(host.port), std::runtime_error);
        }
        EXPECT_TRUE(host.model.Redrawing());
        EXPECT_EQ(host.port.Transcript().back(), "SetRedraw 1");
        EXPECT_FALSE(Contains(host.port.Transcript(), "SetViewPos"));
        EXPECT_EQ(host.port.LiveMenus(), 0);
    }
}

}  // namespace
}  // namespace Blankwise
