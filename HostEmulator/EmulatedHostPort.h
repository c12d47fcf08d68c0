#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Blankwise/HostPort.h"
#include "HostEmulator/HostModel.h"

namespace HostEmulator {

// One entry of a popup menu as it was appended: flags, the id (0 for a submenu entry or a
// separator), the caption's code page 932 bytes and, for a submenu entry, the submenu's entries.
struct MenuNode {
    std::uint32_t flags = 0;
    std::uintptr_t id = 0;
    std::string caption;
    std::vector<MenuNode> submenu;
    friend bool operator==(const MenuNode&, const MenuNode&) = default;
};

struct ShownMessageBox {
    std::string text;     // code page 932
    std::string caption;  // code page 932
    std::uint32_t style = 0;
};

// The plug-in's host port answered in-process: messages go to a HostModel, menus and message boxes
// are recorded and answered from a script. Every call lands in Transcript() in order, host
// messages described as HostModel::DescribeLog describes them.
class EmulatedHostPort final : public Blankwise::HostPort {
  public:
    // Answers a message instead of the model when it returns a value; may also throw, to stand
    // for a host or a system call that fails. Intercepted messages are not seen by the model.
    using Interceptor = std::function<std::optional<std::intptr_t>(
        std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)>;

    explicit EmulatedHostPort(HostModel& model) : model_(model) {}

    std::intptr_t Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override;
    Blankwise::MenuHandle CreatePopupMenu() override;
    void AppendMenu(Blankwise::MenuHandle menu, std::uint32_t flags, std::uintptr_t idOrSubmenu,
                    std::string_view caption) override;
    void DestroyMenu(Blankwise::MenuHandle menu) override;
    Blankwise::TScreenPoint GetCursorPos() override;
    std::intptr_t TrackPopupMenu(Blankwise::MenuHandle menu, std::uint32_t flags,
                                 Blankwise::TScreenPoint at) override;
    int MessageBox(std::string_view text, std::string_view caption, std::uint32_t style) override;

    // What TrackPopupMenu answers (a menu id, 0 for a dismissed menu) and what MessageBox answers.
    void ScriptMenuChoice(std::intptr_t result) { menuChoice_ = result; }
    void ScriptMessageBoxAnswer(int answer) { messageBoxAnswer_ = answer; }
    void SetCursor(Blankwise::TScreenPoint at) { cursor_ = at; }
    void SetInterceptor(Interceptor interceptor) { interceptor_ = std::move(interceptor); }

    const std::vector<std::string>& Transcript() const { return transcript_; }
    // The transcript's entries after the first one that starts with prefix (all of them if none does).
    std::vector<std::string> TranscriptAfter(std::string_view prefix) const;

    // The menu tree TrackPopupMenu was last given, as it stood then.
    const std::vector<MenuNode>& TrackedMenu() const { return trackedMenu_; }
    std::uint32_t TrackFlags() const { return trackFlags_; }
    Blankwise::TScreenPoint TrackedAt() const { return trackedAt_; }
    int TrackCount() const { return trackCount_; }

    // Menus created and not yet destroyed (directly or with the menu they are attached to).
    int LiveMenus() const;
    // Calls on a menu that does not exist or no longer exists, and submenus attached twice.
    int MenuMisuse() const { return menuMisuse_; }

    const std::vector<ShownMessageBox>& MessageBoxes() const { return messageBoxes_; }

  private:
    struct Menu {
        bool alive = true;
        bool attached = false;
        std::vector<MenuNode> entries;  // submenu entries keep the handle in id until snapshotted
        std::vector<Blankwise::MenuHandle> submenus;
    };

    Menu* Find(Blankwise::MenuHandle menu);
    void Destroy(Blankwise::MenuHandle menu);
    std::vector<MenuNode> Snapshot(Blankwise::MenuHandle menu, int depth);

    HostModel& model_;
    Interceptor interceptor_;
    std::intptr_t menuChoice_ = 0;
    int messageBoxAnswer_ = 0;
    Blankwise::TScreenPoint cursor_{};
    std::vector<std::string> transcript_;
    std::map<Blankwise::MenuHandle, Menu> menus_;
    Blankwise::MenuHandle nextMenu_ = 0x1000;
    std::vector<MenuNode> trackedMenu_;
    std::uint32_t trackFlags_ = 0;
    Blankwise::TScreenPoint trackedAt_{};
    int trackCount_ = 0;
    int menuMisuse_ = 0;
    std::vector<ShownMessageBox> messageBoxes_;
};

}  // namespace HostEmulator
