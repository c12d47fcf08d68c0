#include "CommandLine/Program/CommandLineOptions.h"

#include <getopt.h>

#include <algorithm>
#include <charconv>
#include <optional>
#include <utility>

#include "CommandLine/Program/ConversionNames.h"
#include "CommandLine/Program/EditorConfig.h"
#include "CommandLine/Program/TabStopList.h"
#include "MyLibrary/StringUnit/Assertion.h"

namespace BlankwiseCli {
namespace {

// What getopt_long returns for the options without a short form.
enum LongOnly : int {
    kList = 256,
    kStartColumn,
    kCheck,
    kVersion,
    kInitial,
    kDiff,
    kLabel,
    kWidths,
    kAmbiguousWidth,
    kThreads,
    kEditorConfig,
    kAssumeFilename,
    kVerbose,
};

// The leading ':' has a missing value reported apart from an unknown option. getopt prints no
// message of its own (opterr is 0): the messages are made here, in the words of glibc's, and
// written to the tool's error stream, the same on Windows.
constexpr char kShortOptions[] = ":c:e:iht:";
constexpr option kLongOptions[] = {
    {"conversion", required_argument, nullptr, 'c'},
    {"list", no_argument, nullptr, kList},
    {"start-column", required_argument, nullptr, kStartColumn},
    {"encoding", required_argument, nullptr, 'e'},
    {"in-place", no_argument, nullptr, 'i'},
    {"check", no_argument, nullptr, kCheck},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, kVersion},
    {"tabs", required_argument, nullptr, 't'},
    {"initial", no_argument, nullptr, kInitial},
    {"diff", no_argument, nullptr, kDiff},
    {"label", required_argument, nullptr, kLabel},
    {"widths", required_argument, nullptr, kWidths},
    {"ambiguous-width", required_argument, nullptr, kAmbiguousWidth},
    {"threads", required_argument, nullptr, kThreads},
    {"editorconfig", no_argument, nullptr, kEditorConfig},
    {"assume-filename", required_argument, nullptr, kAssumeFilename},
    {"verbose", no_argument, nullptr, kVerbose},
    {nullptr, 0, nullptr, 0},
};

std::string Quoted(std::string_view text) {
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted.append(1, '\'').append(text).append(1, '\'');
    return quoted;
}

std::string Lowercase(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower;
}

std::optional<std::int32_t> ParseColumn(std::string_view text) {
    std::int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || last != end || value < 0) {
        return std::nullopt;
    }
    return value;
}

// The names people type for the encodings, in any letter case, as EncodingFromName knows them.
std::string CanonicalEncodingName(std::string_view name) {
    const std::string lower = Lowercase(name);
    constexpr std::pair<std::string_view, std::string_view> kAliases[] = {
        {"utf8", "utf-8"},         {"utf16le", "utf-16le"},   {"utf16be", "utf-16be"},
        {"utf-16-le", "utf-16le"}, {"utf-16-be", "utf-16be"}, {"sjis", "cp932"},
        {"shift_jis", "cp932"},    {"shift-jis", "cp932"},    {"shiftjis", "cp932"},
        {"windows-31j", "cp932"},  {"ms932", "cp932"},        {"windows-932", "cp932"},
        {"eucjp", "euc-jp"},       {"euc_jp", "euc-jp"},      {"ujis", "euc-jp"},
        {"cp51932", "euc-jp"},     {"jis", "iso-2022-jp"},    {"csiso2022jp", "iso-2022-jp"},
    };
    for (const auto& [alias, canonical] : kAliases) {
        if (lower == alias) {
            return std::string(canonical);
        }
    }
    return lower;
}

const option* LongOptionOf(int code) {
    for (const option* entry = kLongOptions; entry->name != nullptr; ++entry) {
        if (entry->val == code) {
            return entry;
        }
    }
    return nullptr;
}

// getopt_long's error return (opterr 0) as glibc's getopt words it. failedOption is optopt: the
// character of an unknown short option, the code of an option that lacks its value or has one it
// does not take (glibc returns '?' for the latter, the BSD getopt of mingw-w64 ':', so the
// option's own entry tells the two apart), or 0 for an unknown or ambiguous long option.
// argument is the argument getopt stopped at: with a long option, or a missing value, the one
// before optind in either library.
std::string GetoptMessage(std::string_view argument, int failedOption) {
    const bool longOption = argument.starts_with("--");
    if (const option* entry = LongOptionOf(failedOption)) {
        const std::string name = "--" + std::string(entry->name);
        if (entry->has_arg == no_argument) {
            return "option " + Quoted(name) + " doesn't allow an argument";
        }
        return longOption ? "option " + Quoted(name) + " requires an argument"
                          : "option requires an argument -- " +
                                Quoted(std::string(1, static_cast<char>(failedOption)));
    }
    if (failedOption != 0 || !longOption) {
        return "invalid option -- " + Quoted(std::string(1, static_cast<char>(failedOption)));
    }
    const std::string_view typed = argument.substr(2, argument.find('=') - 2);
    std::string possibilities;
    int matches = 0;
    for (const option* entry = kLongOptions; entry->name != nullptr; ++entry) {
        if (std::string_view(entry->name).starts_with(typed)) {
            possibilities.append(" '--").append(entry->name).append("'");
            ++matches;
        }
    }
    return matches > 1 ? "option " + Quoted(argument) + " is ambiguous; possibilities:" + possibilities
                       : "unrecognized option " + Quoted(argument);
}

// The options read so far, and the checks of the whole command line once all are read.
class OptionReading {
  public:
    std::optional<std::string> Apply(int code, std::string_view value);
    std::variant<Options, UsageError> Finish(std::vector<std::string> files);

  private:
    std::optional<std::string> ApplyValue(int code, std::string_view value);
    std::optional<std::string> EditorConfigConflict() const;

    Options options_;
    TabStopList tabs_;
    bool help_ = false;
    bool version_ = false;
    bool list_ = false;
    bool inPlace_ = false;
    bool check_ = false;
    bool diff_ = false;
    bool conversionGiven_ = false;
    bool ambiguousGiven_ = false;
    bool tabsGiven_ = false;
};

std::optional<std::string> OptionReading::Apply(int code, std::string_view value) {
    switch (code) {
        case kDiff:
            diff_ = true;
            return std::nullopt;
        case kInitial:
            options_.initialOnly = true;
            return std::nullopt;
        case kVerbose:
            options_.verbose = true;
            return std::nullopt;
        case kList:
            list_ = true;
            return std::nullopt;
        case 'i':
            inPlace_ = true;
            return std::nullopt;
        case kCheck:
            check_ = true;
            return std::nullopt;
        case 'h':
            help_ = true;
            return std::nullopt;
        case kVersion:
            version_ = true;
            return std::nullopt;
        case kLabel:
            options_.labels.emplace_back(value);
            return std::nullopt;
        case kEditorConfig:
            options_.editorConfig = true;
            return std::nullopt;
        case kAssumeFilename:
            options_.assumedFileName = value;
            return std::nullopt;
        case 't':
            tabsGiven_ = true;
            return tabs_.Add(value);
        default:
            return ApplyValue(code, value);
    }
}

// The options whose values are checked here.
std::optional<std::string> OptionReading::ApplyValue(int code, std::string_view value) {
    switch (code) {
        case 'c': {
            const auto id = ConversionIdFromName(Lowercase(value));
            if (!id) {
                return "unknown conversion " + Quoted(value) + " (see --list)";
            }
            options_.conversionId = *id;
            conversionGiven_ = true;
            return std::nullopt;
        }
        case kStartColumn: {
            const auto column = ParseColumn(value);
            if (!column) {
                return "--start-column needs a whole number from 0 to 2147483647, not " + Quoted(value);
            }
            options_.startColumn = *column;
            return std::nullopt;
        }
        case 'e': {
            options_.encodingGiven = true;
            options_.guessEncoding = Lowercase(value) == "auto";
            if (options_.guessEncoding) {
                return std::nullopt;
            }
            const auto encoding = MyLibrary::EncodingFromName(CanonicalEncodingName(value));
            if (!encoding) {
                return "unknown encoding " + Quoted(value) +
                       " (utf-8, utf-16le, utf-16be, cp932, euc-jp, iso-2022-jp or auto; see --help for "
                       "other names)";
            }
            options_.encoding = *encoding;
            return std::nullopt;
        }
        case kThreads: {
            const auto threads = ParseColumn(value);
            if (!threads || *threads < 1 || *threads > kMaxThreads) {
                return "--threads needs a whole number from 1 to 4, not " + Quoted(value);
            }
            options_.threads = *threads;
            return std::nullopt;
        }
        case kWidths: {
            const std::string lower = Lowercase(value);
            if (lower != "cp932" && lower != "unicode") {
                return "--widths needs cp932 or unicode, not " + Quoted(value);
            }
            options_.widths = lower == "unicode" ? Widths::Unicode : Widths::Cp932;
            return std::nullopt;
        }
        case kAmbiguousWidth:
            if (value != "1" && value != "2") {
                return "--ambiguous-width needs 1 or 2, not " + Quoted(value);
            }
            options_.ambiguousColumns = value == "2" ? 2 : 1;
            ambiguousGiven_ = true;
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

std::variant<Options, UsageError> OptionReading::Finish(std::vector<std::string> files) {
    options_.files = std::move(files);
    if (help_ || version_ || list_) {
        options_.action = help_ ? Action::Help : version_ ? Action::Version : Action::List;
        return options_;
    }
    auto stops = tabs_.Finish(options_.tabStops);
    if (const auto* error = std::get_if<std::string>(&stops)) {
        return UsageError{*error};
    }
    options_.tabStops = std::get<Blankwise::TabStops>(std::move(stops));
    if (auto conflict = EditorConfigConflict()) {
        return UsageError{std::move(*conflict)};
    }
    if (!conversionGiven_ && !options_.editorConfig) {
        return UsageError{"no conversion given: --conversion NAME or ID (see --list)"};
    }
    if (ambiguousGiven_ && options_.widths != Widths::Unicode) {
        return UsageError{"--ambiguous-width needs --widths unicode: code page 932 fixes those widths"};
    }
    if (inPlace_ && (check_ || diff_)) {
        return UsageError{check_ ? "--in-place and --check exclude each other"
                                 : "--in-place and --diff exclude each other"};
    }
    if (!options_.labels.empty() && !diff_) {
        return UsageError{"--label names an input in the header of --diff, and there is no --diff"};
    }
    const std::size_t inputs = std::max<std::size_t>(options_.files.size(), 1);
    if (options_.labels.size() > inputs) {
        return UsageError{"too many --label options: one for each input"};
    }
    if (inPlace_) {
        if (options_.files.empty()) {
            return UsageError{"--in-place needs files to rewrite"};
        }
        for (const std::string& file : options_.files) {
            if (file == "-") {
                return UsageError{"--in-place cannot rewrite standard input"};
            }
        }
    }
    options_.diffChecks = diff_ && check_;
    options_.mode = inPlace_ ? OutputMode::InPlace
                    : diff_  ? OutputMode::Diff
                    : check_ ? OutputMode::Check
                             : OutputMode::StandardOutput;
    return options_;
}

// What --editorconfig, and --assume-filename with it, cannot go with; files_ are known by now.
std::optional<std::string> OptionReading::EditorConfigConflict() const {
    if (!options_.editorConfig) {
        if (!options_.assumedFileName.empty()) {
            return "--assume-filename names standard input for --editorconfig, and there is no "
                   "--editorconfig";
        }
        return std::nullopt;
    }
    if (!EditorConfigAvailable()) {
        return "--editorconfig is not available: this build has no libeditorconfig (the Windows builds "
               "have none)";
    }
    if (conversionGiven_ || tabsGiven_) {
        return std::string(conversionGiven_ ? "--conversion" : "--tabs") +
               " and --editorconfig exclude each other: each file's .editorconfig gives its " +
               (conversionGiven_ ? "conversion" : "tab stops");
    }
    const bool readsStandardInput =
        options_.files.empty() ||
        std::find(options_.files.begin(), options_.files.end(), "-") != options_.files.end();
    if (readsStandardInput && options_.assumedFileName.empty()) {
        return "--editorconfig needs --assume-filename NAME for standard input: the .editorconfig "
               "sections that match NAME apply";
    }
    return std::nullopt;
}

// The arguments as getopt_long takes them: a program name first, and copies it may reorder
// (it moves the files after the options).
class ArgumentVector {
  public:
    explicit ArgumentVector(std::span<const std::string> args) : strings_(args.begin(), args.end()) {
        pointers_.push_back(programName_.data());
        for (std::string& arg : strings_) {
            pointers_.push_back(arg.data());
        }
        pointers_.push_back(nullptr);
    }
    int Count() const { return MyLibrary::Narrowed<int>(pointers_.size() - 1); }
    char** Pointers() { return pointers_.data(); }

  private:
    std::string programName_ = "blankwise";
    std::vector<std::string> strings_;
    std::vector<char*> pointers_;
};

}  // namespace

std::variant<Options, UsageError> ParseOptions(std::span<const std::string> args) {
    ArgumentVector argv(args);
    OptionReading reading;
    // optind 0 starts getopt afresh, its state from an earlier command line forgotten, in glibc and
    // in mingw-w64 alike.
    optind = 0;
    opterr = 0;
    while (true) {
        const int code = getopt_long(argv.Count(), argv.Pointers(), kShortOptions, kLongOptions, nullptr);
        if (code == -1) {
            break;
        }
        if (code == '?' || code == ':') {
            return UsageError{GetoptMessage(argv.Pointers()[optind - 1], optopt)};
        }
        if (auto error =
                reading.Apply(code, optarg != nullptr ? std::string_view(optarg) : std::string_view())) {
            return UsageError{std::move(*error)};
        }
    }
    std::vector<std::string> files;
    for (int i = optind; i < argv.Count(); ++i) {
        files.emplace_back(argv.Pointers()[i]);
    }
    return reading.Finish(std::move(files));
}

}  // namespace BlankwiseCli
