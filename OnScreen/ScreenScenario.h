#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "HostEmulator/HostProgram/MenuKeys.h"

namespace OnScreen {

using HostEmulator::MenuKey;

// One command run on screen: the conversion chosen with nothing selected and the document expected
// afterwards (the whole document converted).
struct ScreenRun {
    int id;
    std::u16string_view expected;
};

// The document every run starts from: tabs, half- and full-width spaces in Japanese lines, CR LF.
std::u16string_view ScreenDocument();
// One run through each of the four submenus, then the top-level entry.
std::span<const ScreenRun> ScreenRuns();

// The keys that choose an item, cut where a screenshot is taken: first the key that highlights the
// menu's first entry, then, for an item in a submenu, the keys up to the one that opens it; the last
// step holds the keys that choose the item. Every step is non-empty but the last may be.
struct MenuKeySteps {
    std::vector<MenuKey> highlight;
    std::vector<MenuKey> openSubmenu;  // empty for a top-level item
    std::vector<MenuKey> choose;
};
MenuKeySteps SplitMenuKeys(std::span<const MenuKey> keys);

// The document as a read-only edit control shows it: white space made visible (→ tab, · U+0020,
// □ U+3000) and every line break, CR LF, LF or CR, as the CR LF the control breaks lines at (the
// Japanese font has no marks for the kinds of break).
std::u16string VisibleForEdit(std::u16string_view text);

}  // namespace OnScreen
