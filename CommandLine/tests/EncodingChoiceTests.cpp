#include <gtest/gtest.h>

#include "CommandLine/tests/TestSupport.h"

namespace BlankwiseCli {
namespace {

using MyLibrary::Encoding;
using Testing::Encoded;
using Testing::ReadFile;
using Testing::RunResult;
using Testing::RunTool;
using Testing::TemporaryFolder;
using Testing::Utf8Path;
using Testing::WriteFile;

// A file in each encoding, longer than the guess reads ahead of a pipe, converts with --encoding
// auto from the file, from standard input and in place as it does with its encoding named.
TEST(EncodingChoice, AutoConvertsEachInputAsItsEncodingNamedWould) {
    static constexpr char16_t kUnits[] = {u'あ', u'ア', u'漢', u'弌',     u'ｱ', u'a',
                                          u' ',  u' ',  u'\t', u'\u3000', u'\n'};
    Testing::RandomTexts random(7);
    TemporaryFolder folder;
    for (const Encoding encoding : {Encoding::Utf8, Encoding::Utf16Le, Encoding::Utf16Be, Encoding::Cp932,
                                    Encoding::EucJp, Encoding::Iso2022Jp}) {
        const std::string name(MyLibrary::EncodingName(encoding));
        std::u16string text;
        while (text.size() < 40000) {
            text += kUnits[random.Between(0, std::size(kUnits) - 1)];
        }
        const std::string bytes = Encoded(encoding, text);
        const std::string path = Utf8Path(folder.Path() / (name + ".txt"));
        WriteFile(path, bytes);

        const RunResult named = RunTool({"-c", "6", "-e", name, path});
        ASSERT_EQ(named.status, kExitSuccess) << name << named.errors;
        const RunResult guessed = RunTool({"-c", "6", "-e", "auto", "--verbose", path});
        EXPECT_EQ(guessed.output, named.output) << name;
        EXPECT_EQ(guessed.errors, "blankwise: " + path + ": " + name + " (guessed)\n");
        const RunResult piped = RunTool({"-c", "6", "-e", "auto"}, bytes);
        EXPECT_EQ(piped.output, named.output) << name;
        EXPECT_EQ(RunTool({"-c", "6", "-e", "AUTO", "-i", path}).status, kExitSuccess) << name;
        EXPECT_EQ(ReadFile(path), named.output) << name;
    }
}

// A file is guessed from all its bytes, so Japanese text after a long ASCII start counts; a pipe is
// guessed from its start, and bytes after it that contradict the guess are an error, not a success.
TEST(EncodingChoice, FilesAreGuessedWholeAndPipesFromTheirStart) {
    const std::string asciiStart(70000, 'a');
    const std::string cp932 = asciiStart + "\n\x82\xA0\t\x8A\xBF\n";
    TemporaryFolder folder;
    const std::string path = Utf8Path(folder.Path() / "late.txt");
    WriteFile(path, cp932);
    const RunResult named = RunTool({"-c", "6", "-e", "cp932", path});
    EXPECT_EQ(RunTool({"-c", "6", "-e", "auto", path}).output, named.output);

    const RunResult piped = RunTool({"-c", "6", "-e", "auto"}, cp932);
    EXPECT_EQ(piped.status, kExitError);
    EXPECT_EQ(piped.errors, "blankwise: standard input: bytes not valid in utf-8 at byte offset 70001\n");

    const std::string invalid = "\t\x82\x20";
    WriteFile(path, invalid);
    const RunResult none = RunTool({"-c", "6", "-e", "auto", "-i", path});
    EXPECT_EQ(none.status, kExitError);
    EXPECT_EQ(none.errors, "blankwise: " + path +
                               ": bytes not valid in any encoding tried (utf-8, iso-2022-jp, cp932, euc-jp, "
                               "utf-16le, utf-16be); the file is left as it was\n");
    EXPECT_EQ(ReadFile(path), invalid);
}

}  // namespace
}  // namespace BlankwiseCli
