#pragma once

#include <windows.h>

// <windows.h> maps these names onto the A/W functions; here they name HostPort's members.
#undef AppendMenu
#undef MessageBox

#include "Blankwise/HostPort.h"

namespace Blankwise {

// The host seam over the real API: messages go to the host's editor window with SendMessageA,
// and that window owns the popup menus and the message boxes.
class Win32HostPort final : public HostPort {
  public:
    explicit Win32HostPort(HWND window) : window_(window) {}

    std::intptr_t Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    MenuHandle CreatePopupMenu() override;
    void AppendMenu(MenuHandle menu, std::uint32_t flags, std::uintptr_t idOrSubmenu,
                    std::string_view caption) override;
    void DestroyMenu(MenuHandle menu) override;
    TScreenPoint GetCursorPos() override;
    std::intptr_t TrackPopupMenu(MenuHandle menu, std::uint32_t flags, TScreenPoint at) override;
    int MessageBox(std::string_view text, std::string_view caption, std::uint32_t style) override;

  private:
    HWND window_;
};

}  // namespace Blankwise
