#include "HostEmulator/HostProgram/PluginLibrary_win.h"

#include <stdexcept>
#include <vector>

#include "HostEmulator/HostProgram/DocumentText.h"

namespace HostEmulator {
namespace {

std::string Narrow(const std::wstring& text) {
    return ToUtf8(std::u16string(text.begin(), text.end()));
}

}  // namespace

PluginLibrary::PluginLibrary(const std::wstring& path) : module_(::LoadLibraryW(path.c_str())) {
    if (module_ == nullptr) {
        throw std::runtime_error("cannot load " + Narrow(path) + " (error " +
                                 std::to_string(::GetLastError()) + ")");
    }
    try {
        onCommand_ = Find<OnCommandFunction>("OnCommand");
        queryStatus_ = Find<QueryStatusFunction>("QueryStatus");
        onEvents_ = Find<OnEventsFunction>("OnEvents");
        getMenuTextId_ = Find<ResourceIdFunction>("GetMenuTextID");
        getStatusMessageId_ = Find<ResourceIdFunction>("GetStatusMessageID");
        getBitmapId_ = Find<ResourceIdFunction>("GetBitmapID");
        plugInProc_ = Find<PlugInProcFunction>("PlugInProc");
    } catch (...) {
        ::FreeLibrary(module_);
        throw;
    }
}

PluginLibrary::~PluginLibrary() {
    ::FreeLibrary(module_);
}

template <class Function>
Function PluginLibrary::Find(const char* name) const {
    const FARPROC address = ::GetProcAddress(module_, name);
    if (address == nullptr) {
        throw std::runtime_error(std::string("the plug-in does not export ") + name);
    }
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

std::string PluginLibrary::AskString(HWND window, UINT request) const {
    const LRESULT length = PlugInProc(window, request, 0, 0);
    if (length <= 0) {
        return {};
    }
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
    PlugInProc(window, request, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    return std::string(buffer.data());
}

std::wstring PluginLibrary::ResourceString(UINT id) const {
    const wchar_t* text = nullptr;
    // With a zero buffer size LoadStringW hands out a pointer into the resource itself.
    const int length = ::LoadStringW(module_, id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 ? std::wstring(text, static_cast<std::size_t>(length)) : std::wstring();
}

std::wstring PluginBesideProgram() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L"\\/") + 1) + L"Blankwise.dll";
}

}  // namespace HostEmulator
