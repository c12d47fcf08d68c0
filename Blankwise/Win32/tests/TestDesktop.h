#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "Blankwise/Win32/UniqueHandle.h"

namespace Blankwise {

struct TReceivedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// A real top-level window standing in for the host's editor window: it records every message
// from WM_USER up (the host messages) and answers them with a function the test gives.
class TestHostWindow {
  public:
    using Answer = std::function<LRESULT(UINT message, WPARAM wParam, LPARAM lParam)>;

    explicit TestHostWindow(Answer answer = {});
    TestHostWindow(const TestHostWindow&) = delete;
    TestHostWindow& operator=(const TestHostWindow&) = delete;

    HWND Handle() const { return window_.Get(); }
    const std::vector<TReceivedMessage>& Received() const { return received_; }
    std::vector<TReceivedMessage> ReceivedOf(UINT message) const;

  private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    Answer answer_;
    std::vector<TReceivedMessage> received_;
    UniqueWindow window_;
};

// What one message box showed when it came up.
struct TShownMessageBox {
    std::wstring text;
    std::wstring caption;
    HWND owner = nullptr;
    std::vector<int> buttons;  // the command ids of its buttons, in IDOK..IDNO order
    HICON icon = nullptr;
    std::size_t hostMessagesBefore = 0;  // messages the host window had received by then
};

// While it lives, answers every message box the calling thread shows by pressing one button,
// and records what each box showed.
class MessageBoxAnswerer {
  public:
    MessageBoxAnswerer(int button, const TestHostWindow* host);
    ~MessageBoxAnswerer();
    MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
    MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

    const std::vector<TShownMessageBox>& Shown() const { return shown_; }

  private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    void Answer(HWND box);

    int button_;
    const TestHostWindow* host_;
    std::vector<TShownMessageBox> shown_;
    UniqueHook hook_;
};

// Queues key presses for the thread's next modal menu loop to read.
void QueueKeys(HWND window, std::initializer_list<WPARAM> keys);

// Removes whatever is still queued for the calling thread.
void DrainMessages();

}  // namespace Blankwise
