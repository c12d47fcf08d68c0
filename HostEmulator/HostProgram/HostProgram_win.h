#pragma once

// The host program as the project's other Windows programs use it (the on-screen program): the
// plug-in loaded as the editor loads it, the keys that reach its popup menu, and the window basics
// they share. The host window and the program's own pieces stay its internals.

#include <windows.h>

#include "HostEmulator/HostProgram/MenuKeys.h"
#include "HostEmulator/HostProgram/PluginLibrary_win.h"
#include "HostEmulator/HostProgram/WindowBasics_win.h"

namespace HostEmulator {

// The virtual-key code a menu key is typed with.
WPARAM VirtualKey(MenuKey key);

}  // namespace HostEmulator
