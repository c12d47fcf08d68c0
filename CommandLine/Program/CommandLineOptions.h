#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "Blankwise/TabStops.h"
#include "MyLibrary/Encoding/TextCodec.h"

namespace BlankwiseCli {

inline constexpr std::int32_t kMaxThreads = 4;

enum class Action : std::uint8_t { Convert, Help, Version, List };
enum class OutputMode : std::uint8_t { StandardOutput, InPlace, Check, Diff };
// How wide a character is: as its code page 932 form is long, or by its Unicode properties.
enum class Widths : std::uint8_t { Cp932, Unicode };

struct Options {
    Action action = Action::Convert;
    int conversionId = 0;
    std::int32_t startColumn = 0;
    MyLibrary::Encoding encoding = MyLibrary::Encoding::Utf8;
    bool guessEncoding = false;  // --encoding auto: each input's own, guessed
    bool verbose = false;        // --verbose: name each input's encoding on standard error
    Blankwise::TabStops tabStops = Blankwise::TabStops::Every(4);  // --tabs
    bool initialOnly = false;                                      // --initial
    Widths widths = Widths::Cp932;                                 // --widths
    unsigned ambiguousColumns = 1;                                 // --ambiguous-width, with Widths::Unicode
    std::int32_t threads = 0;  // --threads, 1 to kMaxThreads; 0: one a processor
    bool diffChecks = false;   // --diff with --check: exit 1 when something would change
    OutputMode mode = OutputMode::StandardOutput;
    std::vector<std::string> files;   // "-" is standard input; none means standard input
    std::vector<std::string> labels;  // --label, with --diff: the names of the first inputs
    bool editorConfig = false;        // --editorconfig: each file as its .editorconfig says
    bool encodingGiven = false;       // -e, which wins over a charset of .editorconfig
    std::string assumedFileName;      // --assume-filename: standard input's name for .editorconfig
};

// A command line that cannot run: the one-line reason.
struct UsageError {
    std::string message;
};

// The arguments after the program's name, read with getopt_long: options and files in any order,
// "--" ending the options, short options clustered, long ones abbreviated as far as they stay
// unambiguous. --help, --version and --list win over everything else that is valid. Not
// reentrant: getopt keeps its state in globals.
std::variant<Options, UsageError> ParseOptions(std::span<const std::string> args);

// The synopsis and the option list, printed after a usage error and at the top of --help.
std::string_view UsageText();
// --help: the usage, what the program does, and examples.
std::string HelpText();

}  // namespace BlankwiseCli
