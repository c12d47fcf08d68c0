// BlankwiseScreen: Blankwise.dll in a visible host window whose document is shown with its white
// space made visible. For each run of the scenario it calls OnCommand, types into the real popup menu
// step by step and, at each step, asks for a screenshot and waits until it is taken:
//
//   BlankwiseScreen.exe SHOT_DIR [PLUGIN_DLL]
//
// The requests and their answers are files in SHOT_DIR (ShotRequests_win.h). The program checks
// what it can see from inside (the menu opened at the pointer, the submenu beside it, the keys read,
// the document converted) and exits 1 when anything is wrong.

#include <windows.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "Blankwise/ConversionPipelines.h"
#include "HostEmulator/HostModel.h"
#include "HostEmulator/HostProgram/HostProgram_win.h"
#include "OnScreen/ScreenScenario.h"
#include "OnScreen/ShotRequests_win.h"

namespace OnScreen {
namespace {

using HostEmulator::HostModel;
using HostEmulator::PluginLibrary;
using HostEmulator::VirtualKey;

constexpr wchar_t kClassName[] = L"BlankwiseScreenWindow";
constexpr UINT kFirstHostMessage = 2049;
constexpr UINT kLastHostMessage = 2100;
constexpr UINT_PTR kWakeTimer = 1;
constexpr UINT kWakeMs = 50;
constexpr DWORD kSettleMs = 400;         // for the menu to reach the X server before a shot
constexpr DWORD kShotTimeoutMs = 30000;  // for the taker to answer one request
constexpr int kEditId = 100;
// Where the pointer stands, in client coordinates, when the command opens its menu.
constexpr POINT kPointer{150, 70};

std::wstring Wide(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

// One screenshot of the command's menu: the keys that lead to it and the number of menu windows
// it must show.
struct MenuStep {
    std::vector<MenuKey> keys;
    std::string shot;
    std::size_t menus;
};

// A command in progress: where it stands in its steps.
struct CommandState {
    enum class Phase { NotOpen, Settling, Waiting, Chosen };
    std::vector<MenuStep> steps;
    std::vector<MenuKey> finalKeys;
    Phase phase = Phase::NotOpen;
    std::size_t step = 0;
    DWORD since = 0;
    std::vector<std::string> faults;
};

class ScreenWindow {
  public:
    ScreenWindow(std::wstring shotDir) : shots_(std::move(shotDir)) {
        HostEmulator::RegisterWindowClass(kClassName, &ScreenWindow::Procedure,
                                          ::LoadCursorW(nullptr, IDC_ARROW),
                                          reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
        window_ = ::CreateWindowExW(0, kClassName, L"Blankwise", WS_OVERLAPPEDWINDOW, 0, 0, 720, 300, nullptr,
                                    nullptr, ::GetModuleHandleW(nullptr), this);
        if (window_ == nullptr) {
            throw std::runtime_error("cannot create the window");
        }
        font_ =
            ::CreateFontW(-20, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, L"IPAGothic");
        edit_ = ::CreateWindowExW(
            0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
            0, 0, 0, 0, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditId)),
            ::GetModuleHandleW(nullptr), nullptr);
        ::SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
        Layout();
        ::ShowWindow(window_, SW_SHOWNORMAL);
        ::UpdateWindow(window_);
        ::SetForegroundWindow(window_);
    }
    ~ScreenWindow() {
        ::DestroyWindow(window_);
        ::DeleteObject(font_);
    }
    ScreenWindow(const ScreenWindow&) = delete;
    ScreenWindow& operator=(const ScreenWindow&) = delete;

    // One run: the document shown, the command run with nothing selected, a screenshot before, at
    // each menu step and after. The faults found, none when all went as it should.
    std::vector<std::string> Run(const PluginLibrary& plugin, const ScreenRun& run,
                                 const std::string& prefix) {
        std::vector<std::string> faults;
        model_.SetText(ScreenDocument());
        model_.Select({0, 0}, {0, 0});
        ShowDocument(u"前 (before)");
        Shot(prefix + "-before", {}, faults);

        const std::vector<MenuKey> keys =
            HostEmulator::KeysToChoose(Blankwise::ConversionMenu(), run.id).value();
        const MenuKeySteps split = SplitMenuKeys(keys);
        CommandState command;
        command.steps.push_back({split.highlight, prefix + "-menu", 1});
        if (!split.openSubmenu.empty()) {
            command.steps.push_back({split.openSubmenu, prefix + "-submenu", 2});
        }
        command.finalKeys = split.choose;

        POINT pointer = kPointer;
        ::ClientToScreen(window_, &pointer);
        pointer_ = pointer;
        ::SetCursorPos(pointer.x, pointer.y);
        ::SetForegroundWindow(window_);
        command_ = &command;
        ::SetTimer(window_, kWakeTimer, kWakeMs, nullptr);
        plugin.OnCommand(window_);
        ::KillTimer(window_, kWakeTimer);
        command_ = nullptr;

        faults.insert(faults.end(), command.faults.begin(), command.faults.end());
        if (command.phase != CommandState::Phase::Chosen) {
            faults.push_back("the menu closed before every step was taken");
        }
        MSG message;
        std::size_t keysLeft = 0;
        while (::PeekMessageW(&message, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE)) {
            ++keysLeft;
        }
        if (keysLeft != 0) {
            faults.push_back(std::to_string(keysLeft) + " keys were left unread by the menu");
        }
        if (model_.Text() != run.expected) {
            faults.push_back("the document is not the expected one after the command");
        }
        if (!model_.Redrawing()) {
            faults.push_back("repainting was left off");
        }
        ShowDocument(u"後 (after)");
        Shot(prefix + "-after", {}, faults);
        return faults;
    }

  private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* self =
                static_cast<ScreenWindow*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
            self->window_ = window;
            ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
        auto* self = reinterpret_cast<ScreenWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self == nullptr) {
            return ::DefWindowProcW(window, message, wParam, lParam);
        }
        return self->Answer(message, wParam, lParam);
    }

    LRESULT Answer(UINT message, WPARAM wParam, LPARAM lParam) {
        if (message >= kFirstHostMessage && message <= kLastHostMessage) {
            return model_.HandleMessage(message, wParam, lParam);
        }
        switch (message) {
            case WM_SIZE:
                Layout();
                return 0;
            case WM_CTLCOLORSTATIC:
                // A read-only edit control asks here: white, like a document, not grey.
                ::SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
                return reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH));
            case WM_ENTERIDLE:
                // The menu's loop reports itself idle once after each key it reads, not again.
                if (wParam == MSGF_MENU && command_ != nullptr &&
                    command_->phase == CommandState::Phase::NotOpen) {
                    std::printf("the menu is open\n");
                    std::fflush(stdout);
                    StartStep(*command_, 0, ::GetTickCount());
                }
                return 0;
            case WM_TIMER:
                // The menu's loop hands the owner its timer messages: the steps move on from here.
                if (wParam == kWakeTimer) {
                    OnMenuTick();
                    return 0;
                }
                break;
            default:
                break;
        }
        return ::DefWindowProcW(window_, message, wParam, lParam);
    }

    void Layout() {
        RECT client{};
        ::GetClientRect(window_, &client);
        ::MoveWindow(edit_, 0, 0, client.right, client.bottom, TRUE);
    }

    void ShowDocument(std::u16string_view title) {
        const std::wstring caption = L"Blankwise — " + Wide(title);
        ::SetWindowTextW(window_, caption.c_str());
        const std::wstring shown = Wide(VisibleForEdit(model_.Text()));
        ::SetWindowTextW(edit_, shown.c_str());
        ::RedrawWindow(window_, nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }

    void RequestShot(const std::string& name, const std::vector<RECT>& menus) {
        shots_.Request(name, pointer_, window_, menus);
    }

    // A screenshot outside the menu: the window painted, then the request, the messages pumped
    // until the answer comes.
    void Shot(const std::string& name, const std::vector<RECT>& menus, std::vector<std::string>& faults) {
        PumpFor(kSettleMs);
        RequestShot(name, menus);
        const DWORD start = ::GetTickCount();
        while (!shots_.Taken(name)) {
            if (::GetTickCount() - start > kShotTimeoutMs) {
                faults.push_back("no screenshot " + name + " was taken");
                return;
            }
            PumpFor(kWakeMs);
        }
    }

    static void PumpFor(DWORD milliseconds) {
        const DWORD start = ::GetTickCount();
        do {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, kWakeMs, QS_ALLINPUT);
            MSG message;
            while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                ::TranslateMessage(&message);
                ::DispatchMessageW(&message);
            }
        } while (::GetTickCount() - start < milliseconds);
    }

    // While the menu is open: once the keys of a step have been read and the menu has had time to
    // show them, ask for its screenshot; once it is taken, type the next step's keys.
    void OnMenuTick() {
        if (command_ == nullptr) {
            return;
        }
        CommandState& command = *command_;
        const DWORD now = ::GetTickCount();
        MSG pending;
        switch (command.phase) {
            case CommandState::Phase::NotOpen:
            case CommandState::Phase::Chosen:
                break;
            case CommandState::Phase::Settling:
                if (now - command.since >= kSettleMs &&
                    !::PeekMessageW(&pending, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE)) {
                    const MenuStep& step = command.steps[command.step];
                    const std::vector<RECT> menus = MenuWindows();
                    CheckMenus(command, step, menus);
                    RequestShot(step.shot, menus);
                    command.phase = CommandState::Phase::Waiting;
                    command.since = now;
                }
                break;
            case CommandState::Phase::Waiting:
                if (shots_.Taken(command.steps[command.step].shot)) {
                    StartStep(command, command.step + 1, now);
                } else if (now - command.since >= kShotTimeoutMs) {
                    command.faults.push_back("no screenshot " + command.steps[command.step].shot +
                                             " was taken");
                    command.phase = CommandState::Phase::Chosen;
                    ::EndMenu();
                }
                break;
        }
    }

    void StartStep(CommandState& command, std::size_t step, DWORD now) {
        const bool last = step >= command.steps.size();
        for (MenuKey key : last ? command.finalKeys : command.steps[step].keys) {
            ::PostMessageW(window_, WM_KEYDOWN, VirtualKey(key), 1);
        }
        command.step = step;
        command.since = now;
        command.phase = last ? CommandState::Phase::Chosen : CommandState::Phase::Settling;
    }

    // The menu opens with its top-left corner at the pointer; an open submenu adds a second window,
    // to the right of the menu.
    void CheckMenus(CommandState& command, const MenuStep& step, const std::vector<RECT>& menus) const {
        if (menus.size() != step.menus) {
            command.faults.push_back(step.shot + ": " + std::to_string(menus.size()) +
                                     " menu windows on screen, not " + std::to_string(step.menus));
            return;
        }
        const RECT& top = menus.back();
        if (top.left != pointer_.x || top.top != pointer_.y) {
            command.faults.push_back(step.shot + ": the menu does not open at the pointer");
        }
        if (menus.size() == 2 && menus.front().left < top.right - 8) {
            command.faults.push_back(step.shot + ": the submenu is not beside the menu");
        }
    }

    ShotRequests shots_;
    HostModel model_;
    HWND window_ = nullptr;
    HWND edit_ = nullptr;
    HFONT font_ = nullptr;
    POINT pointer_{};
    CommandState* command_ = nullptr;
};

int Main(const std::wstring& shotDir, const std::wstring& pluginPath) {
    const PluginLibrary plugin(pluginPath.empty() ? HostEmulator::PluginBesideProgram() : pluginPath);
    ScreenWindow screen(shotDir);
    int status = 0;
    int number = 1;
    for (const ScreenRun& run : ScreenRuns()) {
        char prefix[32];
        std::snprintf(prefix, sizeof prefix, "%02d-id%d", number++, run.id);
        const std::vector<std::string> faults = screen.Run(plugin, run, prefix);
        std::printf("%s: %s\n", prefix, faults.empty() ? "ok" : "FAILED");
        for (const std::string& fault : faults) {
            std::printf("  %s\n", fault.c_str());
        }
        status = faults.empty() ? status : 1;
    }
    std::fflush(stdout);
    return status;
}

}  // namespace
}  // namespace OnScreen

int wmain(int argc, wchar_t** argv) {
    if (argc < 2 || argc > 3) {
        std::fputs("usage: BlankwiseScreen.exe SHOT_DIR [PLUGIN_DLL]\n", stderr);
        return 2;
    }
    try {
        return OnScreen::Main(argv[1], argc == 3 ? argv[2] : L"");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "BlankwiseScreen: %s\n", error.what());
        return 1;
    }
}
