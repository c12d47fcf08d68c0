#pragma once

#include <array>
#include <cstdint>

// The messages the emulated host editor answers and the records they carry. The emulator keeps its
// own declarations rather than borrowing the plug-in's, so that a wrong number or layout on either
// side shows up as a failing conversation instead of agreeing with itself.
namespace HostEmulator {

enum HostMessage : std::uint32_t {
    HostQueryStatus = 2049,  // wParam command, lParam checked-flag pointer (int32) -> enabled in the low byte
    HostRefresh = 2050,      // wParam event value
    HostGetCaretPos = 2054,  // wParam kind, lParam Position out
    HostGetViewPos = 2057,   // lParam ViewBlock out
    HostSetCaretPos = 2066,  // wParam kind, lParam Position in
    HostSetViewPos = 2067,   // lParam ViewBlock in
    HostExecCommand = 2070,  // wParam command
    HostGetSelStart = 2074,  // wParam kind, lParam Position out
    HostGetSelEnd = 2075,    // wParam kind, lParam Position out
    HostSetSelLength = 2076,  // wParam unit count from the caret
    HostSetSelection = 2081,  // wParam anchor Position in, lParam caret Position in
    HostSetRedraw = 2092,     // wParam 0 or 1
    HostHasSelection = 2093,  // -> 0 when nothing is selected
    HostGetSelText = 2094,    // wParam buffer size in units, lParam buffer -> size needed
    HostGetLineText = 2095,   // wParam LineRequest, lParam buffer -> size needed
    HostInsertText = 2100,    // lParam zero-terminated text
};

inline constexpr std::uintptr_t kCommandSelectAll = 4136;
inline constexpr std::uintptr_t kCommandAfterWholeDocument = 4187;  // accepted and logged; changes nothing
inline constexpr std::uintptr_t kCommandPlugInStatus = 4201;

// Flags of a line request. The emulator has only logical lines counted in UTF-16 units, so
// kLineFlagLogical changes nothing but is what a client asking for such a line sends;
// kLineFlagWithBreak appends the line's break (CR LF, CR or LF) to its text.
inline constexpr std::int32_t kLineFlagLogical = 1;
inline constexpr std::int32_t kLineFlagWithBreak = 2;

// Column (UTF-16 units of the line, without its break) then line, both zero-based. Position kinds 0
// and 2 are the same to the emulator.
struct Position {
    std::int32_t column = 0;
    std::int32_t line = 0;
    friend bool operator==(const Position&, const Position&) = default;
};
static_assert(sizeof(Position) == 8);

// The view state: the emulator stores two little-endian int32, top line and left column, but hands
// back whatever 8 bytes it was given.
using ViewBlock = std::array<std::uint8_t, 8>;
static_assert(sizeof(ViewBlock) == 8);

struct LineRequest {
    std::int32_t bufferSize = 0;  // in UTF-16 units; 0 asks for the size needed
    std::int32_t flags = 0;
    std::int32_t line = 0;
    friend bool operator==(const LineRequest&, const LineRequest&) = default;
};
static_assert(sizeof(LineRequest) == 12);

}  // namespace HostEmulator
