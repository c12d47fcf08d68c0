#include "HostEmulator/EmulatedHostPort.h"

#include <algorithm>

namespace HostEmulator {
namespace {

std::string Hex(std::uintptr_t value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    do {
        out.insert(out.begin(), kDigits[value % 16]);
        value /= 16;
    } while (value != 0);
    return "0x" + out;
}

}  // namespace

std::intptr_t EmulatedHostPort::Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    if (interceptor_) {
        if (const std::optional<std::intptr_t> answer = interceptor_(message, wParam, lParam)) {
            transcript_.push_back("Intercepted " + std::to_string(message) + " -> " +
                                  std::to_string(*answer));
            return *answer;
        }
    }
    const std::intptr_t result = model_.HandleMessage(message, wParam, lParam);
    transcript_.push_back(Describe(model_.Log().back()));
    return result;
}

Blankwise::MenuHandle EmulatedHostPort::CreatePopupMenu() {
    const Blankwise::MenuHandle handle = nextMenu_;
    nextMenu_ += 0x10;
    menus_[handle] = Menu{};
    transcript_.push_back("CreatePopupMenu -> " + Hex(handle));
    return handle;
}

EmulatedHostPort::Menu* EmulatedHostPort::Find(Blankwise::MenuHandle menu) {
    const auto found = menus_.find(menu);
    return found != menus_.end() && found->second.alive ? &found->second : nullptr;
}

void EmulatedHostPort::AppendMenu(Blankwise::MenuHandle menu, std::uint32_t flags, std::uintptr_t idOrSubmenu,
                                  std::string_view caption) {
    transcript_.push_back("AppendMenu " + Hex(menu) + " " + Hex(flags) + " " + Hex(idOrSubmenu));
    Menu* target = Find(menu);
    if (target == nullptr) {
        ++menuMisuse_;
        return;
    }
    if ((flags & Blankwise::kMenuPopup) != 0) {
        Menu* submenu = Find(idOrSubmenu);
        if (submenu == nullptr || submenu->attached || idOrSubmenu == menu) {
            ++menuMisuse_;
            return;
        }
        submenu->attached = true;
        target->submenus.push_back(idOrSubmenu);
    }
    target->entries.push_back({flags, idOrSubmenu, std::string(caption), {}});
}

void EmulatedHostPort::Destroy(Blankwise::MenuHandle menu) {
    Menu* target = Find(menu);
    if (target == nullptr) {
        return;
    }
    target->alive = false;
    for (Blankwise::MenuHandle submenu : target->submenus) {
        Destroy(submenu);
    }
}

void EmulatedHostPort::DestroyMenu(Blankwise::MenuHandle menu) {
    transcript_.push_back("DestroyMenu " + Hex(menu));
    if (Find(menu) == nullptr) {
        ++menuMisuse_;
        return;
    }
    Destroy(menu);
}

Blankwise::TScreenPoint EmulatedHostPort::GetCursorPos() {
    transcript_.push_back("GetCursorPos -> (" + std::to_string(cursor_.x) + "," + std::to_string(cursor_.y) +
                          ")");
    return cursor_;
}

std::vector<MenuNode> EmulatedHostPort::Snapshot(Blankwise::MenuHandle menu, int depth) {
    std::vector<MenuNode> nodes;
    const Menu* source = Find(menu);
    if (source == nullptr || depth > 8) {
        return nodes;
    }
    for (const MenuNode& entry : source->entries) {
        MenuNode node = entry;
        if ((entry.flags & Blankwise::kMenuPopup) != 0) {
            node.id = 0;
            node.submenu = Snapshot(entry.id, depth + 1);
        }
        nodes.push_back(std::move(node));
    }
    return nodes;
}

std::intptr_t EmulatedHostPort::TrackPopupMenu(Blankwise::MenuHandle menu, std::uint32_t flags,
                                               Blankwise::TScreenPoint at) {
    transcript_.push_back("TrackPopupMenu " + Hex(menu) + " " + Hex(flags) + " (" + std::to_string(at.x) +
                          "," + std::to_string(at.y) + ") -> " + std::to_string(menuChoice_));
    if (Find(menu) == nullptr) {
        ++menuMisuse_;
    }
    trackedMenu_ = Snapshot(menu, 0);
    trackFlags_ = flags;
    trackedAt_ = at;
    ++trackCount_;
    return menuChoice_;
}

int EmulatedHostPort::MessageBox(std::string_view text, std::string_view caption, std::uint32_t style) {
    transcript_.push_back("MessageBox " + Hex(style) + " -> " + std::to_string(messageBoxAnswer_));
    messageBoxes_.push_back({std::string(text), std::string(caption), style});
    return messageBoxAnswer_;
}

int EmulatedHostPort::LiveMenus() const {
    return static_cast<int>(
        std::count_if(menus_.begin(), menus_.end(), [](const auto& menu) { return menu.second.alive; }));
}

std::vector<std::string> EmulatedHostPort::TranscriptAfter(std::string_view prefix) const {
    const auto first = std::find_if(transcript_.begin(), transcript_.end(),
                                    [prefix](const std::string& line) { return line.starts_with(prefix); });
    return {first == transcript_.end() ? transcript_.begin() : first + 1, transcript_.end()};
}

}  // namespace HostEmulator
