#pragma once

#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "HostEmulator/HostMessages.h"

namespace HostEmulator {

// What one run of the host program does. Paths are UTF-8; positions are the model's, zero-based.
struct HostProgramOptions {
    std::string documentPath;
    std::string pluginPath;  // empty: Blankwise.dll beside the program
    Position caret;
    std::optional<Position> anchor;  // nothing selected when absent
    std::optional<int> choose;       // the menu item to choose, 0 = the cancel item
    std::vector<int> chooseEach;     // run once per id, each on the document as read (--stats only)
    bool escape = false;             // dismiss the menu instead
    bool printBefore = false;
    bool printAfter = false;
    bool visible = false;
    bool log = false;
    bool stats = false;
    bool steps = false;  // with chooseEach: each run's parts timed one by one
    bool info = false;
    std::string savePath;
    bool help = false;

    bool RunsCommand() const { return choose.has_value() || escape || !chooseEach.empty(); }
    // How many things the run prints; with more than one, each gets a heading.
    int Sections() const;
};

class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The arguments after the program's name, UTF-8. Throws UsageError naming the fault.
HostProgramOptions ParseHostProgramOptions(std::span<const std::string> arguments);
const char* HostProgramUsage();

// "3:7" as the program shows a position: line and column from 1.
std::string FormatPosition(Position position);

}  // namespace HostEmulator
