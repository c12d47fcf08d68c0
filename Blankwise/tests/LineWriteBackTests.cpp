#include "Blankwise/LineWriteBack.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "Blankwise/tests/EmulatedHost.h"

namespace Blankwise {
namespace {

using HostEmulator::EscapeText;
using HostEmulator::Position;
using Testing::EmulatedHost;

// A host whose text answers are scripted: the size query gets `size`, the fill writes `units`
// (no terminating zero unless they hold one), never more than the size it is given.
void ScriptTextAnswer(EmulatedHost& host, std::intptr_t size, std::u16string units) {
    host.port.SetInterceptor([size, units](std::uint32_t message, std::uintptr_t wParam,
                                           std::intptr_t lParam) -> std::optional<std::intptr_t> {
        if (message != HostGetSelText) {
            return std::nullopt;
        }
        if (lParam != 0) {
            std::copy_n(units.begin(), std::min<std::size_t>(wParam, units.size()),
                        reinterpret_cast<char16_t*>(lParam));
        }
        return size;
    });
}

TEST(GetSelectedText, TakesTheHostsSizesAsTheyComeAndNeverReadsPastThem) {
    const struct {
        const char* name;
        std::intptr_t size;
        std::u16string written;
        std::u16string expected;
        std::size_t sends;
    } cases[] = {
        {"size 0", 0, u"abc", u"", 1},
        {"negative size", -7, u"abc", u"", 1},
        {"no terminating zero", 3, u"abc", u"abc", 2},
        {"zero inside", 5, std::u16string(u"ab\0cd", 5), u"ab", 2},
        {"fewer units than announced", 6, std::u16string(u"ab\0", 3), u"ab", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EmulatedHost host;
        ScriptTextAnswer(host, c.size, c.written);
        EXPECT_EQ(GetSelectedText(host.port), c.expected);
        EXPECT_EQ(host.port.Transcript().size(), c.sends);
    }
}

TEST(GetSelectedText, ReadsTheSelectionUpToAZeroUnit) {
    EmulatedHost host(std::u16string(u"x\r\ny\0z", 6));
    host.Select({0, 0}, {3, 1});
    EXPECT_EQ(GetSelectedText(host.port), u"x\r\ny");
    const std::vector<std::string> expected = {"GetSelText 0 -> 7", "GetSelText 7 \"x\\r\\ny\\u0000z\" -> 7"};
    EXPECT_EQ(host.Conversation(), expected);
}

TEST(GetLineText, SendsTheOptionsAsFlagsAndTheLineIndex) {
    const struct {
        std::int32_t options;
        std::u16string expected;
        std::vector<std::string> messages;
    } cases[] = {
        {kLineOptionLogical, u"bc", {"GetLineText {0,1,1} -> 3", "GetLineText {3,1,1} \"bc\" -> 3"}},
        {kLineOptionLogical | kLineOptionWithBreak,
         u"bc\r",
         {"GetLineText {0,3,1} -> 4", "GetLineText {4,3,1} \"bc\\r\" -> 4"}},
    };
    for (const auto& c : cases) {
        EmulatedHost host(u"a\r\nbc\rd");
        EXPECT_EQ(GetLineText(host.port, 1, c.options), c.expected);
        EXPECT_EQ(host.Conversation(), c.messages);
    }
}

TEST(LineEndingKind, ClassifiesTheLastBreak) {
    const struct {
        std::u16string_view piece;
        TLineEnding kind;
    } cases[] = {
        {u"", TLineEnding::None},      {u"a", TLineEnding::None},   {u"\r\n", TLineEnding::CrLf},
        {u"a\r\n", TLineEnding::CrLf}, {u"\r", TLineEnding::Cr},    {u"a\r", TLineEnding::Cr},
        {u"\n", TLineEnding::Lf},      {u"a\n\r", TLineEnding::Cr}, {u"\n\n", TLineEnding::Lf},
        {u"\r\na", TLineEnding::None},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LineEndingKind(c.piece), c.kind) << EscapeText(c.piece);
    }
}

TEST(IsCaretAtSelectionEnd, TrueOnlyWhenTheCaretHoldsTheSelectionsEnd) {
    const struct {
        Position anchor;
        Position caret;
        bool atEnd;
    } cases[] = {
        {{0, 0}, {2, 1}, true},
        {{2, 1}, {0, 0}, false},
        {{1, 1}, {1, 1}, false},
    };
    for (const auto& c : cases) {
        EmulatedHost host(u"abc\ndef");
        host.Select(c.anchor, c.caret);
        EXPECT_EQ(IsCaretAtSelectionEnd(host.port), c.atEnd);
    }
}

struct WriteBackCase {
    const char* name;
    std::u16string document;
    Position anchor;
    Position caret;
    std::u16string newText;
    std::u16string expectedDocument;
    std::vector<std::string> edits;  // the conversation between the caret-side reads and the final selection
};

std::vector<std::string> Between(const std::vector<std::string>& lines, std::size_t skipFront,
                                 std::size_t skipBack) {
    if (lines.size() < skipFront + skipBack) {
        return lines;
    }
    return {lines.begin() + static_cast<std::ptrdiff_t>(skipFront),
            lines.end() - static_cast<std::ptrdiff_t>(skipBack)};
}

TEST(WriteBackLines, EditsOnlyDifferingLinesMessageByMessage) {
    const WriteBackCase cases[] = {
        {"a conversion that changes nothing inserts nothing",
         u"ab\r\ncd\nef",
         {1, 0},
         {1, 2},
         u"b\r\ncd\ne",
         u"ab\r\ncd\nef",
         {"SetCaretPos 2 (0,1)", "SetCaretPos 2 (0,2)", "SetCaretPos 2 (0,3)", "SetCaretPos 2 (1,0)",
          "SetSelLength 7"}},
        {"first piece from the selection's column, CR LF kept, lone LF and last piece whole",
         u"ab  c\r\n d\r\n\te\nf  g!",
         {2, 0},
         {4, 3},
         u"__c\r\n d\r\n\tE\nf__g",
         u"ab__c\r\n d\r\n\tE\nf__g!",
         {"SetCaretPos 2 (2,0)", "SetSelLength 3", "InsertText \"__c\"", "SetCaretPos 2 (0,1)",
          "SetCaretPos 2 (0,2)", "SetCaretPos 2 (0,2)", "SetSelLength 3", "InsertText \"\\tE\\n\"",
          "SetCaretPos 2 (0,3)", "SetSelLength 4", "InsertText \"f__g\"", "SetCaretPos 2 (2,0)",
          "SetSelLength 16"}},
        {"a lone CR ending both pieces is replaced with the piece",
         u"a b\rc",
         {0, 0},
         {1, 1},
         u"a_b\rc",
         u"a_b\rc",
         {"SetCaretPos 2 (0,0)", "SetSelLength 4", "InsertText \"a_b\\r\"", "SetCaretPos 2 (0,2)",
          "SetCaretPos 2 (0,0)", "SetSelLength 5"}},
        {"surplus new lines go in with one insertion",
         u"a\nb",
         {0, 0},
         {1, 1},
         u"a\nB\nc\r\nd",
         u"a\nB\nc\r\nd",
         {"SetCaretPos 2 (0,1)", "SetCaretPos 2 (0,1)", "SetSelLength 1", "InsertText \"B\\n\"",
          "InsertText \"c\\r\\nd\"", "SetCaretPos 2 (0,0)", "SetSelLength 8"}},
        {"surplus old lines go out with one selection",
         u"a\nb\r\nc\rd\n",
         {0, 0},
         {0, 4},
         u"a\nB",
         u"a\nB",
         {"SetCaretPos 2 (0,1)", "SetCaretPos 2 (0,1)", "SetSelLength 3", "InsertText \"B\"",
          "SetSelLength 4", "InsertText \"\"", "SetCaretPos 2 (0,0)", "SetSelLength 3"}},
        {"empty old and new text edit nothing",
         u"abc",
         {1, 0},
         {1, 0},
         u"",
         u"abc",
         {"SetCaretPos 2 (1,0)", "SetSelLength 0"}},
    };
    for (const WriteBackCase& c : cases) {
        SCOPED_TRACE(c.name);
        EmulatedHost host(c.document);
        host.Select(c.anchor, c.caret);
        WriteBackLines(host.port, c.newText);
        EXPECT_EQ(host.model.Text(), c.expectedDocument);
        // Reading: GetSelText twice, GetSelStart kind 2, then the caret side (three reads); restoring
        // the side: two reads and one selection.
        EXPECT_EQ(Between(host.Conversation(), 6, 3), c.edits);
        EXPECT_EQ(host.model.SelectedText(), c.newText);
    }
}

TEST(WriteBackLines, BackwardsSelectionComesBackBackwards) {
    EmulatedHost host(u"x  1\n  2\n3");
    host.Select({1, 2}, {1, 0});
    WriteBackLines(host.port,
                   u"\u3000"
                   u"1\n\u3000"
                   u"2\n3");
    EXPECT_EQ(host.model.Text(),
              u"x\u3000"
              u"1\n\u3000"
              u"2\n3");
    const std::vector<std::string> tail = {"GetSelStart 0 -> (1,0)", "GetSelEnd 0 -> (1,2)",
                                           "SetSelection (1,2) (1,0)"};
    EXPECT_EQ(Between(host.Conversation(), host.Conversation().size() - 3, 0), tail);
    EXPECT_EQ(host.model.Caret(), (Position{1, 0}));
}

// With no line compared the caret still stood at the end of a forward selection, and the old text's
// length was removed after the selection instead of the selection itself.
TEST(WriteBackLines, ForwardSelectionConvertedToNothingRemovesItselfNotTheTextAfterIt) {
    EmulatedHost host(u"ab   cdefgh");
    host.Select({2, 0}, {5, 0});
    WriteBackLines(host.port, u"");
    EXPECT_EQ(host.model.Text(), u"abcdefgh");
    EXPECT_EQ(host.model.Caret(), (Position{2, 0}));
}

// A new line ending in a lone CR written in front of an old line beginning with LF joined the two
// into one CR LF, and every later line was written one document line too low.
TEST(WriteBackLines, NewLoneCrBeforeAnOldLineStartingWithLfDoesNotShiftLaterLines) {
    const struct {
        std::u16string oldText;
        std::u16string newText;
        std::u16string after;
    } cases[] = {
        {u"a\n\nb", u"a\rc\nb", u">"},
        {u"a\n\n\nb\nq", u"a\rb\nq", u"\n!"},
        {u"a\n\nb", u"a\r", u">"},
        {u"a\nb", u"a\nc\rd", u"\n!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(EscapeText(c.oldText) + " -> " + EscapeText(c.newText));
        EmulatedHost host(u"<" + c.oldText + c.after);
        host.Select({1, 0}, host.model.PositionOf(1 + c.oldText.size()));
        WriteBackLines(host.port, c.newText);
        EXPECT_EQ(host.model.Text(), u"<" + c.newText + c.after);
        EXPECT_EQ(host.model.SelectedText(), c.newText);
        EXPECT_EQ(host.model.SplitBreakAdjustments(), 0);
    }
}

class TextGenerator {
  public:
    explicit TextGenerator(unsigned seed) : random_(seed) {}

    int Below(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(random_); }

    std::u16string Content() {
        static constexpr char16_t kUnits[] = u"ab \t\u3000\u3042";
        std::u16string content;
        for (int n = Below(5); n > 0; --n) {
            content += kUnits[Below(6)];
        }
        return content;
    }

    std::u16string Break() {
        static constexpr std::u16string_view kBreaks[] = {u"\r\n", u"\r", u"\n"};
        return std::u16string(kBreaks[Below(3)]);
    }

    std::vector<std::u16string> Pieces(int maxPieces) {
        std::vector<std::u16string> pieces;
        for (int n = Below(maxPieces + 1); n > 0; --n) {
            pieces.push_back(Content() + Break());
        }
        if (Below(2) == 0) {
            pieces.push_back(Content());
        }
        return pieces;
    }

    // Keeps most pieces, changes the content or the break of some, drops and adds others.
    std::vector<std::u16string> Mutate(std::vector<std::u16string> pieces) {
        std::vector<std::u16string> result;
        for (std::u16string& piece : pieces) {
            switch (Below(10)) {
                case 0:
                    break;
                case 1:
                    result.push_back(Content() + Break());
                    [[fallthrough]];
                case 2:
                    result.push_back(Content() + Break());
                    break;
                case 3:
                    result.push_back(Content() + piece);
                    break;
                case 4:
                    result.push_back(piece + Break());
                    break;
                default:
                    result.push_back(piece);
            }
        }
        if (Below(4) == 0) {
            result.push_back(Content());
        }
        return result;
    }

    static std::u16string Join(const std::vector<std::u16string>& pieces) {
        std::u16string text;
        for (const std::u16string& piece : pieces) {
            text += piece;
        }
        return text;
    }

  private:
    std::mt19937 random_;
};

bool Joins(std::u16string_view left, std::u16string_view right) {
    return left.ends_with(u'\r') && right.starts_with(u'\n');
}

// The contract: afterwards the document holds the new text in place of the old and nothing else
// changed, the new text is selected and the caret is on the side it was on. A new text whose edge
// joins a CR and an LF with the document around it has no position for that edge: there only the
// document is checked. An old text whose edge would join them cannot be selected.
TEST(WriteBackLines, LeavesExactlyTheNewTextSelectedOnGeneratedTexts) {
    TextGenerator generate(20240611);
    int checked = 0;
    while (checked < 3000) {
        const std::u16string before = TextGenerator::Join(generate.Pieces(2));
        const std::u16string after = TextGenerator::Join(generate.Pieces(2));
        const std::vector<std::u16string> oldPieces = generate.Pieces(5);
        const std::u16string oldText = TextGenerator::Join(oldPieces);
        const std::u16string newText =
            TextGenerator::Join(generate.Below(3) == 0 ? generate.Pieces(5) : generate.Mutate(oldPieces));
        if (Joins(before, oldText + after) || Joins(before + oldText, after)) {
            continue;
        }
        const bool edgeJoins = Joins(before, newText + after) || Joins(before + newText, after);
        ++checked;
        const bool backwards = generate.Below(2) == 0;
        SCOPED_TRACE(EscapeText(before) + " [" + EscapeText(oldText) + " -> " + EscapeText(newText) + "] " +
                     EscapeText(after) + (backwards ? " backwards" : " forwards"));

        EmulatedHost host(before + oldText + after);
        const Position start = host.model.PositionOf(before.size());
        const Position end = host.model.PositionOf(before.size() + oldText.size());
        host.Select(backwards ? end : start, backwards ? start : end);
        WriteBackLines(host.port, newText);

        ASSERT_EQ(host.model.Text(), before + newText + after);
        if (edgeJoins) {
            continue;
        }
        const std::size_t newStart = before.size();
        const std::size_t newEnd = before.size() + newText.size();
        const bool caretAtEnd = !backwards && !oldText.empty();
        ASSERT_EQ(host.model.CaretOffset(), caretAtEnd ? newEnd : newStart);
        ASSERT_EQ(host.model.AnchorOffset(), caretAtEnd ? newStart : newEnd);
        ASSERT_EQ(host.model.SplitBreakAdjustments(), 0);
    }
}

}  // namespace
}  // namespace Blankwise
