#include "Blankwise/Win32/Win32HostPort.h"

#include <string>

namespace Blankwise {
namespace {

HMENU ToMenu(MenuHandle menu) {
    return reinterpret_cast<HMENU>(menu);
}

}  // namespace

std::intptr_t Win32HostPort::Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    return ::SendMessageA(window_, message, wParam, lParam);
}

MenuHandle Win32HostPort::CreatePopupMenu() {
    return reinterpret_cast<MenuHandle>(::CreatePopupMenu());
}

void Win32HostPort::AppendMenu(MenuHandle menu, std::uint32_t flags, std::uintptr_t idOrSubmenu,
                               std::string_view caption) {
    const std::string text(caption);
    ::AppendMenuA(ToMenu(menu), flags, idOrSubmenu, text.c_str());
}

void Win32HostPort::DestroyMenu(MenuHandle menu) {
    ::DestroyMenu(ToMenu(menu));
}

TScreenPoint Win32HostPort::GetCursorPos() {
    POINT point{};
    ::GetCursorPos(&point);
    return {static_cast<std::int32_t>(point.x), static_cast<std::int32_t>(point.y)};
}

std::intptr_t Win32HostPort::TrackPopupMenu(MenuHandle menu, std::uint32_t flags, TScreenPoint at) {
    return ::TrackPopupMenu(ToMenu(menu), flags, at.x, at.y, 0, window_, nullptr);
}

int Win32HostPort::MessageBox(std::string_view text, std::string_view caption, std::uint32_t style) {
    const std::string zeroTerminatedText(text);
    const std::string zeroTerminatedCaption(caption);
    return ::MessageBoxA(window_, zeroTerminatedText.c_str(), zeroTerminatedCaption.c_str(), style);
}

}  // namespace Blankwise
