// Blankwise.dll: the entry points the host editor calls. Each one that does any work runs it
// inside GuardExport, so that no exception reaches the host.

#include <cstdint>

#include "Blankwise/ConversionCommand.h"
#include "Blankwise/ExportGuard.h"
#include "Blankwise/PluginIdentity.h"
#include "Blankwise/Win32/PluginExports.h"
#include "Blankwise/Win32/ResourceIds.h"
#include "Blankwise/Win32/Win32HostPort.h"
#include "MyLibrary/TemplateList/ListClone.h"

static_assert(IDS_LIST_CAPACITY_ERROR == MyLibrary::kListCapacityErrorId);
static_assert(IDS_LIST_COUNT_ERROR == MyLibrary::kListCountErrorId);
static_assert(IDS_LIST_INDEX_ERROR == MyLibrary::kListIndexErrorId);

namespace {

// The value of the last event that carried one: the only state kept between calls.
Blankwise::TEventRelay eventRelay;

}  // namespace

// Runs the conversion command; a failure is shown to the user in an error box.
void WINAPI OnCommand(HWND window) {
    Blankwise::Win32HostPort host(window);
    Blankwise::GuardExport(&host, [&host] { Blankwise::RunConversionCommand(host); });
}

// Mirrors the enabled state of host command 4201 as -1 or 0.
BOOL WINAPI QueryStatus(HWND window, BOOL* checked) {
    Blankwise::Win32HostPort host(window);
    return Blankwise::GuardExport<BOOL>(nullptr, FALSE, [&host, checked] {
        return Blankwise::AnswerQueryStatus(host, reinterpret_cast<std::intptr_t>(checked));
    });
}

void WINAPI OnEvents(HWND window, UINT events, LPARAM value) {
    Blankwise::Win32HostPort host(window);
    Blankwise::GuardExport(nullptr, [&host, events, value] { eventRelay.OnEvents(host, events, value); });
}

// The three resource ids cannot fail.
UINT WINAPI GetMenuTextID() {
    return IDS_MENU_TEXT;
}

UINT WINAPI GetStatusMessageID() {
    return IDS_STATUS_MESSAGE;
}

UINT WINAPI GetBitmapID() {
    return IDB_COMMAND;
}

LRESULT WINAPI PlugInProc(HWND window, UINT request, WPARAM wParam, LPARAM lParam) {
    Blankwise::Win32HostPort host(window);
    return Blankwise::GuardExport<LRESULT>(nullptr, 0, [&host, request, wParam, lParam] {
        return Blankwise::AnswerPlugInRequest(host, request, wParam, lParam);
    });
}
