#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "HostEmulator/HostMessages.h"
#include "MyLibrary/Encoding/EscapedText.h"

namespace HostEmulator {

// One message as the model received it, with its payload decoded: what the positions, the view
// block, the line request and the texts held when the message was handled.
struct LogEntry {
    std::uint32_t message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
    std::intptr_t result = 0;
    std::optional<Position> position;  // the pair read or written; HostSetSelection's anchor
    std::optional<Position> caret;     // HostSetSelection's caret pair
    std::optional<LineRequest> request;
    std::optional<ViewBlock> view;
    std::optional<std::int32_t> checked;  // written by HostQueryStatus
    std::u16string text;                  // inserted, or written into the caller's buffer
};

// "GetSelStart 2 -> (3,1)", "InsertText \"a\\tb\\r\\n\"", ...: one line per message for tests and
// for the host program's trace. Texts are shown with C escapes, non-ASCII units as \uXXXX.
std::string Describe(const LogEntry& entry);
using MyLibrary::EscapeText;

}  // namespace HostEmulator
