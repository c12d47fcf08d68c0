#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace OnScreen {

// The program's side of the screenshots tools/screen-test.sh takes. A request is the file
// SHOT_DIR\NAME.request, written whole: "pointer X Y", "window X Y W H" and one "menu X Y W H"
// line per popup menu window on screen. The taker answers with SHOT_DIR\NAME.done.
class ShotRequests {
  public:
    explicit ShotRequests(std::wstring shotDir) : shotDir_(std::move(shotDir)) {}

    // Asks for the screenshot NAME of the screen as it is: the pointer, the window and the menus.
    void Request(const std::string& name, POINT pointer, HWND window, const std::vector<RECT>& menus) const;

    // Whether the screenshot NAME has been taken.
    bool Taken(const std::string& name) const;

  private:
    std::wstring PathOf(const std::string& name, const wchar_t* extension) const;

    std::wstring shotDir_;
};

// The popup menu windows on screen (class #32768), topmost first.
std::vector<RECT> MenuWindows();

}  // namespace OnScreen
