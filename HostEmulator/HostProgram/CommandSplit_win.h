#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "HostEmulator/HostProgram/HostWindow_win.h"
#include "HostEmulator/HostProgram/StepTimes.h"

namespace HostEmulator {

// Messages the command's core sent to the host window in one part of the command: their seconds,
// and of those the seconds the model spent answering them.
struct HostExchange {
    double seconds = 0;
    double hostSeconds = 0;
    std::size_t messages = 0;
};

// The command's work redone in this host, part by part, with the plug-in's core and this window
// answering the same messages: reading the text (selection start, line, selection), the prefix's
// width, each step of the conversion, and the write-back. The DLL's own run is opaque; this shows
// where its time goes in the same bitness.
struct CommandSplit {
    HostExchange read;
    double prefixWidthSeconds = 0;
    StepSplit steps;
    HostExchange writeBack;
};

// Runs conversion id on the model's document and selection as they are (the command's state before
// its menu opens); the document is converted as the command converts it.
CommandSplit TimeCommandParts(HostWindow& host, int id);
std::string FormatCommandSplit(const CommandSplit& split);

// What Wine takes per call in this process, each the best of several batches: a host message sent
// to the window, beside the model's answer; one read of the performance counter (a system call
// under Wine, which is why the window times its answers by the processor's tick count); a
// WideCharToMultiByte of a four-character word and a CompareStringW of two units, the calls the
// text platform's tables and caches save.
struct WineCosts {
    double secondsPerMessage = 0;
    double secondsPerClockRead = 0;
    double secondsPerConversion = 0;
    double secondsPerComparison = 0;
};
WineCosts MeasureWineCosts(HostWindow& host);
std::string FormatWineCosts(const WineCosts& costs);

}  // namespace HostEmulator
