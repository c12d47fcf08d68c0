#pragma once

#include <span>
#include <string>

#include "CommandLine/System/FileAccess.h"

namespace BlankwiseCli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitWouldChange = 1;  // --check found input that would change
inline constexpr int kExitError = 2;

// The whole program: the arguments after its name, in UTF-8, and the streams it talks to.
// Returns the exit status.
int RunBlankwise(std::span<const std::string> args, StandardStreams& streams);

}  // namespace BlankwiseCli
