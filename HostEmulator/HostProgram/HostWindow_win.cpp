#include "HostEmulator/HostProgram/HostWindow_win.h"

#include <algorithm>
#include <stdexcept>

#include "HostEmulator/HostProgram/StepTimes.h"
#include "HostEmulator/HostProgram/WindowBasics_win.h"

namespace HostEmulator {
namespace {

constexpr wchar_t kClassName[] = L"BlankwiseHostWindow";
constexpr UINT kFirstHostMessage = 2049;
constexpr UINT kLastHostMessage = 2100;
constexpr UINT_PTR kMenuTimer = 1;
constexpr UINT kMenuTimeoutMs = 20000;
constexpr std::size_t kPaintedUnits = 4096;

// The message boxes of the command running on this thread land here.
thread_local std::vector<std::wstring>* shownBoxes = nullptr;

// A message box is a dialog of class #32770; once it is active, a posted button press ends it.
LRESULT CALLBACK AnswerMessageBoxes(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && shownBoxes != nullptr) {
        const auto box = reinterpret_cast<HWND>(wParam);
        if (HasWindowClass(box, kMessageBoxClass)) {
            shownBoxes->push_back(WindowText(::GetDlgItem(box, kMessageBoxTextId)));
            const int button = ::GetDlgItem(box, IDOK) != nullptr ? IDOK : IDNO;
            ::PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(button), 0);
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

double Seconds(LONGLONG ticks) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

WPARAM VirtualKey(MenuKey key) {
    switch (key) {
        case MenuKey::Home:
            return VK_HOME;
        case MenuKey::Down:
            return VK_DOWN;
        case MenuKey::Right:
            return VK_RIGHT;
        case MenuKey::Return:
            return VK_RETURN;
        case MenuKey::Escape:
            return VK_ESCAPE;
    }
    return VK_ESCAPE;
}

HostWindow::HostWindow(std::u16string_view text) : model_(text) {
    RegisterWindowClass(kClassName, &HostWindow::Procedure, ::LoadCursorW(nullptr, IDC_IBEAM),
                        reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    window_ = ::CreateWindowExW(0, kClassName, L"Blankwise host", WS_OVERLAPPEDWINDOW, 40, 40, 640, 400,
                                nullptr, nullptr, ::GetModuleHandleW(nullptr), this);
    if (window_ == nullptr) {
        throw std::runtime_error("cannot create the host window (error " + std::to_string(::GetLastError()) +
                                 ")");
    }
    // Popup menus want an owner that is shown and in the foreground.
    ::ShowWindow(window_, SW_SHOWNORMAL);
    ::UpdateWindow(window_);
    ::SetForegroundWindow(window_);
}

HostWindow::~HostWindow() {
    ::DestroyWindow(window_);
}

CommandRun HostWindow::RunCommand(const PluginLibrary& plugin, std::span<const MenuKey> keys) {
    CommandRun run;
    keysToType_.assign(keys.begin(), keys.end());
    run_ = &run;

    RECT client{};
    ::GetClientRect(window_, &client);
    POINT pointer{(client.right - client.left) / 4, (client.bottom - client.top) / 4};
    ::ClientToScreen(window_, &pointer);
    ::SetCursorPos(pointer.x, pointer.y);
    ::SetForegroundWindow(window_);
    // What the window has to paint and the pointer's move are answered now, not in the menu's loop
    // while the command is timed.
    ::UpdateWindow(window_);
    MSG pending;
    while (::PeekMessageW(&pending, nullptr, 0, 0, PM_REMOVE)) {
        ::DispatchMessageW(&pending);
    }

    shownBoxes = &run.messageBoxes;
    const HHOOK hook = ::SetWindowsHookExW(WH_CBT, &AnswerMessageBoxes, nullptr, ::GetCurrentThreadId());
    ::SetTimer(window_, kMenuTimer, kMenuTimeoutMs, nullptr);
    const std::size_t messagesBefore = model_.Log().size();
    hostTicks_ = 0;

    LARGE_INTEGER start;
    LARGE_INTEGER end;
    ::QueryPerformanceCounter(&start);
    const std::uint64_t startTicks = CheapTicks();
    plugin.OnCommand(window_);
    const std::uint64_t ticks = CheapTicks() - startTicks;
    ::QueryPerformanceCounter(&end);

    run.seconds = Seconds(end.QuadPart - start.QuadPart);
    run.hostSeconds =
        ticks == 0 ? 0 : run.seconds * static_cast<double>(hostTicks_) / static_cast<double>(ticks);
    run.hostMessages = model_.Log().size() - messagesBefore;
    ::KillTimer(window_, kMenuTimer);
    if (hook != nullptr) {
        ::UnhookWindowsHookEx(hook);
    }
    shownBoxes = nullptr;
    run_ = nullptr;

    // Keys the menu left behind would otherwise reach the next menu.
    run.keysUnread = run.menuOpened ? 0 : keysToType_.size();
    MSG message;
    while (::PeekMessageW(&message, window_, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE)) {
        ++run.keysUnread;
    }
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::DispatchMessageW(&message);
    }
    keysToType_.clear();
    ::InvalidateRect(window_, nullptr, TRUE);
    return run;
}

LRESULT CALLBACK HostWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<HostWindow*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<HostWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) {
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    return self->Answer(message, wParam, lParam);
}

LRESULT HostWindow::Answer(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= kFirstHostMessage && message <= kLastHostMessage) {
        const bool wasRedrawing = model_.Redrawing();
        const std::uint64_t start = CheapTicks();
        const std::intptr_t result = model_.HandleMessage(message, wParam, lParam);
        const std::uint64_t ticks = CheapTicks() - start;
        hostTicks_ += ticks;
        allHostTicks_ += ticks;
        if (!wasRedrawing && model_.Redrawing()) {
            ::InvalidateRect(window_, nullptr, TRUE);
        }
        return result;
    }
    switch (message) {
        case WM_ENTERIDLE:
            // The menu is up and waiting: type the keys, all at once, for its loop to read in order.
            if (wParam == MSGF_MENU && run_ != nullptr && !run_->menuOpened) {
                run_->menuOpened = true;
                for (MenuKey key : keysToType_) {
                    ::PostMessageW(window_, WM_KEYDOWN, VirtualKey(key), 1);
                }
                keysToType_.clear();
            }
            return 0;
        case WM_TIMER:
            // Nothing closed the menu: close it, so that a run without a keyboard cannot hang.
            if (wParam == kMenuTimer && run_ != nullptr) {
                run_->menuTimedOut = true;
                ::EndMenu();
                ::KillTimer(window_, kMenuTimer);
                return 0;
            }
            break;
        case WM_PAINT:
            Paint();
            return 0;
        default:
            break;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

// The start of the document, as far as the window shows it; nothing while repainting is off.
void HostWindow::Paint() {
    PAINTSTRUCT paint;
    const HDC context = ::BeginPaint(window_, &paint);
    if (model_.Redrawing()) {
        RECT client{};
        ::GetClientRect(window_, &client);
        const std::u16string& text = model_.Text();
        const std::wstring shown(
            text.begin(), text.begin() + static_cast<std::ptrdiff_t>(std::min(text.size(), kPaintedUnits)));
        ::DrawTextW(context, shown.c_str(), static_cast<int>(shown.size()), &client,
                    DT_LEFT | DT_TOP | DT_EXPANDTABS | DT_NOPREFIX);
    }
    ::EndPaint(window_, &paint);
}

}  // namespace HostEmulator
