#include "HostEmulator/MessageLog.h"

#include <cstdio>
#include <initializer_list>

namespace HostEmulator {
namespace {

const char* MessageName(std::uint32_t message) {
    switch (message) {
        case HostQueryStatus:
            return "QueryStatus";
        case HostRefresh:
            return "Refresh";
        case HostGetCaretPos:
            return "GetCaretPos";
        case HostGetViewPos:
            return "GetViewPos";
        case HostSetCaretPos:
            return "SetCaretPos";
        case HostSetViewPos:
            return "SetViewPos";
        case HostExecCommand:
            return "ExecCommand";
        case HostGetSelStart:
            return "GetSelStart";
        case HostGetSelEnd:
            return "GetSelEnd";
        case HostSetSelLength:
            return "SetSelLength";
        case HostSetSelection:
            return "SetSelection";
        case HostSetRedraw:
            return "SetRedraw";
        case HostHasSelection:
            return "HasSelection";
        case HostGetSelText:
            return "GetSelText";
        case HostGetLineText:
            return "GetLineText";
        case HostInsertText:
            return "InsertText";
        default:
            return nullptr;
    }
}

// Joins its pieces; plain operator+ chains trip a false -Wrestrict in GCC 12 at -O3.
std::string Concat(std::initializer_list<std::string_view> pieces) {
    std::string out;
    for (std::string_view piece : pieces) {
        out.append(piece);
    }
    return out;
}

std::string DescribePosition(const std::optional<Position>& position) {
    if (!position) {
        return "(null)";
    }
    return Concat({"(", std::to_string(position->column), ",", std::to_string(position->line), ")"});
}

std::string DescribeView(const std::optional<ViewBlock>& view) {
    if (!view) {
        return "[null]";
    }
    std::string out = "[";
    for (std::size_t i = 0; i < view->size(); ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X", (*view)[i]);
        out += (i == 0 ? "" : " ");
        out += hex;
    }
    out += "]";
    return out;
}

}  // namespace

std::string Describe(const LogEntry& entry) {
    const std::string_view name = MessageName(entry.message) != nullptr ? MessageName(entry.message) : "";
    const std::string wParam = std::to_string(entry.wParam);
    const std::string result = std::to_string(entry.result);
    const std::string quoted = entry.lParam != 0 ? Concat({" \"", EscapeText(entry.text), "\""}) : "";
    switch (entry.message) {
        case HostQueryStatus:
            return Concat({name, " ", wParam, " -> ", result,
                           entry.checked ? Concat({" checked ", std::to_string(*entry.checked)}) : ""});
        case HostGetCaretPos:
        case HostGetSelStart:
        case HostGetSelEnd:
            return Concat({name, " ", wParam, " -> ", DescribePosition(entry.position)});
        case HostSetCaretPos:
            return Concat({name, " ", wParam, " ", DescribePosition(entry.position)});
        case HostGetViewPos:
            return Concat({name, " -> ", DescribeView(entry.view)});
        case HostSetViewPos:
            return Concat({name, " ", DescribeView(entry.view)});
        case HostSetSelection:
            return Concat({name, " ", DescribePosition(entry.position), " ", DescribePosition(entry.caret)});
        case HostHasSelection:
            return Concat({name, " -> ", result});
        case HostGetSelText:
            return Concat({name, " ", wParam, quoted, " -> ", result});
        case HostGetLineText: {
            std::string request = "{null}";
            if (entry.request) {
                request = Concat({"{", std::to_string(entry.request->bufferSize), ",",
                                  std::to_string(entry.request->flags), ",",
                                  std::to_string(entry.request->line), "}"});
            }
            return Concat({name, " ", request, quoted, " -> ", result});
        }
        case HostInsertText:
            return Concat({name, quoted});
        case HostRefresh:
        case HostExecCommand:
        case HostSetSelLength:
        case HostSetRedraw:
            return Concat({name, " ", wParam});
        default:
            return Concat({"Message ", std::to_string(entry.message), " ", wParam, " ",
                           std::to_string(entry.lParam), " -> ", result});
    }
}

}  // namespace HostEmulator
