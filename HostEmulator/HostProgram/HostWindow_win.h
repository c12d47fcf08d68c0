#pragma once

#include <windows.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "HostEmulator/HostModel.h"
#include "HostEmulator/HostProgram/HostProgram_win.h"

namespace HostEmulator {

// What happened during one call of the plug-in's command.
struct CommandRun {
    bool menuOpened = false;                 // the owner heard from a menu loop going idle
    bool menuTimedOut = false;               // nobody chose in time and the host closed the menu itself
    std::size_t keysUnread = 0;              // keys typed that the menu had not read when it closed
    double seconds = 0;                      // from the call of OnCommand to its return
    double hostSeconds = 0;                  // of which the model spent answering host messages
    std::size_t hostMessages = 0;            // host messages the model answered during the call
    std::vector<std::wstring> messageBoxes;  // texts of the message boxes that came up
};

// The editor's window: a real top-level window whose procedure answers the host messages from a
// HostModel, and everything else as any window does. It drives the plug-in's popup menu the way
// a user at the keyboard would: the keys are posted to the window once the menu's loop reports
// itself idle (WM_ENTERIDLE), and that loop reads them from the thread's queue. Message boxes that
// come up during a command are answered at once with their first button (OK, else No).
class HostWindow {
  public:
    explicit HostWindow(std::u16string_view text = {});
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    HWND Handle() const { return window_; }
    HostModel& Model() { return model_; }
    const HostModel& Model() const { return model_; }

    // Calls the plug-in's OnCommand with this window, the pointer over the window, and types the
    // keys into the menu it opens.
    CommandRun RunCommand(const PluginLibrary& plugin, std::span<const MenuKey> keys);

    // The time the model has spent answering host messages since the window was made, in
    // CheapTicks().
    std::uint64_t HostTicks() const { return allHostTicks_; }

  private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Answer(UINT message, WPARAM wParam, LPARAM lParam);
    void Paint();

    HostModel model_;
    HWND window_ = nullptr;
    std::vector<MenuKey> keysToType_;
    CommandRun* run_ = nullptr;  // the command running, if any
    // Answering, in CheapTicks(): a clock read costs more under Wine than a host message, and
    // would be charged to the plug-in.
    std::uint64_t hostTicks_ = 0;     // since the command began
    std::uint64_t allHostTicks_ = 0;  // since the window was made
};

}  // namespace HostEmulator
