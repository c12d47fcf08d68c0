#include "CommandLine/Program/CommandLineOptions.h"

#include <gtest/gtest.h>

#include "CommandLine/Program/ConversionNames.h"

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
             {"--in-p", "--conv=6", "--enc", "CP932", "f"},
             {"-ic", "Tabs-To-Spaces", "-eCp932", "--", "f"},
             {"f", "--conv", "6", "-ie", "sjis"},
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
    const auto unicode = Parse({"-c6", "--wid=Unicode", "--amb", "2", "--diff", "--lab", "x.txt", "-"});
    ASSERT_TRUE(std::holds_alternative<Options>(unicode)) << std::get<UsageError>(unicode).message;
    EXPECT_EQ(std::get<Options>(unicode).widths, Widths::Unicode);
    EXPECT_EQ(std::get<Options>(unicode).ambiguousColumns, 2u);
    EXPECT_EQ(std::get<Options>(unicode).labels, std::vector<std::string>{"x.txt"});
    for (const char* name : {"utf8", "UTF8", "utf-8", "Utf-8"}) {
        const auto parsed = Parse({"-c", "6", "-e", name});
        ASSERT_TRUE(std::holds_alternative<Options>(parsed)) << name;
        EXPECT_EQ(std::get<Options>(parsed).encoding, Encoding::Utf8) << name;
    }
}

// Tab stop lists as GNU expand reads them: commas or blanks between the entries, several -t adding
// up, a single stop (or a repeat alone) meaning a stop every so many columns.
TEST(ParseOptions, TabStopListsAddUpAsGnuExpandReadsThem) {
    using Blankwise::TabStops;
    using Beyond = TabStops::Beyond;
    const struct {
        std::vector<std::string> args;
        TabStops stops;
    } rows[] = {
        {{}, TabStops::Every(4)},
        {{"-t", ""}, TabStops::Every(4)},
        {{"-t8"}, TabStops::Every(8)},
        {{"--tabs=/8"}, TabStops::Every(8)},
        {{"-t", "+8"}, TabStops::Every(8)},
        {{"-t", "100000000"}, TabStops::Every(100000000)},
        {{"-t", "4,8,12"}, TabStops::List({4, 8, 12}, Beyond::NoStops, 0)},
        {{"-t", "4 8", "--tabs", "12"}, TabStops::List({4, 8, 12}, Beyond::NoStops, 0)},
        {{"-t", ",3,,\t5,"}, TabStops::List({3, 5}, Beyond::NoStops, 0)},
        {{"-t", "3,/4"}, TabStops::List({3}, Beyond::Multiples, 4)},
        {{"--tab=3,+004"}, TabStops::List({3}, Beyond::FromLastStop, 4)},
        {{"-t", "/3", "-t", "5"}, TabStops::List({5}, Beyond::Multiples, 3)},
    };
    for (const auto& row : rows) {
        std::vector<std::string> args = {"-c6"};
        args.insert(args.end(), row.args.begin(), row.args.end());
        const auto parsed = Parse(args);
        ASSERT_TRUE(std::holds_alternative<Options>(parsed)) << std::get<UsageError>(parsed).message;
        EXPECT_TRUE(std::get<Options>(parsed).tabStops == row.stops) << testing::PrintToString(row.args);
    }
}

TEST(ParseOptions, RejectedCommandLinesSayWhy) {
    const struct {
        std::vector<std::string> args;
        std::string message;
    } rows[] = {
        {{"--bogus"}, "unrecognized option '--bogus'"},
        {{"--bogus=1", "-c", "6"}, "unrecognized option '--bogus=1'"},
        {{"--list", "--bogus"}, "unrecognized option '--bogus'"},
        {{"-x", "-c", "6"}, "invalid option -- 'x'"},
        {{"-ci", "6"}, "unknown conversion 'i' (see --list)"},
        {{"-ix", "-c", "6"}, "invalid option -- 'x'"},
        {{"--check", "-xi", "-c6"}, "invalid option -- 'x'"},
        {{"-i", "a", "-c"}, "option requires an argument -- 'c'"},
        {{"-c6", "--tabs"}, "option '--tabs' requires an argument"},
        {{"-c6", "--ta"}, "option '--tabs' requires an argument"},
        {{"-c6", "--in"}, "option '--in' is ambiguous; possibilities: '--in-place' '--initial'"},
        {{"-c6", "--t=4"}, "option '--t=4' is ambiguous; possibilities: '--tabs' '--threads'"},
        {{"-c6", "--ini=1"}, "option '--initial' doesn't allow an argument"},
        {{"--", "-c6"}, "no conversion given: --conversion NAME or ID (see --list)"},
        {{"-c", "tabs_to_spaces"}, "unknown conversion 'tabs_to_spaces' (see --list)"},
        {{"-c", "0"}, "unknown conversion '0' (see --list)"},
        {{"-c", "16"}, "unknown conversion '16' (see --list)"},
        {{"-c"}, "option requires an argument -- 'c'"},
        {{"--check=yes", "-c", "6"}, "option '--check' doesn't allow an argument"},
        {{"a.txt"}, "no conversion given: --conversion NAME or ID (see --list)"},
        {{"-c", "6", "--start-column", "-1"},
         "--start-column needs a whole number from 0 to 2147483647, not '-1'"},
        {{"-c", "6", "--start-column", "2147483648"},
         "--start-column needs a whole number from 0 to 2147483647, not '2147483648'"},
        {{"-c", "6", "--start-column", "3x"},
         "--start-column needs a whole number from 0 to 2147483647, not '3x'"},
        {{"-c", "6", "-e", "latin1"},
         "unknown encoding 'latin1' (utf-8, utf-16le, utf-16be, cp932, euc-jp, iso-2022-jp or auto; see "
         "--help for other "
         "names)"},
        {{"-c", "6", "-t", "0"}, "tab size cannot be 0"},
        {{"-c", "6", "--tabs=100000001"}, "tab stop is too large '100000001'"},
        {{"-c6", "-t", "4,99999999999999999999999"}, "tab stop is too large '99999999999999999999999'"},
        {{"-c6", "-tx"}, "tab size contains invalid character(s): 'x'"},
        {{"-c6", "-t", "4,-8"}, "tab size contains invalid character(s): '-8'"},
        {{"-c6", "-t", "2,0,4"}, "tab size cannot be 0"},
        {{"-c6", "-t", "4,/0"}, "tab size cannot be 0"},
        {{"-c6", "-t", "4,4"}, "tab sizes must be ascending"},
        {{"-c6", "-t", "4,8", "-t", "6"}, "tab sizes must be ascending"},
        {{"-c6", "-t", "/3,6"}, "'/' specifier only allowed with the last value"},
        {{"-c6", "-t", "+3 6"}, "'+' specifier only allowed with the last value"},
        {{"-c6", "-t", "/3", "-t", "/4"}, "'/' specifier only allowed with the last value"},
        {{"-c6", "-t", "2,/3", "-t", "+4"}, "'/' specifier is mutually exclusive with '+'"},
        {{"-c6", "-t", "3/4"}, "'/' specifier not at start of number: '/4'"},
        {{"-c6", "--threads", "5"}, "--threads needs a whole number from 1 to 4, not '5'"},
        {{"-c", "6", "--initial=1"}, "option '--initial' doesn't allow an argument"},
        {{"-c", "6", "--widths", "utf8"}, "--widths needs cp932 or unicode, not 'utf8'"},
        {{"-c", "6", "--widths=unicode", "--ambiguous-width=3"}, "--ambiguous-width needs 1 or 2, not '3'"},
        {{"-c", "6", "--ambiguous-width", "2"},
         "--ambiguous-width needs --widths unicode: code page 932 fixes those widths"},
        {{"-c", "6", "-i", "--check", "a"}, "--in-place and --check exclude each other"},
        {{"-c6", "--label", "a", "f"},
         "--label names an input in the header of --diff, and there is no --diff"},
        {{"-c6", "--diff", "--label", "a", "--label", "b", "f"},
         "too many --label options: one for each input"},
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
