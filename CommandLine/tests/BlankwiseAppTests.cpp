#include "CommandLine/Program/BlankwiseApp.h"

#include <gtest/gtest.h>

#include "CommandLine/tests/TestSupport.h"

namespace BlankwiseCli {
namespace {

using Testing::MemorySink;
using Testing::MemorySource;
using Testing::MemoryText;
using Testing::ReadFile;
using Testing::RunResult;
using Testing::RunTool;
using Testing::TemporaryFolder;
using Testing::Utf8Path;
using Testing::WriteFile;
namespace fs = std::filesystem;

void MakeReadOnly(const fs::path& path) {
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
}

class Files : public testing::Test {
  protected:
    std::string File(const std::string& name, std::string_view bytes) {
        WriteFile(folder_.Path() / fs::u8path(name), bytes);
        return Utf8Path(folder_.Path() / fs::u8path(name));
    }

    TemporaryFolder folder_;
};

TEST_F(Files, ConvertsEachInputInTurnToStandardOutput) {
    const std::string a = File("a.txt", "\ta\n");
    const std::string b = File("b.txt", "ab\tb");
    const RunResult result = RunTool({"-c", "tabs-to-spaces", a, "-", b, "--start-column", "1"}, "\tin\n");
    EXPECT_EQ(result.status, kExitSuccess);
    // The start column applies to the first line of each input.
    EXPECT_EQ(result.output, "   a\n   in\nab b");
    EXPECT_EQ(result.errors, "");
}

TEST_F(Files, UnreadableInputsAreReportedAndTheOthersStillConverted) {
    const std::string missing = Utf8Path(folder_.Path() / "missing.txt");
    const std::string folder = Utf8Path(folder_.Path());
    const std::string good = File("good.txt", "x\ty");
    const RunResult result = RunTool({"-c", "6", missing, folder, good});
    EXPECT_EQ(result.status, kExitError);
    EXPECT_EQ(result.output, "x   y");
    EXPECT_EQ(result.errors.find("blankwise: " + missing + ": cannot open: "), 0u) << result.errors;
    EXPECT_NE(result.errors.find("blankwise: " + folder + ": is a directory\n"), std::string::npos)
        << result.errors;
}

TEST_F(Files, InvalidInputNamesTheFileAndOffset) {
    const std::string bad = File("bad.txt", "ok\n\x81\x40\x85\x40");
    const RunResult result = RunTool({"-c", "6", "-e", "cp932", bad});
    EXPECT_EQ(result.status, kExitError);
    EXPECT_EQ(result.errors, "blankwise: " + bad + ": bytes not valid in cp932 at byte offset 5\n");
    const RunResult fromInput = RunTool({"-c", "6"}, "a\xC3");
    EXPECT_EQ(fromInput.errors, "blankwise: standard input: bytes not valid in utf-8 at byte offset 1\n");
}

TEST_F(Files, CheckListsTheInputsThatWouldChangeAndWritesNothingElse) {
    const std::string changes = File("changes.txt", "a\n\tb\n");
    const std::string stays = File("stays.txt", "a\n    b\n");
    const std::string bad = File("bad.txt", "\t\xFF");

    const RunResult some = RunTool({"--check", "-c", "6", changes, stays, "-"}, "\t");
    EXPECT_EQ(some.status, kExitWouldChange);
    EXPECT_EQ(some.messages, changes + "\n-\n");
    EXPECT_EQ(some.output, "");

    const RunResult none = RunTool({"--check", "-c", "6", stays});
    EXPECT_EQ(none.status, kExitSuccess);
    EXPECT_EQ(none.messages, "");

    // An error outranks a change, and an input that could not be read is not listed.
    const RunResult withError = RunTool({"--check", "-c", "6", changes, bad});
    EXPECT_EQ(withError.status, kExitError);
    EXPECT_EQ(withError.messages, changes + "\n");
    EXPECT_EQ(ReadFile(changes), "a\n\tb\n");
}

// The k-th --label names the k-th input, whether or not an input before it could be read.
TEST_F(Files, DiffLabelsNameTheInputsInOrder) {
    const std::string missing = Utf8Path(folder_.Path() / "missing.txt");
    const std::string b = File("b.txt", "\tb\n");
    const RunResult result =
        RunTool({"-c6", "--diff", "--label", "x", missing, "--label", "src/in.txt", "-", b}, "\tin\n");
    EXPECT_EQ(result.status, kExitError);
    EXPECT_EQ(result.output.find("--- a/src/in.txt\n+++ b/src/in.txt\n@@ "), 0u) << result.output;
    // The third input, without a label of its own, keeps its name.
    EXPECT_NE(result.output.find("b.txt\n@@ "), std::string::npos) << result.output;
    EXPECT_EQ(result.output.find("a/x\n"), std::string::npos) << result.output;
}

TEST_F(Files, InPlaceKeepsEncodingByteOrderMarkAndLineBreaks) {
    const struct {
        const char* name;
        const char* encoding;
        std::string before;
        std::string after;
    } rows[] = {
        {"utf-8 with mark and CR LF", "utf-8",
         "\xEF\xBB\xBF"
         "a\tb\r\n\tc\r\n",
         "\xEF\xBB\xBF"
         "a   b\r\n    c\r\n"},
        {"utf-16le with mark", "utf-8", std::string("\xFF\xFE\t\0\r\0\n\0", 8),
         std::string("\xFF\xFE \0 \0 \0 \0\r\0\n\0", 14)},
        {"utf-16be without mark", "utf-16be", std::string("\0a\0\t\0\r", 6),
         std::string("\0a\0 \0 \0 \0\r", 10)},
        {"cp932 with CR and LF", "cp932", "\x8A\xBF\t\r\xB1\t\n", "\x8A\xBF  \r\xB1   \n"},
    };
    for (const auto& row : rows) {
        const std::string file = File("file.txt", row.before);
        const RunResult result = RunTool({"-i", "-c", "6", "-e", row.encoding, file});
        EXPECT_EQ(result.status, kExitSuccess) << row.name << ": " << result.errors;
        EXPECT_EQ(ReadFile(file), row.after) << row.name;
        EXPECT_EQ(result.output, "") << row.name;
        EXPECT_EQ(folder_.Entries(), std::vector<std::string>{"file.txt"}) << row.name;
    }
}

TEST_F(Files, InPlaceRewritesAFileWithAJapaneseName) {
    const std::string file = File("\xE7\xA9\xBA\xE7\x99\xBD.txt", "a  b\n");  // 空白.txt
    const RunResult result = RunTool({"--in-place", "-c", "two-spaces-to-fullwidth", file});
    EXPECT_EQ(result.status, kExitSuccess) << result.errors;
    EXPECT_EQ(ReadFile(fs::u8path(file)),
              "a\xE3\x80\x80"
              "b\n");
}

// A file that does not change is never written: not even a read-only one is an error.
TEST_F(Files, InPlaceLeavesAnUnchangedFileUntouched) {
    const std::string file = File("same.txt", "no tabs here\n");
    MakeReadOnly(fs::u8path(file));
    const RunResult result = RunTool({"-i", "-c", "6", file});
    EXPECT_EQ(result.status, kExitSuccess) << result.errors;
    EXPECT_EQ(ReadFile(file), "no tabs here\n");
    EXPECT_EQ(folder_.Entries(), std::vector<std::string>{"same.txt"});
}

// A code page 932 file with characters read from their second code (0xED40 for U+7E8A, which
// Windows writes as 0xFA5C) needs no change when no line changes: --check passes it, and --in-place
// leaves it alone even when it is read-only. Once a line changes, only that line's codes change.
TEST_F(Files, Cp932CharactersWithASecondCodeChangeOnlyInChangedLines) {
    const std::string same = File("same.txt", "\xED\x40 \x87\x90\n\xEE\xFC\n");
    MakeReadOnly(fs::u8path(same));
    const RunResult check = RunTool({"--check", "-c", "6", "-e", "cp932", same});
    EXPECT_EQ(check.status, kExitSuccess) << check.errors;
    EXPECT_EQ(check.messages, "");
    const RunResult inPlace = RunTool({"-i", "-c", "6", "-e", "cp932", same});
    EXPECT_EQ(inPlace.status, kExitSuccess) << inPlace.errors;
    EXPECT_EQ(ReadFile(same), "\xED\x40 \x87\x90\n\xEE\xFC\n");

    const std::string changes = File("changes.txt", "\xED\x40\t\x87\x90\n\xEE\xFC\n");
    const RunResult rewrite = RunTool({"-i", "-c", "6", "-e", "cp932", changes});
    EXPECT_EQ(rewrite.status, kExitSuccess) << rewrite.errors;
    EXPECT_EQ(ReadFile(changes), "\xFA\x5C  \x81\xE0\n\xEE\xFC\n");
}

TEST_F(Files, InPlaceRefusesAReadOnlyFileThatWouldChange) {
    const std::string file = File("locked.txt", "a\tb\n");
    const std::string other = File("other.txt", "\t\n");
    MakeReadOnly(fs::u8path(file));
    const RunResult result = RunTool({"-i", "-c", "6", file, other});
    EXPECT_EQ(result.status, kExitError);
    EXPECT_EQ(result.errors, "blankwise: " + file + ": the file is read-only\n");
    EXPECT_EQ(ReadFile(file), "a\tb\n");
    EXPECT_EQ(ReadFile(other), "    \n");
    EXPECT_EQ(folder_.Entries(), (std::vector<std::string>{"locked.txt", "other.txt"}));
}

// The replacement is written far past the first change before the invalid byte is met; the file
// stays as it was and the replacement goes.
TEST_F(Files, InPlaceLeavesTheFileAsItWasOnInvalidInput) {
    std::string before = "\tfirst line changes\n";
    while (before.size() < 300000) {
        before += "\tmore text to convert\n";
    }
    const std::size_t badOffset = before.size();
    before += "\xC0\xAF tail\n";
    const std::string file = File("long.txt", before);
    const RunResult result = RunTool({"-i", "-c", "6", file});
    EXPECT_EQ(result.status, kExitError);
    EXPECT_EQ(result.errors, "blankwise: " + file + ": bytes not valid in utf-8 at byte offset " +
                                 std::to_string(badOffset) + "; the file is left as it was\n");
    EXPECT_EQ(ReadFile(file), before);
    EXPECT_EQ(folder_.Entries(), std::vector<std::string>{"long.txt"});
}

// A file's diff is written once the whole file has converted: a file found invalid after more
// changes than the diff holds in memory writes none, and the next file's diff comes whole, each
// run of changed lines as diff -u writes it, the old lines before the new.
TEST_F(Files, DiffOfAFileThatTurnsOutInvalidWritesNothing) {
    std::string lines;
    std::string removed;
    std::string added;
    for (int i = 0; i < 200000; ++i) {
        lines += "\tx\n";
        removed += "-\tx\n";
        added += "+    x\n";
    }
    const std::string bad = File("bad.txt", lines + "\xFF\n");
    const std::string good = File("good.txt", lines);
    const RunResult result = RunTool({"--diff", "-c", "6", bad, good});
    EXPECT_EQ(result.status, kExitError);
    EXPECT_EQ(result.errors, "blankwise: " + bad + ": bytes not valid in utf-8 at byte offset 600000\n");
    EXPECT_EQ(result.output.find("bad.txt"), std::string::npos);
    const std::size_t hunk = result.output.find("\n@@ ");
    ASSERT_NE(hunk, std::string::npos);
    EXPECT_NE(result.output.substr(0, hunk).find("good.txt"), std::string::npos);
    EXPECT_TRUE(result.output.substr(hunk + 1) == "@@ -1,200000 +1,200000 @@\n" + removed + added);
}

// A byte order mark selects its encoding whatever --encoding says: UTF-16 read as code page 932
// would get two 0x20 bytes for each tab.
TEST_F(Files, AByteOrderMarkWinsOverTheEncodingAskedFor) {
    const auto utf16 = [](std::string_view ascii, bool bigEndian) {
        std::string out;
        for (const char c : ascii) {
            out += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
        }
        return out;
    };
    const struct {
        const char* name;
        std::string before;
        std::string after;
    } rows[] = {
        {"utf-16le", "\xFF\xFE" + utf16("int\tx;\r\n\tint y;\r\n", false),
         "\xFF\xFE" + utf16("int x;\r\n    int y;\r\n", false)},
        {"utf-16be", "\xFE\xFF" + utf16("int\tx;\r\n\tint y;\r\n", true),
         "\xFE\xFF" + utf16("int x;\r\n    int y;\r\n", true)},
        {"utf-8", "\xEF\xBB\xBF\xE3\x80\x80\tx\n", "\xEF\xBB\xBF\xE3\x80\x80  x\n"},
    };
    for (const auto& row : rows) {
        for (const char* encoding : {"cp932", "utf-8", "utf-16le", "utf-16be"}) {
            const std::string file = File("marked.txt", row.before);
            const RunResult result = RunTool({"-c", "tabs-to-spaces", "-e", encoding, "--in-place", file});
            EXPECT_EQ(result.status, kExitSuccess) << row.name << " as " << encoding << ": " << result.errors;
            EXPECT_EQ(ReadFile(file), row.after) << row.name << " as " << encoding;
        }
    }
}

// The temporary file's name is shortened where the file's own name leaves no room for its suffix.
TEST_F(Files, InPlaceRewritesAFileWhoseNameIsAsLongAsNamesMayBe) {
    std::vector<std::string> names = {std::string(251, 'n') + ".txt", std::string(234, 'n') + ".txt"};
#if !defined(_WIN32)
    std::string japanese;  // 80 characters of three bytes: 240 bytes, 244 with ".txt"
    for (int i = 0; i < 80; ++i) {
        japanese += "\xE7\xA9\xBA";  // 空
    }
    names.push_back(japanese + ".txt");
    names.push_back(japanese.substr(0, 249) + "\xE7\xA9\xBA.t");  // 254 bytes, a cut inside a character
#endif
    for (const std::string& name : names) {
        const std::string file = File(name, "\tx\n");
        const RunResult result = RunTool({"-i", "-c", "6", file});
        EXPECT_EQ(result.status, kExitSuccess) << name.size() << ": " << result.errors;
        EXPECT_EQ(ReadFile(fs::u8path(file)), "    x\n") << name.size();
        EXPECT_EQ(folder_.Entries(), std::vector<std::string>{name}) << name.size();
        fs::remove(fs::u8path(file));
    }
}

// Replacing a file with hard links would split them: such a file is refused when it would change.
TEST_F(Files, InPlaceRefusesAFileWithHardLinksThatWouldChange) {
    const std::string file = File("a.txt", "\tx\n");
    const std::string same = File("same.txt", "x\n");
    std::error_code error;
    fs::create_hard_link(fs::u8path(file), folder_.Path() / "b.txt", error);
    fs::create_hard_link(fs::u8path(same), folder_.Path() / "same-link.txt", error);
    if (error) {
        GTEST_SKIP() << "no hard links here: " << error.message();
    }
    const RunResult result = RunTool({"-i", "-c", "6", file, same});
    EXPECT_EQ(result.status, kExitError);
    EXPECT_EQ(result.errors,
              "blankwise: " + file +
                  ": it has 2 hard links, which replacing it would split (the other names would "
                  "keep the old text); left as it was\n");
    EXPECT_EQ(ReadFile(file), "\tx\n");
    EXPECT_EQ(ReadFile(folder_.Path() / "b.txt"), "\tx\n");
    EXPECT_EQ(folder_.Entries(), (std::vector<std::string>{"a.txt", "b.txt", "same-link.txt", "same.txt"}));
}

#if !defined(_WIN32)
TEST_F(Files, InPlaceThroughASymbolicLinkRewritesItsTarget) {
    const std::string target = File("target.txt", "\tx\n");
    fs::create_symlink("target.txt", folder_.Path() / "link.txt");
    const RunResult result = RunTool({"-i", "-c", "6", Utf8Path(folder_.Path() / "link.txt")});
    EXPECT_EQ(result.status, kExitSuccess) << result.errors;
    EXPECT_TRUE(fs::is_symlink(folder_.Path() / "link.txt"));
    EXPECT_EQ(ReadFile(target), "    x\n");
}
#endif

TEST(Program, UsageErrorsPrintOneLineAndTheUsage) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--nope"}, {"-c", "nope"}, {"--encoding", "latin1", "-c", "6"}, {}}) {
        const RunResult result = RunTool(args);
        EXPECT_EQ(result.status, kExitError);
        const std::size_t usage = result.errors.find("\nUsage: blankwise [OPTIONS] [FILE...]\n");
        ASSERT_NE(usage, std::string::npos) << result.errors;
        EXPECT_EQ(result.errors.find("blankwise: "), 0u);
        EXPECT_EQ(result.errors.find('\n'), usage) << "one line before the usage";
        EXPECT_EQ(result.output + result.messages, "");
    }
}

TEST(Program, VersionListAndHelp) {
    EXPECT_EQ(RunTool({"--version"}).messages, "blankwise 1.4.3\n");

    const RunResult list = RunTool({"--list"});
    EXPECT_EQ(list.status, kExitSuccess);
    EXPECT_EQ(std::count(list.messages.begin(), list.messages.end(), '\n'), 15);
    EXPECT_NE(list.messages.find(" 6  tabs-to-spaces           \xE3\x82\xBF\xE3\x83\x96\xE3\x82\x92"),
              std::string::npos)
        << list.messages;  // タブを...
    EXPECT_NE(list.messages.find("15  delete-all-spaces"), std::string::npos);

    const std::string help = RunTool({"--help"}).messages;
    for (const char* text : {"--conversion", "--list", "--start-column", "--encoding", "--in-place",
                             "--check", "--version", "Examples:", "Exit status", "0xED40"}) {
        EXPECT_NE(help.find(text), std::string::npos) << text;
    }
}

}  // namespace
}  // namespace BlankwiseCli
