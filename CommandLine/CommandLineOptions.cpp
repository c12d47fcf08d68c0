#include "CommandLine/CommandLineOptions.h"

#include <charconv>
#include <limits>
#include <optional>
#include <utility>

#include "CommandLine/ConversionNames.h"

namespace BlankwiseCli {
namespace {

constexpr std::string_view kUsage =
    "Usage: blankwise [OPTIONS] [FILE...]\n"
    "  -c, --conversion NAME|ID  the conversion to run, 1-15 or its name (see --list)\n"
    "      --list                list the conversions: id, name and menu caption\n"
    "      --start-column N      convert as if the text began at display column N (default 0)\n"
    "  -t, --tabs N              tab stops every N columns, 1-1000 (default 4), for the\n"
    "                            conversions that expand or compress tabs: 5, 6, 9, 10, 11\n"
    "      --initial             convert only the blanks (space, U+3000, tab) that start each line\n"
    "      --widths cp932|unicode  display widths: as code page 932 measures them (default), or\n"
    "                            by Unicode East Asian Width, for text outside code page 932\n"
    "      --ambiguous-width 1|2  with --widths unicode: the columns of an ambiguous character\n"
    "                            (East Asian Width A, such as the Greek letters), default 1\n"
    "  -e, --encoding ENC        utf-8 (default), utf-16le, utf-16be or cp932 (also utf8, sjis,\n"
    "                            shift_jis, shift-jis, windows-31j, ms932; any letter case)\n"
    "  -i, --in-place            rewrite each FILE instead of writing to standard output\n"
    "      --check               write nothing; list the files that would change, exit 1 if any\n"
    "      --diff                write a unified diff of what would change, change nothing;\n"
    "                            with --check exit 1 when something would change\n"
    "      --threads N           convert on N threads, 1-4 (default: one a processor, up to 4)\n"
    "  -h, --help                show this help with examples\n"
    "      --version             show the version\n";

constexpr std::string_view kDescription =
    "\n"
    "Converts half-width spaces, full-width spaces (U+3000) and tabs with 4-column stops (or\n"
    "--tabs N) in each FILE, or standard input when there is none or for -, and writes the result\n"
    "to standard output. With --initial only the blanks that start a line are converted, the\n"
    "rest of the line kept: indentation converts, aligned comments and string literals stay.\n"
    "Line breaks (LF, CR LF, CR) are kept; no conversion crosses one, and the text is converted as\n"
    "it streams, line by line. --start-column applies to the first line of each input.\n"
    "\n"
    "Display widths are by default those of code page 932 (the plug-in's), whatever the encoding: a\n"
    "character is as wide as its code page 932 form is long, two columns for a full-width one, and\n"
    "one for each UTF-16 unit of a character code page 932 lacks. --widths unicode measures each\n"
    "code point as editors and terminals show it (Unicode 14.0): two columns for East Asian Width W\n"
    "and F (kanji, kana, Hangul, emoji, and the ideographs beyond U+FFFF such as U+20BB7), none for\n"
    "combining marks and format characters (Mn, Me, Cf but U+00AD) and U+1160-U+11FF, one or\n"
    "--ambiguous-width for East Asian Width A, one for the rest. They differ on Korean, say, which\n"
    "code page 932 lacks: each syllable counts one column there, two on screen. For the two\n"
    "syllables U+D55C U+AD6D (UTF-8 below) and a tab:\n"
    "  printf '\\355\\225\\234\\352\\265\\255\\tx\\n' | blankwise -c6                  # 2 spaces\n"
    "  printf '\\355\\225\\234\\352\\265\\255\\tx\\n' | blankwise -c6 --widths unicode  # 4 spaces\n"
    "\n"
    "A byte order mark at the start of a UTF-8 or UTF-16 input selects that encoding, whatever\n"
    "--encoding says, and is kept.\n"
    "cp932 is read as Windows reads code page 932. A line the conversion leaves as it is keeps its\n"
    "bytes; a changed line is written with the codes Windows writes, so a character that has two\n"
    "codes comes out as the one Windows prefers: an NEC-selected IBM extension such as 0xED40\n"
    "becomes 0xFA5C, a row 13 copy such as 0x8790 becomes 0x81E0.\n"
    "--in-place writes a temporary file beside each FILE and renames it over the FILE, keeping its\n"
    "encoding, byte order mark and line breaks; a FILE that would not change is not touched, a\n"
    "read-only FILE that would is an error, and a failure or a signal (INT, TERM, HUP, QUIT) leaves\n"
    "the FILE as it was, without the temporary file. A symbolic link stays a link: the file it points\n"
    "to is rewritten. A FILE with more than one hard link that would change is refused (an error,\n"
    "the FILE left as it was): replacing it would leave its other names with the old text.\n"
    "The FILE's owner, permissions and extended attributes (its ACL) are kept; a FILE that another\n"
    "file replaces while it is converted is left as it is, an error.\n"
    "An input that standard output writes (blankwise -c6 f >> f) is refused, as cat refuses it.\n"
    "Options follow getopt: -c6, -ic6, --conversion=6 and -c 6 are the same.\n"
    "\n"
    "--diff writes a unified diff as diff -u writes it (--- a/FILE, +++ b/FILE, three lines of\n"
    "context, the FILE's own bytes), which patch -p1 or git apply applies, and changes nothing;\n"
    "names are quoted as git quotes them. A FILE's diff is written once it has converted whole.\n"
    "File names in messages and --check lists are quoted as coreutils quotes them where needed.\n"
    "As a pre-commit hook (.pre-commit-hooks.yaml): ids blankwise (--in-place) and blankwise-check,\n"
    "the conversion given in args, which end with -- (so that a file named -x stays a file).\n"
    "\n"
    "Exit status: 0 when done, 1 when --check found a FILE that would change, 2 on an error\n"
    "(bytes invalid in the encoding, unreadable or unwritable files, a wrong command line).\n"
    "\n"
    "Examples:\n"
    "  blankwise --conversion tabs-to-spaces notes.txt > notes-spaced.txt\n"
    "  blankwise -c spaces-to-tabs --encoding cp932 --in-place *.txt\n"
    "  blankwise --check -c tabs-to-spaces src/*.cpp     # fails while a tab is left\n"
    "  printf 'ab\\tc\\n' | blankwise -c 6 --start-column 2\n"
    "  blankwise -c tabs-to-spaces -t 8 --initial main.c   # as expand -i -t 8: indentation only\n"
    "  blankwise -ic5 -t2 --initial *.py                     # re-indent with a tab per 2 columns\n"
    "  blankwise -c6 --diff src/*.c > tabs.diff              # review, then: patch -p1 < tabs.diff\n"
    "  blankwise --diff --check -c delete-fullwidth-spaces *.txt   # show and fail while any is left\n"
    "  blankwise --list\n";

struct OptionDescription {
    std::string_view longName;
    char shortName;  // 0 for none
    bool takesValue;
};

constexpr OptionDescription kOptionDescriptions[] = {
    {"conversion", 'c', true},    {"list", 0, false},    {"start-column", 0, true}, {"encoding", 'e', true},
    {"in-place", 'i', false},     {"check", 0, false},   {"help", 'h', false},      {"version", 0, false},
    {"tabs", 't', true},          {"initial", 0, false}, {"diff", 0, false},        {"widths", 0, true},
    {"ambiguous-width", 0, true}, {"threads", 0, true},
};

const OptionDescription* FindLong(std::string_view name) {
    for (const OptionDescription& option : kOptionDescriptions) {
        if (option.longName == name) {
            return &option;
        }
    }
    return nullptr;
}

const OptionDescription* FindShort(char name) {
    for (const OptionDescription& option : kOptionDescriptions) {
        if (option.shortName != 0 && option.shortName == name) {
            return &option;
        }
    }
    return nullptr;
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
    std::string lower(name);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    constexpr std::pair<std::string_view, std::string_view> kAliases[] = {
        {"utf8", "utf-8"},         {"utf16le", "utf-16le"},   {"utf16be", "utf-16be"},
        {"utf-16-le", "utf-16le"}, {"utf-16-be", "utf-16be"}, {"sjis", "cp932"},
        {"shift_jis", "cp932"},    {"shift-jis", "cp932"},    {"shiftjis", "cp932"},
        {"windows-31j", "cp932"},  {"ms932", "cp932"},        {"windows-932", "cp932"},
    };
    for (const auto& [alias, canonical] : kAliases) {
        if (lower == alias) {
            return std::string(canonical);
        }
    }
    return lower;
}

std::string Quoted(std::string_view text) {
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted.append(1, '\'').append(text).append(1, '\'');
    return quoted;
}

}  // namespace

std::variant<Options, UsageError> ParseOptions(std::span<const std::string> args) {
    Options options;
    bool help = false;
    bool version = false;
    bool list = false;
    bool inPlace = false;
    bool check = false;
    bool diff = false;
    bool conversionGiven = false;
    bool ambiguousGiven = false;
    bool optionsEnded = false;
    // What the argument at i holds: options and values, getopt's way. A long option takes its
    // value after '=' or as the next argument; short options cluster (-ic6), and the first that
    // takes a value takes the rest of the argument, or the next argument when nothing is left.
    std::vector<std::pair<const OptionDescription*, std::string_view>> found;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (optionsEnded || arg == "-" || !arg.starts_with('-')) {
            options.files.emplace_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        found.clear();
        if (arg.starts_with("--")) {
            const std::string_view body = arg.substr(2);
            const std::size_t equals = body.find('=');
            const OptionDescription* option = FindLong(body.substr(0, equals));
            const std::string shown(
                arg.substr(0, equals == std::string_view::npos ? arg.size() : equals + 2));
            if (option == nullptr) {
                return UsageError{"unknown option " + Quoted(shown)};
            }
            std::string_view value;
            if (equals != std::string_view::npos) {
                if (!option->takesValue) {
                    return UsageError{"option " + Quoted(shown) + " takes no value"};
                }
                value = body.substr(equals + 1);
            } else if (option->takesValue) {
                if (i + 1 == args.size()) {
                    return UsageError{"option " + Quoted(shown) + " needs a value"};
                }
                value = args[++i];
            }
            found.emplace_back(option, value);
        } else {
            for (std::size_t k = 1; k < arg.size(); ++k) {
                const OptionDescription* option = FindShort(arg[k]);
                std::string shown(2, '-');
                shown[1] = arg[k];
                if (option == nullptr) {
                    std::string message = "unknown option ";
                    message += Quoted(shown);
                    if (k > 1) {
                        message += " in ";
                        message += Quoted(arg);
                    }
                    return UsageError{message};
                }
                std::string_view value;
                if (option->takesValue) {
                    if (k + 1 < arg.size()) {
                        value = arg.substr(k + 1);
                    } else if (i + 1 == args.size()) {
                        return UsageError{"option " + Quoted(shown) + " needs a value"};
                    } else {
                        value = args[++i];
                    }
                    found.emplace_back(option, value);
                    break;
                }
                found.emplace_back(option, value);
            }
        }

        for (const auto& [option, optionValue] : found) {
            const std::optional<std::string_view> value = optionValue;
            const std::string_view name = option->longName;
            if (name == "conversion") {
                const auto id = ConversionIdFromName(*value);
                if (!id) {
                    return UsageError{"unknown conversion " + Quoted(*value) + " (see --list)"};
                }
                options.conversionId = *id;
                conversionGiven = true;
            } else if (name == "start-column") {
                const auto column = ParseColumn(*value);
                if (!column) {
                    return UsageError{"--start-column needs a whole number from 0 to 2147483647, not " +
                                      Quoted(*value)};
                }
                options.startColumn = *column;
            } else if (name == "encoding") {
                const auto encoding = MyLibrary::EncodingFromName(CanonicalEncodingName(*value));
                if (!encoding) {
                    return UsageError{"unknown encoding " + Quoted(*value) +
                                      " (utf-8, utf-16le, utf-16be or cp932; see --help for other names)"};
                }
                options.encoding = *encoding;
            } else if (name == "tabs") {
                const auto width = ParseColumn(*value);
                if (!width || *width < 1 || *width > kMaxTabWidth) {
                    return UsageError{"--tabs needs a whole number from 1 to 1000, not " + Quoted(*value)};
                }
                options.tabWidth = *width;
            } else if (name == "threads") {
                const auto threads = ParseColumn(*value);
                if (!threads || *threads < 1 || *threads > kMaxThreads) {
                    return UsageError{"--threads needs a whole number from 1 to 4, not " + Quoted(*value)};
                }
                options.threads = *threads;
            } else if (name == "widths") {
                if (*value != "cp932" && *value != "unicode") {
                    return UsageError{"--widths needs cp932 or unicode, not " + Quoted(*value)};
                }
                options.widths = *value == "unicode" ? Widths::Unicode : Widths::Cp932;
            } else if (name == "ambiguous-width") {
                if (*value != "1" && *value != "2") {
                    return UsageError{"--ambiguous-width needs 1 or 2, not " + Quoted(*value)};
                }
                options.ambiguousColumns = *value == "2" ? 2 : 1;
                ambiguousGiven = true;
            } else if (name == "diff") {
                diff = true;
            } else if (name == "initial") {
                options.initialOnly = true;
            } else if (name == "list") {
                list = true;
            } else if (name == "in-place") {
                inPlace = true;
            } else if (name == "check") {
                check = true;
            } else if (name == "help") {
                help = true;
            } else if (name == "version") {
                version = true;
            }
        }
    }

    if (help || version || list) {
        options.action = help ? Action::Help : version ? Action::Version : Action::List;
        return options;
    }
    if (!conversionGiven) {
        return UsageError{"no conversion given: --conversion NAME or ID (see --list)"};
    }
    if (ambiguousGiven && options.widths != Widths::Unicode) {
        return UsageError{"--ambiguous-width needs --widths unicode: code page 932 fixes those widths"};
    }
    if (inPlace && (check || diff)) {
        return UsageError{check ? "--in-place and --check exclude each other"
                                : "--in-place and --diff exclude each other"};
    }
    if (inPlace) {
        if (options.files.empty()) {
            return UsageError{"--in-place needs files to rewrite"};
        }
        for (const std::string& file : options.files) {
            if (file == "-") {
                return UsageError{"--in-place cannot rewrite standard input"};
            }
        }
    }
    options.diffChecks = diff && check;
    options.mode = inPlace ? OutputMode::InPlace
                   : diff  ? OutputMode::Diff
                   : check ? OutputMode::Check
                           : OutputMode::StandardOutput;
    return options;
}

std::string_view UsageText() {
    return kUsage;
}

std::string HelpText() {
    return std::string(kUsage) + std::string(kDescription);
}

}  // namespace BlankwiseCli
