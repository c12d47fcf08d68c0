#include "Blankwise/Win32/tests/TestDesktop.h"

#include "HostEmulator/HostProgram/WindowBasics_win.h"

namespace Blankwise {
namespace {

using HostEmulator::HasWindowClass;
using HostEmulator::kMessageBoxClass;
using HostEmulator::kMessageBoxTextId;
using HostEmulator::WindowText;

constexpr wchar_t kHostClassName[] = L"BlankwiseTestHost";

MessageBoxAnswerer* activeAnswerer = nullptr;

}  // namespace

TestHostWindow::TestHostWindow(Answer answer) : answer_(std::move(answer)) {
    HostEmulator::RegisterWindowClass(kHostClassName, &TestHostWindow::Procedure);
    window_.Reset(::CreateWindowExW(0, kHostClassName, L"Host", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                                    nullptr, ::GetModuleHandleW(nullptr), this));
}

std::vector<TReceivedMessage> TestHostWindow::ReceivedOf(UINT message) const {
    std::vector<TReceivedMessage> matching;
    for (const TReceivedMessage& received : received_) {
        if (received.message == message) {
            matching.push_back(received);
        }
    }
    return matching;
}

LRESULT CALLBACK TestHostWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* self = reinterpret_cast<TestHostWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr && message >= WM_USER) {
        self->received_.push_back({message, wParam, lParam});
        return self->answer_ ? self->answer_(message, wParam, lParam) : 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

MessageBoxAnswerer::MessageBoxAnswerer(int button, const TestHostWindow* host)
    : button_(button), host_(host) {
    activeAnswerer = this;
    hook_.Reset(::SetWindowsHookExW(WH_CBT, &MessageBoxAnswerer::Hook, nullptr, ::GetCurrentThreadId()));
}

MessageBoxAnswerer::~MessageBoxAnswerer() {
    hook_.Reset();
    activeAnswerer = nullptr;
}

// A message box is a dialog (class #32770); answering it once it is active lets its own modal
// loop read the button press.
LRESULT CALLBACK MessageBoxAnswerer::Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && activeAnswerer != nullptr) {
        const auto window = reinterpret_cast<HWND>(wParam);
        if (HasWindowClass(window, kMessageBoxClass)) {
            activeAnswerer->Answer(window);
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void MessageBoxAnswerer::Answer(HWND box) {
    TShownMessageBox shown;
    shown.text = WindowText(::GetDlgItem(box, kMessageBoxTextId));
    shown.caption = WindowText(box);
    shown.owner = ::GetWindow(box, GW_OWNER);
    for (int id = IDOK; id <= IDNO; ++id) {
        if (::GetDlgItem(box, id) != nullptr) {
            shown.buttons.push_back(id);
        }
    }
    for (HWND child = ::GetWindow(box, GW_CHILD); child != nullptr && shown.icon == nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        shown.icon = reinterpret_cast<HICON>(::SendMessageW(child, STM_GETICON, 0, 0));
    }
    shown.hostMessagesBefore = host_ != nullptr ? host_->Received().size() : 0;
    shown_.push_back(std::move(shown));
    ::PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(button_), 0);
}

void QueueKeys(HWND window, std::initializer_list<WPARAM> keys) {
    for (WPARAM key : keys) {
        ::PostMessageW(window, WM_KEYDOWN, key, 0);
    }
}

void DrainMessages() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::DispatchMessageW(&message);
    }
}

}  // namespace Blankwise
