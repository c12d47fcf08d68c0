#pragma once

#include <windows.h>

// The seven functions the host finds by name in Blankwise.dll (listed in Blankwise.def). All are
// stdcall; the host calls them on its user-interface thread with its editor window.
extern "C" {
void WINAPI OnCommand(HWND window);
BOOL WINAPI QueryStatus(HWND window, BOOL* checked);
void WINAPI OnEvents(HWND window, UINT events, LPARAM value);
UINT WINAPI GetMenuTextID();
UINT WINAPI GetStatusMessageID();
UINT WINAPI GetBitmapID();
LRESULT WINAPI PlugInProc(HWND window, UINT request, WPARAM wParam, LPARAM lParam);
}

namespace Blankwise {

// Their types, for a caller that looks them up with GetProcAddress.
using OnCommandProc = decltype(&OnCommand);
using QueryStatusProc = decltype(&QueryStatus);
using OnEventsProc = decltype(&OnEvents);
using GetMenuTextIDProc = decltype(&GetMenuTextID);
using GetStatusMessageIDProc = decltype(&GetStatusMessageID);
using GetBitmapIDProc = decltype(&GetBitmapID);
using PlugInProcProc = decltype(&PlugInProc);

}  // namespace Blankwise
