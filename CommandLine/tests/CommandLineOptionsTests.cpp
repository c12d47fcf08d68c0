#include "CommandLine/CommandLineOptions.h"

#include <gtest/gtest.h>

#include "CommandLine/ConversionNames.h"

namespace BlankwiseCli {
namespace {

using MyLibrary::Encoding;

std::variant<Options, UsageError> Parse(std::vector<std::string> args) {
    return ParseOptions(args);
}

TEST(ParseOptions, AcceptedCommandLines) {
    const struct {
        std::vector<std::string> args;
        Action action;
        int id;
        std::int32_t column;
        Encoding encoding;
        OutputMode mode;
        std::vector<std::string> files;
    } rows[] = {
        {{"--conversion", "tabs-to-spaces"},
         Action::Convert,
         6,
         0,
         Encoding::Utf8,
         OutputMode::StandardOutput,
         {}},
        {{"--conversion=5", "a.txt", "-"},
         Action::Convert,
         5,
         0,
         Encoding::Utf8,
         OutputMode::StandardOutput,
         {"a.txt", "-"}},
        {{"a", "-c", "15", "b", "--start-column", "7"},
         Action::Convert,
         15,
         7,
         Encoding::Utf8,
         OutputMode::StandardOutput,
         {"a", "b"}},
        {{"-c", "space-runs-to-tab", "-e", "cp932", "-i", "x"},
         Action::Convert,
         7,
         0,
         Encoding::Cp932,
         OutputMode::InPlace,
         {"x"}},
        {{"--check", "--encoding=UTF-16BE", "-c", "1"},
         Action::Convert,
         1,
         0,
         Encoding::Utf16Be,
         OutputMode::Check,
         {}},
        {{"-c", "6", "--start-column=2147483647", "--", "--check", "-"},
         Action::Convert,
         6,
         2147483647,
         Encoding::Utf8,
         OutputMode::StandardOutput,
         {"--check", "-"}},
        {{"--list"}, Action::List, 0, 0, Encoding::Utf8, OutputMode::StandardOutput, {}},
        {{"--version", "-c", "6"}, Action::Version, 6, 0, Encoding::Utf8, OutputMode::StandardOutput, {}},
        {{"-h", "--version"}, Action::Help, 0, 0, Encoding::Utf8, OutputMode::StandardOutput, {}},
    };
    for (const auto& row : rows) {
        const auto parsed = Parse(row.args);
        ASSERT_TRUE(std::holds_alternative<Options>(parsed))
            << row.args[0] << ": " << std::get<UsageError>(parsed).message;
        const Options& options = std::get<Options>(parsed);
        EXPECT_EQ(options.action, row.action) << row.args[0];
        EXPECT_EQ(options.conversionId, row.id) << row.args[0];
        EXPECT_EQ(options.startColumn, row.column) << row.args[0];
        EXPECT_EQ(options.encoding, row.encoding) << row.args[0];
        EXPECT_EQ(options.mode, row.mode) << row.args[0];
        EXPECT_EQ(options.files, row.files) << row.args[0];
    }
}

// getopt's spellings: a value attached to its short option or after '=', flags clustered, the
// first option that takes a value taking the rest of its argument; encodings by their other names.
TEST(ParseOptions, GetoptSpellingsMeanTheSameAsTheSpelledOutOnes) {
    const std::vector<std::string> spelledOut = {"--in-place", "--conversion", "6",
                                                 "--encoding", "cp932",        "f"};
    const Options expected = std::get<Options>(Parse(spelledOut));
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"-i", "-c6", "-ecp932", "f"},
             {"-ic6", "-e", "cp932", "f"},
             {"-ie", "cp932", "-c6", "f"},
             {"f", "-iecp932", "-c", "tabs-to-spaces"},
             {"--conversion=6", "--encoding=CP932", "--in-place", "f"},
             {"-c", "6", "-i", "-e", "sjis", "f"},
             {"-c", "6", "-i", "-e", "Shift_JIS", "f"},
             {"-c", "6", "-i", "-e", "SHIFT-JIS", "f"},
             {"-c", "6", "-i", "-e", "Windows-31J", "f"},
             {"-c", "6", "-i", "--encoding=ms932", "f"},
         }) {
        const auto parsed = Parse(args);
        ASSERT_TRUE(std::holds_alternative<Options>(parsed))
            << args[0] << ": " << std::get<UsageError>(parsed).message;
        const Options& options = std::get<Options>(parsed);
        EXPECT_EQ(options.conversionId, expected.conversionId) << args[0];
        EXPECT_EQ(options.encoding, expected.encoding) << args[0];
        EXPECT_EQ(options.mode, expected.mode) << args[0];
        EXPECT_EQ(options.files, expected.files) << args[0];
    }
    for (const char* name : {"utf8", "UTF8", "utf-8", "Utf-8"}) {
        const auto parsed = Parse({"-c", "6", "-e", name});
        ASSERT_TRUE(std::holds_alternative<Options>(parsed)) << name;
        EXPECT_EQ(std::get<Options>(parsed).encoding, Encoding::Utf8) << name;
    }
}

TEST(ParseOptions, RejectedCommandLinesSayWhy) {
    const struct {
        std::vector<std::string> args;
        std::string message;
    } rows[] = {
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"--bogus=1", "-c", "6"}, "unknown option '--bogus'"},
        {{"--list", "--bogus"}, "unknown option '--bogus'"},
        {{"-x", "-c", "6"}, "unknown option '-x'"},
        {{"-ci", "6"}, "unknown conversion 'i' (see --list)"},
        {{"-ix", "-c", "6"}, "unknown option '-x' in '-ix'"},
        {{"-i", "a", "-c"}, "option '-c' needs a value"},
        {{"-c", "tabs_to_spaces"}, "unknown conversion 'tabs_to_spaces' (see --list)"},
        {{"-c", "0"}, "unknown conversion '0' (see --list)"},
        {{"-c", "16"}, "unknown conversion '16' (see --list)"},
        {{"-c"}, "option '-c' needs a value"},
        {{"--check=yes", "-c", "6"}, "option '--check' takes no value"},
        {{"a.txt"}, "no conversion given: --conversion NAME or ID (see --list)"},
        {{"-c", "6", "--start-column", "-1"},
         "--start-column needs a whole number from 0 to 2147483647, not '-1'"},
        {{"-c", "6", "--start-column", "2147483648"},
         "--start-column needs a whole number from 0 to 2147483647, not '2147483648'"},
        {{"-c", "6", "--start-column", "3x"},
         "--start-column needs a whole number from 0 to 2147483647, not '3x'"},
        {{"-c", "6", "-e", "latin1"},
         "unknown encoding 'latin1' (utf-8, utf-16le, utf-16be or cp932; see --help for other names)"},
        {{"-c", "6", "-t", "0"}, "--tabs needs a whole number from 1 to 1000, not '0'"},
        {{"-c", "6", "--tabs=1001"}, "--tabs needs a whole number from 1 to 1000, not '1001'"},
        {{"-c6", "-tx"}, "--tabs needs a whole number from 1 to 1000, not 'x'"},
        {{"-c6", "--threads", "5"}, "--threads needs a whole number from 1 to 4, not '5'"},
        {{"-c", "6", "--initial=1"}, "option '--initial' takes no value"},
        {{"-c", "6", "--widths", "utf8"}, "--widths needs cp932 or unicode, not 'utf8'"},
        {{"-c", "6", "--widths=unicode", "--ambiguous-width=3"}, "--ambiguous-width needs 1 or 2, not '3'"},
        {{"-c", "6", "--ambiguous-width", "2"},
         "--ambiguous-width needs --widths unicode: code page 932 fixes those widths"},
        {{"-c", "6", "-i", "--check", "a"}, "--in-place and --check exclude each other"},
        {{"-c", "6", "-i"}, "--in-place needs files to rewrite"},
        {{"-c", "6", "-i", "a", "-"}, "--in-place cannot rewrite standard input"},
    };
    for (const auto& row : rows) {
        const auto parsed = Parse(row.args);
        ASSERT_TRUE(std::holds_alternative<UsageError>(parsed)) << row.args[0];
        EXPECT_EQ(std::get<UsageError>(parsed).message, row.message);
    }
}

TEST(ConversionNames, EachIdHasOneNameThatLeadsBackToIt) {
    for (int id = 1; id <= 15; ++id) {
        const std::string_view name = ConversionName(id);
        ASSERT_FALSE(name.empty()) << id;
        EXPECT_EQ(ConversionIdFromName(name), id) << name;
        EXPECT_EQ(ConversionIdFromName(std::to_string(id)), id);
    }
    EXPECT_EQ(ConversionName(6), "tabs-to-spaces");
    EXPECT_EQ(ConversionName(5), "spaces-to-tabs");
    EXPECT_EQ(ConversionName(7), "space-runs-to-tab");
    EXPECT_EQ(ConversionName(15), "delete-all-spaces");
    EXPECT_TRUE(ConversionName(0).empty());
    EXPECT_TRUE(ConversionName(16).empty());
}

}  // namespace
}  // namespace BlankwiseCli
