#include "OnScreen/ShotRequests_win.h"

#include <cstdio>
#include <stdexcept>
#include <string_view>

#include "HostEmulator/HostProgram/HostProgram_win.h"

namespace OnScreen {
namespace {

bool FileExists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Written under a temporary name and renamed, so that the taker never reads half a request.
void WriteWhole(const std::wstring& path, const std::string& bytes) {
    const std::wstring temporary = path + L".tmp";
    const HANDLE file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        throw std::runtime_error("cannot write a screenshot request");
    }
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    ::MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

std::string RectLine(const char* what, const RECT& rect) {
    return std::string(what) + " " + std::to_string(rect.left) + " " + std::to_string(rect.top) + " " +
           std::to_string(rect.right - rect.left) + " " + std::to_string(rect.bottom - rect.top) + "\n";
}

BOOL CALLBACK CollectMenuWindow(HWND window, LPARAM found) {
    if (HostEmulator::HasWindowClass(window, HostEmulator::kPopupMenuClass) && ::IsWindowVisible(window)) {
        RECT rect{};
        ::GetWindowRect(window, &rect);
        reinterpret_cast<std::vector<RECT>*>(found)->push_back(rect);
    }
    return TRUE;
}

}  // namespace

void ShotRequests::Request(const std::string& name, POINT pointer, HWND window,
                           const std::vector<RECT>& menus) const {
    RECT windowRect{};
    ::GetWindowRect(window, &windowRect);
    std::string request = "pointer " + std::to_string(pointer.x) + " " + std::to_string(pointer.y) + "\n";
    request += RectLine("window", windowRect);
    for (const RECT& menu : menus) {
        request += RectLine("menu", menu);
    }
    WriteWhole(PathOf(name, L".request"), request);
    std::printf("%s requested\n", name.c_str());
    std::fflush(stdout);
}

bool ShotRequests::Taken(const std::string& name) const {
    return FileExists(PathOf(name, L".done"));
}

std::wstring ShotRequests::PathOf(const std::string& name, const wchar_t* extension) const {
    return shotDir_ + L"\\" + std::wstring(name.begin(), name.end()) + extension;
}

std::vector<RECT> MenuWindows() {
    std::vector<RECT> rects;
    ::EnumWindows(&CollectMenuWindow, reinterpret_cast<LPARAM>(&rects));
    return rects;
}

}  // namespace OnScreen
