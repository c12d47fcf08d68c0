#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace HostEmulator {

// Calls of one kind made to the text platform, and the seconds they took.
struct PlatformCalls {
    std::size_t calls = 0;
    double seconds = 0;
};

struct StepTime {
    std::string name;
    double seconds = 0;
    // For a replacing step, the part of it that estimates the result's length (timed by itself).
    double estimateSeconds = 0;
};

// A conversion's pipeline run step by step in this process, with the core the plug-in is built
// from, each step timed; and the calls the steps made to the text platform: the code page's
// measures and conversions (the column widths among them) and the locale's comparisons.
struct StepSplit {
    std::vector<StepTime> steps;
    PlatformCalls codePage;
    PlatformCalls locale;
    std::u16string converted;  // what the last step gave
};

// The steps of conversion id over the selected text, as the command runs them.
StepSplit TimeConversionSteps(int id, std::u16string_view selected, std::int32_t prefixWidth);

// The split as lines of "NAME: VALUE", after the figures of --stats.
std::string FormatStepSplit(const StepSplit& split);

// Seconds on a steady clock, for the parts of the command timed around the steps.
double SecondsNow();

// A tick count cheap enough to read around every call and every host message: the processor's
// time stamp counter where there is one (a clock read is a system call under Wine), else the
// steady clock. Its seconds come from a steady clock read over the same stretch.
std::uint64_t CheapTicks();

}  // namespace HostEmulator
