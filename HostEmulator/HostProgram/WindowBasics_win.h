#pragma once

// What the project's Win32 programs and tests do alike with windows: register a window class, read
// a window's text, tell a window's class, and find a message box and its text.

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace HostEmulator {

// The classes of the system's message boxes (a dialog) and popup menus.
inline constexpr std::wstring_view kMessageBoxClass = L"#32770";
inline constexpr std::wstring_view kPopupMenuClass = L"#32768";
// The control of a message box that holds its text.
inline constexpr int kMessageBoxTextId = 0xFFFF;

// Registers the process's window class of that name once; later calls find it and do nothing.
// cursor and background may be null (none).
inline void RegisterWindowClass(const wchar_t* name, WNDPROC procedure, HCURSOR cursor = nullptr,
                                HBRUSH background = nullptr) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSW windowClass{};
    if (::GetClassInfoW(instance, name, &windowClass)) {
        return;
    }
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = cursor;
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = name;
    ::RegisterClassW(&windowClass);
}

inline std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

inline bool HasWindowClass(HWND window, std::wstring_view className) {
    wchar_t name[16] = {};
    ::GetClassNameW(window, name, 16);
    return std::wstring_view(name) == className;
}

}  // namespace HostEmulator
