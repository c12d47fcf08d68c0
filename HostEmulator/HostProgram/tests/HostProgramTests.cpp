// The host program's portable pieces: document files, what it prints, the keys it types into the
// menu and its options.

#include <gtest/gtest.h>

#include "Blankwise/ConversionPipelines.h"
#include "HostEmulator/HostModel.h"
#include "HostEmulator/HostProgram/DocumentText.h"
#include "HostEmulator/HostProgram/HostProgramOptions.h"
#include "HostEmulator/HostProgram/MenuKeys.h"

namespace HostEmulator {
namespace {

using namespace std::string_literals;

TEST(DocumentText, DecodesByTheByteOrderMarkAndSavesTheSameBytesBack) {
    const struct {
        const char* name;
        std::string bytes;
        std::u16string text;
        TextEncoding encoding;
    } cases[] = {
        {"empty file", "", u"", TextEncoding::Utf8},
        {"UTF-8 with all three breaks", "a\r\nb\nc\rd", u"a\r\nb\nc\rd", TextEncoding::Utf8},
        {"UTF-8 Japanese", "\xE5\x85\xA8\xE3\x80\x80\t", u"全\u3000\t", TextEncoding::Utf8},
        {"UTF-8 with its mark", "\xEF\xBB\xBFx\r\n", u"x\r\n", TextEncoding::Utf8WithBom},
        {"only the UTF-8 mark", "\xEF\xBB\xBF", u"", TextEncoding::Utf8WithBom},
        {"UTF-16LE", "\xFF\xFE\x42\x30\x00\x30\r\x00\n\x00"s, u"\u3042\u3000\r\n", TextEncoding::Utf16LE},
        {"UTF-16BE", "\xFE\xFF\x30\x42\x00\x09"s, u"\u3042\t", TextEncoding::Utf16BE},
        {"UTF-16LE surrogate pair", "\xFF\xFE\x3D\xD8\x00\xDE"s, u"\U0001F600", TextEncoding::Utf16LE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const DecodedDocument document = DecodeDocument(c.bytes);
        EXPECT_EQ(EscapeText(document.text), EscapeText(c.text));
        EXPECT_EQ(document.encoding, c.encoding);
        EXPECT_EQ(EncodeDocument(document.text, document.encoding), c.bytes);
    }
}

TEST(DocumentText, DamagedBytesDecodeToReplacementCharacters) {
    EXPECT_EQ(DecodeDocument("\xFF\xFE\x41\x00\x42"s).text, u"A\uFFFD");
    EXPECT_EQ(DecodeDocument("a\x80z").text, u"a\uFFFDz");
    EXPECT_EQ(DecodeDocument("\xE3\x80").text, u"\uFFFD");
}

TEST(DocumentText, Utf8OfLoneSurrogatesIsTheReplacementCharacter) {
    const struct {
        std::u16string text;
        std::string utf8;
    } cases[] = {
        {u"", ""},
        {u"a\u00E9\u3000", "a\xC3\xA9\xE3\x80\x80"},
        {u"\U0001F600", "\xF0\x9F\x98\x80"},
        {u"\xD83D", "\xEF\xBF\xBD"},
        {u"\xDE00x", "\xEF\xBF\xBDx"},
        {u"\xD83D\xD83D\xDE00", "\xEF\xBF\xBD\xF0\x9F\x98\x80"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToUtf8(c.text), c.utf8) << EscapeText(c.text);
    }
}

TEST(DocumentText, VisibleWhiteSpaceMarksEveryKindAndEachBreak) {
    const struct {
        std::u16string text;
        std::string shown;
    } cases[] = {
        {u"", "[EOF]\n"},
        {u"a\tb c\u3000d", "a→b·c□d[EOF]\n"},
        {u"x\r\ny\nz\rw", "x␍␊\ny␊\nz␍\nw[EOF]\n"},
        {u"\r\r\n\n\r", "␍\n␍␊\n␊\n␍\n[EOF]\n"},
        {u"全角\u3000\u3000 \t\r\n", "全角□□·→␍␊\n[EOF]\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WithVisibleWhiteSpace(c.text), c.shown) << EscapeText(c.text);
    }
}

TEST(DocumentText, CountsChangedLinesByIndexWithTheirBreaks) {
    const struct {
        std::u16string before;
        std::u16string after;
        std::size_t changed;
    } cases[] = {
        {u"", u"", 0},
        {u"a\nb\nc", u"a\nb\nc", 0},
        {u"a\nb\nc", u"a\nB\nc", 1},
        {u"a\r\nb", u"a\nb", 1},
        {u"a\nb\n", u"a\nb", 1},
        {u"a\nb", u"a\nb\nc\nd", 3},
        {u"a\nb\n", u"a\nb\nc\nd", 2},
        {u"a\r\nb\r\n", u"", 2},
        {u"x\ry", u"x\ry", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CountChangedLines(c.before, c.after), c.changed)
            << EscapeText(c.before) << " / " << EscapeText(c.after);
    }
}

TEST(MenuKeys, ReachEachItemFromTheFirstOverSeparatorsAndIntoSubmenus) {
    using enum MenuKey;
    const struct {
        int id;
        std::vector<MenuKey> keys;
    } cases[] = {
        {6, {Home, Return}},
        {8, {Home, Down, Right, Return}},
        {14, {Home, Down, Right, Down, Return}},
        {1, {Home, Down, Down, Right, Return}},
        {12, {Home, Down, Down, Right, Down, Down, Down, Down, Return}},
        {13, {Home, Down, Down, Down, Right, Down, Down, Return}},
        {15, {Home, Down, Down, Down, Down, Right, Down, Down, Down, Return}},
        {0, {Home, Down, Down, Down, Down, Down, Return}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(KeysToChoose(Blankwise::ConversionMenu(), c.id), c.keys) << c.id;
    }
    for (int id = Blankwise::kFirstConversionId; id <= Blankwise::kLastConversionId; ++id) {
        EXPECT_TRUE(KeysToChoose(Blankwise::ConversionMenu(), id)) << id;
    }
    EXPECT_FALSE(KeysToChoose(Blankwise::ConversionMenu(), 16));
    EXPECT_FALSE(KeysToChoose(Blankwise::ConversionMenu(), -1));
}

TEST(HostProgramOptions, ReadsPositionsFromOneAndTheChoice) {
    const std::vector<std::string> arguments = {"--caret", "3:7",     "--anchor",  "1:1",    "--choose", "15",
                                                "--print", "doc.txt", "--visible", "--save", "out.txt"};
    const HostProgramOptions options = ParseHostProgramOptions(arguments);
    EXPECT_EQ(options.caret, (Position{6, 2}));
    EXPECT_EQ(options.anchor, (Position{0, 0}));
    EXPECT_EQ(options.choose, 15);
    EXPECT_FALSE(options.escape);
    EXPECT_TRUE(options.printAfter);
    EXPECT_TRUE(options.visible);
    EXPECT_EQ(options.documentPath, "doc.txt");
    EXPECT_EQ(options.savePath, "out.txt");
    EXPECT_EQ(options.Sections(), 1);
    EXPECT_EQ(FormatPosition(options.caret), "3:7");

    const HostProgramOptions defaults = ParseHostProgramOptions(std::vector<std::string>{"--escape", "d"});
    EXPECT_EQ(defaults.caret, (Position{0, 0}));
    EXPECT_FALSE(defaults.anchor);
    EXPECT_TRUE(defaults.RunsCommand());
}

TEST(HostProgramOptions, RefusesWhatItCannotRun) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"doc.txt"},
        {"--choose", "16", "doc.txt"},
        {"--choose", "-1", "doc.txt"},
        {"--choose", "6x", "doc.txt"},
        {"--choose", "6", "--escape", "doc.txt"},
        {"--choose", "6"},
        {"--caret", "0:1", "--print", "doc.txt"},
        {"--caret", "2", "--print", "doc.txt"},
        {"--anchor", "1:", "--print", "doc.txt"},
        {"--print", "doc.txt", "other.txt"},
        {"--print", "--frobnicate", "doc.txt"},
        {"--print", "doc.txt", "--save"},
        {"--choose", "6", "--stats", "--steps", "doc.txt"},
    };
    for (const auto& arguments : cases) {
        std::string joined;
        for (const std::string& argument : arguments) {
            joined += argument + " ";
        }
        EXPECT_THROW(ParseHostProgramOptions(arguments), UsageError) << joined;
    }
    EXPECT_NO_THROW(ParseHostProgramOptions(std::vector<std::string>{"--info"}));
    EXPECT_NO_THROW(ParseHostProgramOptions(
        std::vector<std::string>{"--choose-each", "1-15", "--stats", "--steps", "d"}));
}

}  // namespace
}  // namespace HostEmulator
