#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "HostEmulator/EmulatedHostPort.h"
#include "HostEmulator/HostModel.h"

namespace Blankwise::Testing {

// A document in the emulated host editor and the port the plug-in talks to it through.
struct EmulatedHost {
    explicit EmulatedHost(std::u16string_view text = {}) : model(text) {}

    void Select(HostEmulator::Position anchor, HostEmulator::Position caret) { model.Select(anchor, caret); }

    // The transcript without the calls that build and release the menu.
    std::vector<std::string> Conversation() const {
        std::vector<std::string> lines;
        for (const std::string& line : port.Transcript()) {
            if (!line.starts_with("CreatePopupMenu") && !line.starts_with("AppendMenu") &&
                !line.starts_with("DestroyMenu") && !line.starts_with("GetCursorPos")) {
                lines.push_back(line);
            }
        }
        return lines;
    }

    HostEmulator::HostModel model;
    HostEmulator::EmulatedHostPort port{model};
};

}  // namespace Blankwise::Testing
