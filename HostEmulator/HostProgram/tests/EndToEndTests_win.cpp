// Blankwise.dll end to end: loaded by the host window, called with its real handle, answering
// the plug-in's SendMessageA calls from the model, and choosing in the real TrackPopupMenu with
// keystrokes. One window and one load of the DLL serve every document.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <memory>

#include "Blankwise/ConversionPipelines.h"
#include "HostEmulator/HostProgram/DocumentText.h"
#include "HostEmulator/HostProgram/HostProgramOptions.h"
#include "HostEmulator/HostProgram/HostWindow_win.h"
#include "HostEmulator/HostProgram/MenuKeys.h"
#include "HostEmulator/HostProgram/PluginLibrary_win.h"

namespace HostEmulator {
namespace {

using Blankwise::ConvertPrefix;
using Blankwise::ConvertSelection;
using Blankwise::kFirstConversionId;
using Blankwise::kLastConversionId;
using Blankwise::PrefixWidth;

constexpr ViewBlock kView{0x0A, 0, 0, 0, 0x03, 0, 0, 0x7F};
constexpr int kEscape = -1;

// Japanese text with CR LF lines, tabs, runs of U+0020 and U+3000, and no break at the end.
constexpr std::u16string_view kCrLfDocument =
    u"第一章\t概要\r\n"
    u"  半角空白  二つ\tタブ\r\n"
    u"\u3000全角\u3000\u3000空白    x\r\n"
    u"\t\tab  \t cd\u3000 \tef\r\n"
    u"最後の行\u3000 \t";
// LF lines, ending with a break.
constexpr std::u16string_view kLfDocument =
    u"if (x) {\n"
    u"\treturn  1;\n"
    u"}\n"
    u"\u3000\u3000注意\t \tここ\n"
    u"    四つの空白\n";

struct Outcome {
    std::u16string text;
    std::size_t anchor = 0;  // offsets into the text
    std::size_t caret = 0;
    CommandRun run;
};

class EndToEnd : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        plugin_ = std::make_unique<PluginLibrary>(PluginBesideProgram());
        window_ = std::make_unique<HostWindow>();
    }
    static void TearDownTestSuite() {
        window_.reset();
        plugin_.reset();
    }

    // Runs the command on the document with the given selection and menu choice (kEscape dismisses
    // the menu), and checks what every run must leave behind.
    static Outcome Run(std::u16string_view document, Position anchor, Position caret, int id) {
        HostModel& model = window_->Model();
        model.SetText(document);
        model.Select(anchor, caret);
        model.SetView(kView);
        model.ClearLog();
        const int adjustmentsBefore = model.SplitBreakAdjustments();
        const int editsBefore = model.EditsWhileRedrawing();

        const std::vector<MenuKey> keys =
            id == kEscape ? std::vector<MenuKey>{MenuKey::Escape}
                          : KeysToChoose(Blankwise::ConversionMenu(), id).value_or(std::vector<MenuKey>{});
        Outcome outcome;
        outcome.run = window_->RunCommand(*plugin_, keys);
        outcome.text = model.Text();
        outcome.anchor = model.AnchorOffset();
        outcome.caret = model.CaretOffset();

        EXPECT_TRUE(outcome.run.menuOpened);
        EXPECT_FALSE(outcome.run.menuTimedOut);
        EXPECT_EQ(outcome.run.keysUnread, 0u);
        EXPECT_TRUE(outcome.run.messageBoxes.empty()) << ToUtf8(
            std::u16string(outcome.run.messageBoxes.front().begin(), outcome.run.messageBoxes.front().end()));
        const std::vector<std::string> log = model.DescribeLog();
        EXPECT_GE(log.size(), 2u);
        if (log.size() >= 2) {
            EXPECT_EQ(log.front(), "SetRedraw 0");
            EXPECT_EQ(log.back(), "SetRedraw 1");
            EXPECT_EQ(log[log.size() - 2], "SetViewPos [0A 00 00 00 03 00 00 7F]");
        }
        EXPECT_TRUE(model.Redrawing());
        EXPECT_EQ(model.View(), kView);
        EXPECT_EQ(model.EditsWhileRedrawing(), editsBefore) << "an edit while repainting was on";
        EXPECT_EQ(model.SplitBreakAdjustments(), adjustmentsBefore) << "a position between CR and LF";
        return outcome;
    }

    static std::unique_ptr<PluginLibrary> plugin_;
    static std::unique_ptr<HostWindow> window_;
};

std::unique_ptr<PluginLibrary> EndToEnd::plugin_;
std::unique_ptr<HostWindow> EndToEnd::window_;

std::string Trace(std::u16string_view document, int id) {
    return EscapeText(document.substr(0, 12)) + "... id " + std::to_string(id);
}

TEST_F(EndToEnd, EveryConversionOnWholeDocumentsReturnsTheCaretToItsLine) {
    const struct {
        std::u16string_view document;
        Position caret;
    } documents[] = {
        {kCrLfDocument, {0, 0}}, {kCrLfDocument, {3, 1}}, {kCrLfDocument, {5, 3}},
        {kLfDocument, {3, 3}},   {kLfDocument, {1, 1}},
    };
    for (const auto& d : documents) {
        const HostModel before(d.document);
        const std::u16string prefix =
            before.LineText(d.caret.line).substr(0, static_cast<std::size_t>(d.caret.column));
        for (int id = kFirstConversionId; id <= kLastConversionId; ++id) {
            SCOPED_TRACE(Trace(d.document, id) + " caret " + FormatPosition(d.caret));
            const std::u16string expected = ConvertSelection(id, d.document, 0);
            ASSERT_NE(expected, d.document) << "the document gives this conversion nothing to do";

            const Outcome outcome = Run(d.document, d.caret, d.caret, id);
            EXPECT_EQ(EscapeText(outcome.text), EscapeText(expected));
            const HostModel after(outcome.text);
            const Position caret{static_cast<std::int32_t>(ConvertPrefix(id, prefix).size()), d.caret.line};
            EXPECT_EQ(outcome.anchor, outcome.caret) << "something is selected";
            EXPECT_EQ(after.PositionOf(outcome.caret), caret);
        }
    }
}

TEST_F(EndToEnd, EveryConversionOnSelectionsStartingMidLineForwardsAndBackwards) {
    const struct {
        std::u16string_view document;
        Position start;
        Position end;
    } selections[] = {
        {kCrLfDocument, {2, 1}, {5, 3}},
        {kCrLfDocument, {1, 2}, {3, 4}},
        {kLfDocument, {1, 1}, {0, 4}},
        {kLfDocument, {3, 3}, {6, 4}},
    };
    for (const auto& s : selections) {
        const HostModel before(s.document);
        const std::size_t start = before.OffsetOf(s.start);
        const std::size_t end = before.OffsetOf(s.end);
        const std::u16string_view selected = s.document.substr(start, end - start);
        const std::u16string prefix =
            before.LineText(s.start.line).substr(0, static_cast<std::size_t>(s.start.column));
        for (int id = kFirstConversionId; id <= kLastConversionId; ++id) {
            const std::u16string converted = ConvertSelection(id, selected, PrefixWidth(prefix));
            const std::u16string expected = std::u16string(s.document.substr(0, start)) + converted +
                                            std::u16string(s.document.substr(end));
            for (const bool backwards : {false, true}) {
                SCOPED_TRACE(Trace(s.document, id) + " from " + FormatPosition(s.start) + " to " +
                             FormatPosition(s.end) + (backwards ? " backwards" : ""));
                const Outcome outcome =
                    backwards ? Run(s.document, s.end, s.start, id) : Run(s.document, s.start, s.end, id);
                EXPECT_EQ(EscapeText(outcome.text), EscapeText(expected));
                const std::size_t newEnd = start + converted.size();
                EXPECT_EQ(outcome.anchor, backwards ? newEnd : start);
                EXPECT_EQ(outcome.caret, backwards ? start : newEnd);
            }
        }
    }
}

TEST_F(EndToEnd, HandWrittenConversions) {
    const struct {
        const char* name;
        std::u16string_view document;
        Position anchor;
        Position caret;
        int id;
        std::u16string_view expected;
        Position expectedAnchor;
        Position expectedCaret;
    } cases[] = {
        {"a tab after one full-width character at the selection start",
         u"\u3042\tx\r\nb",
         {1, 0},
         {2, 0},
         6,
         u"\u3042  x\r\nb",
         {1, 0},
         {3, 0}},
        {"a tab after two half-width characters",
         u"ab\tc\nd",
         {2, 0},
         {4, 0},
         6,
         u"ab  c\nd",
         {2, 0},
         {5, 0}},
        {"backwards over a CR LF",
         u"q    a\r\n  b",
         {2, 1},
         {1, 0},
         1,
         u"q\u3000\u3000a\r\n\u3000b",
         {1, 1},
         {1, 0}},
        {"full-width to two half-width across lines",
         u"a\u3000b\r\n\u3000c\u3000d",
         {1, 0},
         {2, 1},
         3,
         u"a  b\r\n  c\u3000d",
         {1, 0},
         {3, 1}},
        {"nothing selected, caret after four spaces",
         u"    ab\r\ncd",
         {4, 0},
         {4, 0},
         1,
         u"\u3000\u3000ab\r\ncd",
         {2, 0},
         {2, 0}},
        {"nothing selected, caret after a tab", u"x\n\tab", {2, 1}, {2, 1}, 6, u"x\n    ab", {5, 1}, {5, 1}},
        {"a mixed run to one space", u"a \t\u3000 b", {0, 0}, {0, 0}, 10, u"a b", {0, 0}, {0, 0}},
        {"every kind deleted, breaks kept",
         u"全 角\u3000\r\n\tx y\n",
         {0, 1},
         {0, 1},
         15,
         u"全角\r\nxy\n",
         {0, 1},
         {0, 1}},
        {"nothing to change", u"abc\r\ndef", {1, 0}, {2, 1}, 6, u"abc\r\ndef", {1, 0}, {2, 1}},
        {"an empty document", u"", {0, 0}, {0, 0}, 15, u"", {0, 0}, {0, 0}},
        {"caret on the empty line after the last break",
         u"\ta\r\n\tb\r\n",
         {0, 2},
         {0, 2},
         6,
         u"    a\r\n    b\r\n",
         {0, 2},
         {0, 2}},
        {"whole lines selected, up to the next line's start",
         u"x\r\n\t1\r\n\t2\r\ny",
         {0, 1},
         {0, 3},
         14,
         u"x\r\n1\r\n2\r\ny",
         {0, 1},
         {0, 3}},
        {"lone CR breaks", u"a\t\rb\t\r", {0, 0}, {0, 0}, 6, u"a   \rb   \r", {0, 0}, {0, 0}},
        {"one line shrinking to nothing", u"x\n \u3000\t\ny", {0, 1}, {3, 1}, 15, u"x\n\ny", {0, 1}, {0, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome outcome = Run(c.document, c.anchor, c.caret, c.id);
        EXPECT_EQ(EscapeText(outcome.text), EscapeText(c.expected));
        const HostModel after(outcome.text);
        EXPECT_EQ(after.PositionOf(outcome.anchor), c.expectedAnchor);
        EXPECT_EQ(after.PositionOf(outcome.caret), c.expectedCaret);
    }
}

TEST_F(EndToEnd, CancellingLeavesTheDocumentAndSelectionAlone) {
    const struct {
        const char* name;
        int id;
    } ways[] = {{"Escape", kEscape}, {"the cancel item", 0}};
    for (const auto& way : ways) {
        for (const bool selected : {false, true}) {
            SCOPED_TRACE(std::string(way.name) + (selected ? ", something selected" : ", nothing selected"));
            const Position anchor = selected ? Position{4, 3} : Position{2, 1};
            const Outcome outcome = Run(kCrLfDocument, anchor, {2, 1}, way.id);
            EXPECT_EQ(outcome.text, kCrLfDocument);
            const HostModel model(kCrLfDocument);
            EXPECT_EQ(outcome.anchor, model.OffsetOf(anchor));
            EXPECT_EQ(outcome.caret, model.OffsetOf({2, 1}));
            std::vector<std::uint32_t> messages;
            for (const LogEntry& entry : window_->Model().Log()) {
                messages.push_back(entry.message);
            }
            EXPECT_EQ(messages,
                      (std::vector<std::uint32_t>{HostSetRedraw, HostGetSelStart, HostGetViewPos,
                                                  HostHasSelection, HostSetViewPos, HostSetRedraw}));
        }
    }
}

}  // namespace
}  // namespace HostEmulator
