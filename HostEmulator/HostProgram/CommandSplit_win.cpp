#include "HostEmulator/HostProgram/CommandSplit_win.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

#include "Blankwise/ConversionPipelines.h"
#include "Blankwise/HostPort.h"
#include "Blankwise/LineWriteBack.h"

namespace HostEmulator {
namespace {

// The messages of the plug-in's host port, sent to the window as the DLL sends them; the command's
// core needs no menu or message box here.
class WindowMessagePort final : public Blankwise::HostPort {
  public:
    explicit WindowMessagePort(HWND window) : window_(window) {}

    std::intptr_t Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) override {
        return ::SendMessageA(window_, message, wParam, lParam);
    }
    Blankwise::MenuHandle CreatePopupMenu() override { throw Unexpected(); }
    void AppendMenu(Blankwise::MenuHandle, std::uint32_t, std::uintptr_t, std::string_view) override {
        throw Unexpected();
    }
    void DestroyMenu(Blankwise::MenuHandle) override { throw Unexpected(); }
    Blankwise::TScreenPoint GetCursorPos() override { throw Unexpected(); }
    std::intptr_t TrackPopupMenu(Blankwise::MenuHandle, std::uint32_t, Blankwise::TScreenPoint) override {
        throw Unexpected();
    }
    int MessageBox(std::string_view, std::string_view, std::uint32_t) override { throw Unexpected(); }

  private:
    static std::logic_error Unexpected() {
        return std::logic_error("the timed command has no user interface");
    }

    HWND window_;
};

// Times what `part` sends to the host window.
template <typename Part>
HostExchange Exchange(HostWindow& host, Part part) {
    const std::size_t messagesBefore = host.Model().Log().size();
    const std::uint64_t hostBefore = host.HostTicks();
    const double start = SecondsNow();
    const std::uint64_t startTicks = CheapTicks();
    part();
    const auto ticks = static_cast<double>(CheapTicks() - startTicks);
    const double seconds = SecondsNow() - start;
    const auto hostTicks = static_cast<double>(host.HostTicks() - hostBefore);
    return {seconds, ticks > 0 ? seconds * hostTicks / ticks : 0, host.Model().Log().size() - messagesBefore};
}

void AppendExchange(std::string& out, const char* name, const HostExchange& exchange) {
    char line[256];
    std::snprintf(line, sizeof line, "%s: %.4f\n%s answering: %.4f\n%s messages: %zu\n", name,
                  exchange.seconds, name, exchange.hostSeconds, name, exchange.messages);
    out += line;
}

}  // namespace

CommandSplit TimeCommandParts(HostWindow& host, int id) {
    CommandSplit split;
    WindowMessagePort port(host.Handle());
    Blankwise::TCaretPos selectionStart;
    bool wholeDocument = false;
    std::u16string prefix;
    std::u16string selected;
    split.read = Exchange(host, [&] {
        port.Send(Blankwise::HostGetSelStart, Blankwise::kPositionKindUnits, Blankwise::AddressOf(&selectionStart));
        wholeDocument = port.Send(Blankwise::HostHasSelection, 0, 0) == 0;
        prefix = Blankwise::GetLineText(port, selectionStart.line, Blankwise::kLineOptionLogical);
        prefix.resize(std::min(prefix.size(), static_cast<std::size_t>(std::max(selectionStart.column, 0))));
        if (wholeDocument) {
            port.Send(Blankwise::HostExecCommand, Blankwise::kHostCommandSelectAll, 0);
        }
        selected = Blankwise::GetSelectedText(port);
    });
    std::int32_t prefixWidth = 0;
    if (!wholeDocument) {
        const double start = SecondsNow();
        prefixWidth = Blankwise::PrefixWidth(prefix);
        split.prefixWidthSeconds = SecondsNow() - start;
    }
    split.steps = TimeConversionSteps(id, selected, prefixWidth);
    split.writeBack =
        Exchange(host, [&] { Blankwise::WriteBackLines(port, split.steps.converted, selected); });
    return split;
}

std::string FormatCommandSplit(const CommandSplit& split) {
    std::string out;
    AppendExchange(out, "read", split.read);
    char line[128];
    std::snprintf(line, sizeof line, "prefix width: %.4f\n", split.prefixWidthSeconds);
    out += line;
    out += FormatStepSplit(split.steps);
    AppendExchange(out, "write-back", split.writeBack);
    return out;
}

// The least seconds per call of `call` over several batches: the batch least disturbed by other work.
template <typename Call>
double SecondsPerCall(Call call) {
    constexpr int kBatches = 10;
    constexpr int kCalls = 2000;
    double least = 0;
    for (int batch = 0; batch < kBatches; ++batch) {
        const double start = SecondsNow();
        for (int i = 0; i < kCalls; ++i) {
            call();
        }
        const double seconds = (SecondsNow() - start) / kCalls;
        least = batch == 0 ? seconds : std::min(least, seconds);
    }
    return least;
}

WineCosts MeasureWineCosts(HostWindow& host) {
    WindowMessagePort port(host.Handle());
    WineCosts costs;
    // A message the model answers at once; the model's share is measured the same way and taken off.
    const double perMessage = SecondsPerCall([&] { port.Send(Blankwise::HostHasSelection, 0, 0); });
    const double answering =
        SecondsPerCall([&] { host.Model().HandleMessage(Blankwise::HostHasSelection, 0, 0); });
    costs.secondsPerMessage = std::max(perMessage - answering, 0.0);
    LARGE_INTEGER counter;
    costs.secondsPerClockRead = SecondsPerCall([&] { ::QueryPerformanceCounter(&counter); });
    // A word as the width measures met it between two blanks, and a comparison of one unit.
    const wchar_t word[] = L"会議資料";
    char bytes[16];
    costs.secondsPerConversion = SecondsPerCall(
        [&] { ::WideCharToMultiByte(CP_ACP, 0, word, 4, bytes, sizeof bytes, nullptr, nullptr); });
    costs.secondsPerComparison =
        SecondsPerCall([&] { ::CompareStringW(LOCALE_USER_DEFAULT, 0, L" ", 1, L"\u3000", 1); });
    return costs;
}

std::string FormatWineCosts(const WineCosts& costs) {
    char text[320];
    std::snprintf(text, sizeof text,
                  "microseconds per host message: %.3f\nmicroseconds per clock read: %.3f\n"
                  "microseconds per code page conversion of a word: %.3f\n"
                  "microseconds per locale comparison of a unit: %.3f\n",
                  costs.secondsPerMessage * 1e6, costs.secondsPerClockRead * 1e6,
                  costs.secondsPerConversion * 1e6, costs.secondsPerComparison * 1e6);
    return text;
}

}  // namespace HostEmulator
