#include <gtest/gtest.h>

#include "CommandLine/Program/CommandLineOptions.h"
#include "CommandLine/Program/EditorConfig.h"
#include "CommandLine/tests/TestSupport.h"
#include "MyLibrary/Encoding/TextCodec.h"

namespace BlankwiseCli {
namespace {

using Testing::Encoded;
using Testing::ReadFile;
using Testing::RunResult;
using Testing::RunTool;
using Testing::TemporaryFolder;
using Testing::Utf8Path;
using Testing::WriteFile;

// What charset does to a file with an indent_style, in each output mode: the file converted in the
// encoding it names, or refused and left as it is (standard output still gets its bytes), as is a
// file whose .editorconfig does not parse.
TEST(EditorConfig, CharsetChoosesTheEncodingOrRefusesTheFile) {
    if (!EditorConfigAvailable()) {
        GTEST_SKIP() << "this build has no libeditorconfig";
    }
    using MyLibrary::Encoding;
    const std::string mark(MyLibrary::ByteOrderMark(Encoding::Utf8));

    const struct {
        std::string properties;  // below [*] with indent_style = space, indent_size = 2
        std::vector<std::string> args;
        std::string before;
        std::string after;
        int status;
        std::string error;
    } rows[] = {
        {"charset = utf-8", {}, "\t\u3000x\n", "  \u3000x\n", kExitSuccess, ""},
        {"charset = UTF-8-BOM", {}, mark + "\tx\n", mark + "  x\n", kExitSuccess, ""},
        {"charset = utf-8-bom", {}, "", "", kExitSuccess, ""},
        {"charset = utf-8-bom",
         {},
         "\tx\n",
         "\tx\n",
         kExitError,
         "charset utf-8-bom (.editorconfig) asks for a byte order mark, which it lacks; left as it is"},
        {"charset = utf-16le",
         {},
         Encoded(Encoding::Utf16Le, u"\tx\n"),
         Encoded(Encoding::Utf16Le, u"  x\n"),
         kExitSuccess,
         ""},
        {"charset = utf-16be",
         {},
         Encoded(Encoding::Utf16Be, u"\tx\n"),
         Encoded(Encoding::Utf16Be, u"  x\n"),
         kExitSuccess,
         ""},
        {"charset = utf-16le", {"-e", "utf-8"}, "\tx\n", "  x\n", kExitSuccess, ""},
        {"charset = latin1",
         {},
         "\t\xE9\n",
         "\t\xE9\n",
         kExitError,
         "charset latin1 (.editorconfig) is not supported; left as it is"},
        {"charset = koi8-r",
         {},
         "\tx\n",
         "\tx\n",
         kExitError,
         "charset koi8-r (.editorconfig) is not supported; left as it is"},
        {"[broken", {}, "\tx\n", "\tx\n", kExitError, "does not parse as EditorConfig"},
    };
    for (const auto& row : rows) {
        TemporaryFolder folder;
        WriteFile(folder.Path() / ".editorconfig",
                  "root = true\n[*]\nindent_style = space\nindent_size = 2\n" + row.properties + "\n");
        const std::string file = Utf8Path(folder.Path() / "f.txt");
        for (const std::string_view mode : {"", "--check", "--in-place"}) {
            WriteFile(file, row.before);
            std::vector<std::string> args = row.args;
            args.insert(args.end(), {"--editorconfig", file});
            if (!mode.empty()) {
                args.emplace_back(mode);
            }
            const RunResult result = RunTool(args);
            const bool listed = mode == "--check" && row.status == kExitSuccess && row.before != row.after;
            EXPECT_EQ(result.status, listed ? kExitWouldChange : row.status) << row.properties << " " << mode;
            EXPECT_EQ(result.output, mode.empty() ? row.after : "") << row.properties << " " << mode;
            EXPECT_EQ(result.messages, listed ? file + "\n" : "") << row.properties;
            EXPECT_EQ(ReadFile(file), mode == "--in-place" ? row.after : row.before) << row.properties;
            EXPECT_NE(result.errors.find(row.error), std::string::npos)
                << row.properties << ": " << result.errors;
            EXPECT_EQ(row.error.empty(), result.errors.empty()) << row.properties << ": " << result.errors;
        }
    }
}

// --editorconfig's refusals. A build without libeditorconfig refuses the option itself, first.
TEST(EditorConfig, RefusedCommandLinesSayWhy) {
    const std::string unavailable =
        "--editorconfig is not available: this build has no libeditorconfig (the Windows builds have none)";
    const struct {
        std::vector<std::string> args;
        std::string message;
    } rows[] = {
        {{"--editorconfig", "-c6", "f"},
         "--conversion and --editorconfig exclude each other: each file's .editorconfig gives its "
         "conversion"},
        {{"--editorconfig", "-t4", "f"},
         "--tabs and --editorconfig exclude each other: each file's .editorconfig gives its tab stops"},
        {{"--editorconfig"},
         "--editorconfig needs --assume-filename NAME for standard input: the .editorconfig sections that "
         "match NAME apply"},
        {{"--editorconfig", "f", "-"},
         "--editorconfig needs --assume-filename NAME for standard input: the .editorconfig sections that "
         "match NAME apply"},
        {{"-c6", "--assume-filename", "x.py"},
         "--assume-filename names standard input for --editorconfig, and there is no --editorconfig"},
    };
    for (const auto& row : rows) {
        const RunResult result = RunTool(row.args);
        const bool asksForIt = row.args[0] == "--editorconfig";
        EXPECT_EQ(result.status, kExitError);
        EXPECT_EQ(result.errors.substr(0, result.errors.find('\n')),
                  "blankwise: " + (asksForIt && !EditorConfigAvailable() ? unavailable : row.message));
    }
}

}  // namespace
}  // namespace BlankwiseCli
