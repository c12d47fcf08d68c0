#include "HostEmulator/HostProgram/HostProgramOptions.h"

#include <charconv>
#include <limits>

#include "Blankwise/ConversionPipelines.h"

namespace HostEmulator {
namespace {

int ParseNumber(std::string_view text, int lowest, int highest, std::string_view what) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || value < lowest || value > highest) {
        throw UsageError(std::string(what) + ": not a number from " + std::to_string(lowest) + " to " +
                         std::to_string(highest) + ": '" + std::string(text) + "'");
    }
    return value;
}

// "LINE:COLUMN", both from 1, the column in UTF-16 units.
Position ParsePosition(std::string_view text, std::string_view option) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        throw UsageError(std::string(option) + " wants LINE:COLUMN, got '" + std::string(text) + "'");
    }
    constexpr int kMost = std::numeric_limits<std::int32_t>::max();
    const int line = ParseNumber(text.substr(0, colon), 1, kMost, option);
    const int column = ParseNumber(text.substr(colon + 1), 1, kMost, option);
    return {column - 1, line - 1};
}

// "FIRST-LAST" or one id: the conversion ids from FIRST to LAST.
std::vector<int> ParseIdRange(std::string_view text, std::string_view option) {
    const std::size_t dash = text.find('-');
    const int first = ParseNumber(text.substr(0, dash), 1, Blankwise::kLastConversionId, option);
    const int last = dash == std::string_view::npos
                         ? first
                         : ParseNumber(text.substr(dash + 1), first, Blankwise::kLastConversionId, option);
    std::vector<int> ids;
    for (int id = first; id <= last; ++id) {
        ids.push_back(id);
    }
    return ids;
}

}  // namespace

int HostProgramOptions::Sections() const {
    return int{printBefore} + int{printAfter} + int{log} + int{stats} + int{info};
}

HostProgramOptions ParseHostProgramOptions(std::span<const std::string> arguments) {
    HostProgramOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const auto value = [&]() -> const std::string& {
            if (i + 1 >= arguments.size()) {
                throw UsageError(argument + " wants a value");
            }
            return arguments[++i];
        };
        if (argument == "--plugin") {
            options.pluginPath = value();
        } else if (argument == "--caret") {
            options.caret = ParsePosition(value(), argument);
        } else if (argument == "--anchor") {
            options.anchor = ParsePosition(value(), argument);
        } else if (argument == "--choose") {
            options.choose = ParseNumber(value(), 0, Blankwise::kLastConversionId, argument);
        } else if (argument == "--choose-each") {
            options.chooseEach = ParseIdRange(value(), argument);
        } else if (argument == "--escape") {
            options.escape = true;
        } else if (argument == "--print-before") {
            options.printBefore = true;
        } else if (argument == "--print") {
            options.printAfter = true;
        } else if (argument == "--visible") {
            options.visible = true;
        } else if (argument == "--log") {
            options.log = true;
        } else if (argument == "--stats") {
            options.stats = true;
        } else if (argument == "--steps") {
            options.steps = true;
        } else if (argument == "--save") {
            options.savePath = value();
        } else if (argument == "--info") {
            options.info = true;
        } else if (argument == "--help" || argument == "-h") {
            options.help = true;
        } else if (argument.starts_with("-") && argument != "-") {
            throw UsageError("unknown option " + argument);
        } else if (options.documentPath.empty()) {
            options.documentPath = argument;
        } else {
            throw UsageError("more than one document: " + argument);
        }
    }
    if (options.help) {
        return options;
    }
    if (int{options.choose.has_value()} + int{options.escape} + int{!options.chooseEach.empty()} > 1) {
        throw UsageError("--choose, --choose-each and --escape all choose what the menu does; give one");
    }
    if (!options.chooseEach.empty() &&
        (!options.stats || options.Sections() != 1 || !options.savePath.empty())) {
        throw UsageError("--choose-each goes with --stats alone");
    }
    if (options.steps && options.chooseEach.empty()) {
        throw UsageError("--steps goes with --choose-each");
    }
    const bool needsDocument = options.RunsCommand() || options.printBefore || options.printAfter ||
                               options.log || options.stats || !options.savePath.empty();
    if (needsDocument && options.documentPath.empty()) {
        throw UsageError("no document given");
    }
    if (!needsDocument && !options.info) {
        throw UsageError("nothing to do: give a document with --choose, --escape or --print, or --info");
    }
    return options;
}

const char* HostProgramUsage() {
    return "Usage: BlankwiseHost [options] [DOCUMENT]\n"
           "Loads Blankwise.dll into a host window that answers the editor's messages, opens DOCUMENT\n"
           "(UTF-8, or UTF-16 with a byte order mark) and runs the plug-in's command on it, choosing in\n"
           "its real popup menu with keystrokes.\n"
           "\n"
           "  --caret L:C        the caret: line and column from 1, columns in UTF-16 units (default 1:1)\n"
           "  --anchor L:C       the selection's other end; without it nothing is selected\n"
           "  --choose ID        run the command and choose conversion ID (1-15); 0 chooses the cancel item\n"
           "  --choose-each A-B  run the command once for each id from A to B, each time on the document\n"
           "                     as read, and print each run's figures (with --stats only)\n"
           "  --escape           run the command and dismiss its menu with Escape\n"
           "  --print-before     print the document before the command\n"
           "  --print            print the document after the command\n"
           "  --visible          show tabs, spaces, full-width spaces and line breaks in what is printed\n"
           "  --log              print the host messages the plug-in sent\n"
           "  --stats            print the command's seconds, host messages and changed lines\n"
           "  --steps            with --choose-each: after each run, redo the command's parts in the host\n"
           "                     and print their seconds (reading, each step, the result-length estimate,\n"
           "                     the write-back); first what Wine takes per host message and the seconds\n"
           "                     of the command cancelled in its menu\n"
           "  --save PATH        save the document after the command, in the encoding it was read in\n"
           "  --info             print what the plug-in's exports answer: name, version, texts, status\n"
           "  --plugin PATH      load this DLL instead of Blankwise.dll beside the program\n";
}

std::string FormatPosition(Position position) {
    return std::to_string(static_cast<long long>(position.line) + 1) + ":" +
           std::to_string(static_cast<long long>(position.column) + 1);
}

}  // namespace HostEmulator
