#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace Blankwise {

// Window messages the host editor answers (sent to its editor window).
enum HostMessage : std::uint32_t {
    HostQueryStatus = 2049,
    HostRefresh = 2050,
    HostGetCaretPos = 2054,
    HostGetViewPos = 2057,
    HostSetCaretPos = 2066,
    HostSetViewPos = 2067,
    HostExecCommand = 2070,
    HostGetSelStart = 2074,
    HostGetSelEnd = 2075,
    HostSetSelLength = 2076,
    HostSetSelection = 2081,
    HostSetRedraw = 2092,
    HostHasSelection = 2093,
    HostGetSelText = 2094,
    HostGetLineText = 2095,
    HostInsertText = 2100,
};

// Host commands run with HostExecCommand or mirrored by HostQueryStatus.
inline constexpr std::uintptr_t kHostCommandSelectAll = 4136;
inline constexpr std::uintptr_t kHostCommandAfterWholeDocument = 4187;
inline constexpr std::uintptr_t kHostCommandStatus = 4201;

// Position kinds (wParam of the position messages).
inline constexpr std::uintptr_t kPositionKindVisible = 0;  // saves and restores the visible selection
inline constexpr std::uintptr_t kPositionKindUnits = 2;    // columns count UTF-16 units of the line

// A caret position as the host exchanges it: column, then line, both zero-based.
struct TCaretPos {
    std::int32_t column = 0;
    std::int32_t line = 0;
    friend bool operator==(const TCaretPos&, const TCaretPos&) = default;
};
static_assert(sizeof(TCaretPos) == 8);

// The host's view state: 8 bytes read and handed back unchanged.
struct TViewBlock {
    std::array<std::uint8_t, 8> bytes{};
};
static_assert(sizeof(TViewBlock) == 8);

// The record passed by address with HostGetLineText.
struct TLineRequest {
    std::int32_t bufferSize = 0;  // in UTF-16 units; 0 asks for the size needed
    std::int32_t flags = 0;
    std::int32_t line = 0;
};
static_assert(sizeof(TLineRequest) == 12);

// Menu flags of AppendMenuA and TrackPopupMenu.
inline constexpr std::uint32_t kMenuString = 0x0000;
inline constexpr std::uint32_t kMenuPopup = 0x0010;
inline constexpr std::uint32_t kMenuSeparator = 0x0800;
inline constexpr std::uint32_t kTrackReturnCommand = 0x0100;

// Message box styles and answers.
inline constexpr std::uint32_t kMessageBoxYesNoQuestion = 0x24;  // MB_YESNO | MB_ICONQUESTION
inline constexpr std::uint32_t kMessageBoxError = 0x10;          // MB_OK | MB_ICONHAND
inline constexpr int kMessageBoxYes = 6;

using MenuHandle = std::uintptr_t;

struct TScreenPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

// Everything the plug-in asks of its host window and of the user interface. The Win32
// implementation sends real messages to the host's window and shows real menus; the emulator
// answers in-process and records what it was given.
class HostPort {
  public:
    virtual ~HostPort() = default;

    // SendMessageA to the host window.
    virtual std::intptr_t Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) = 0;

    virtual MenuHandle CreatePopupMenu() = 0;
    // AppendMenuA; idOrSubmenu is the item id, or the submenu's handle with kMenuPopup.
    // The caption is code page 932 text.
    virtual void AppendMenu(MenuHandle menu, std::uint32_t flags, std::uintptr_t idOrSubmenu,
                            std::string_view caption) = 0;
    // Destroys a menu and the submenus attached to it.
    virtual void DestroyMenu(MenuHandle menu) = 0;
    virtual TScreenPoint GetCursorPos() = 0;
    // TrackPopupMenu(menu, flags, at.x, at.y, 0, host window, no rectangle).
    virtual std::intptr_t TrackPopupMenu(MenuHandle menu, std::uint32_t flags, TScreenPoint at) = 0;

    // MessageBoxA owned by the host window; text and caption are code page 932. Returns the answer.
    virtual int MessageBox(std::string_view text, std::string_view caption, std::uint32_t style) = 0;
};

// A pointer as a message's lParam (AddressOf) or wParam (WordOf), for a host message that reads or
// fills what it points to.
template <typename T>
std::intptr_t AddressOf(T* value) {
    return reinterpret_cast<std::intptr_t>(value);
}
template <typename T>
std::uintptr_t WordOf(T* value) {
    return reinterpret_cast<std::uintptr_t>(value);
}

}  // namespace Blankwise
