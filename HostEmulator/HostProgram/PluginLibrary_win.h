#pragma once

#include <windows.h>

#include <string>

namespace HostEmulator {

// A plug-in DLL loaded as the editor loads one: by path, its seven entry points found by their
// undecorated names. Every entry point is stdcall; the editor calls them on its window's thread.
class PluginLibrary {
  public:
    using OnCommandFunction = void(WINAPI*)(HWND window);
    using QueryStatusFunction = BOOL(WINAPI*)(HWND window, BOOL* checked);
    using OnEventsFunction = void(WINAPI*)(HWND window, UINT events, LPARAM value);
    using ResourceIdFunction = UINT(WINAPI*)();
    using PlugInProcFunction = LRESULT(WINAPI*)(HWND window, UINT request, WPARAM wParam, LPARAM lParam);

    // Requests answered by PlugInProc.
    static constexpr UINT kRequestName = 2306;
    static constexpr UINT kRequestVersion = 2308;
    static constexpr UINT kRequestUninstallable = 2310;
    static constexpr UINT kRequestUninstall = 2311;

    // Throws std::runtime_error when the DLL does not load or lacks an entry point.
    explicit PluginLibrary(const std::wstring& path);
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    HMODULE Module() const { return module_; }

    void OnCommand(HWND window) const { onCommand_(window); }
    BOOL QueryStatus(HWND window, BOOL* checked) const { return queryStatus_(window, checked); }
    void OnEvents(HWND window, UINT events, LPARAM value) const { onEvents_(window, events, value); }
    UINT GetMenuTextID() const { return getMenuTextId_(); }
    UINT GetStatusMessageID() const { return getStatusMessageId_(); }
    UINT GetBitmapID() const { return getBitmapId_(); }
    LRESULT PlugInProc(HWND window, UINT request, WPARAM wParam, LPARAM lParam) const {
        return plugInProc_(window, request, wParam, lParam);
    }

    // The name (2306) or version (2308) string, asked for its length first: ANSI bytes as answered.
    std::string AskString(HWND window, UINT request) const;
    // A string from the DLL's string table (the menu and status texts).
    std::wstring ResourceString(UINT id) const;

  private:
    template <class Function>
    Function Find(const char* name) const;

    HMODULE module_ = nullptr;
    OnCommandFunction onCommand_ = nullptr;
    QueryStatusFunction queryStatus_ = nullptr;
    OnEventsFunction onEvents_ = nullptr;
    ResourceIdFunction getMenuTextId_ = nullptr;
    ResourceIdFunction getStatusMessageId_ = nullptr;
    ResourceIdFunction getBitmapId_ = nullptr;
    PlugInProcFunction plugInProc_ = nullptr;
};

// Blankwise.dll in the folder of the running program.
std::wstring PluginBesideProgram();

}  // namespace HostEmulator
