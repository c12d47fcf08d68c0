// BlankwiseHost: the editor's side of Blankwise.dll, for trying the plug-in without the editor.
// See HostProgramUsage() for the options.

#include <windows.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "Blankwise/ConversionPipelines.h"
#include "HostEmulator/HostProgram/CommandSplit_win.h"
#include "HostEmulator/HostProgram/DocumentText.h"
#include "HostEmulator/HostProgram/HostProgramOptions.h"
#include "HostEmulator/HostProgram/HostWindow_win.h"
#include "HostEmulator/HostProgram/MenuKeys.h"
#include "HostEmulator/HostProgram/PluginLibrary_win.h"
#include "MyLibrary/Encoding/TextCodec.h"

namespace HostEmulator {
namespace {

std::wstring Widen(std::string_view utf8) {
    const std::u16string units = MyLibrary::Utf8ToUtf16Lenient(utf8);
    return std::wstring(units.begin(), units.end());
}

std::string Narrow(std::wstring_view text) {
    return ToUtf8(std::u16string(text.begin(), text.end()));
}

// UTF-8 to a standard handle: as bytes into a pipe or a file, as UTF-16 to a console, which would
// otherwise read the bytes in the console's code page.
void WriteTo(DWORD which, std::string_view utf8) {
    const HANDLE handle = ::GetStdHandle(which);
    DWORD mode = 0;
    if (::GetConsoleMode(handle, &mode)) {
        const std::wstring text = Widen(utf8);
        constexpr std::size_t kChunk = 8192;
        for (std::size_t at = 0; at < text.size(); at += kChunk) {
            const std::size_t count = std::min(kChunk, text.size() - at);
            DWORD written = 0;
            ::WriteConsoleW(handle, text.data() + at, static_cast<DWORD>(count), &written, nullptr);
        }
        return;
    }
    while (!utf8.empty()) {
        DWORD written = 0;
        const auto count = static_cast<DWORD>(std::min<std::size_t>(utf8.size(), 1 << 20));
        if (!::WriteFile(handle, utf8.data(), count, &written, nullptr) || written == 0) {
            return;
        }
        utf8.remove_prefix(written);
    }
}

void Print(std::string_view utf8) {
    WriteTo(STD_OUTPUT_HANDLE, utf8);
}
void Complain(std::string_view utf8) {
    WriteTo(STD_ERROR_HANDLE, std::string("BlankwiseHost: ") + std::string(utf8) + "\n");
}

std::string ReadWholeFile(const std::string& path) {
    const HANDLE file = ::CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        throw std::runtime_error("cannot open " + path + " (error " + std::to_string(::GetLastError()) + ")");
    }
    std::string bytes;
    char buffer[1 << 16];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        bytes.append(buffer, read);
    }
    ::CloseHandle(file);
    return bytes;
}

void WriteWholeFile(const std::string& path, std::string_view bytes) {
    const HANDLE file = ::CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        throw std::runtime_error("cannot create " + path + " (error " + std::to_string(::GetLastError()) +
                                 ")");
    }
    bool complete = true;
    while (!bytes.empty() && complete) {
        DWORD written = 0;
        complete = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                   written > 0;
        bytes.remove_prefix(written);
    }
    ::CloseHandle(file);
    if (!complete) {
        throw std::runtime_error("cannot write " + path);
    }
}

std::string DescribeSelection(const HostModel& model) {
    if (!model.HasSelection()) {
        return "nothing selected, caret at " + FormatPosition(model.Caret());
    }
    return "selected from " + FormatPosition(model.Anchor()) + " to the caret at " +
           FormatPosition(model.Caret());
}

std::string DescribeChoice(const HostProgramOptions& options) {
    if (options.escape) {
        return "menu dismissed with Escape";
    }
    if (*options.choose == 0) {
        return "\"キャンセル\" chosen";
    }
    const Blankwise::TConversion& conversion =
        Blankwise::Conversions()[static_cast<std::size_t>(*options.choose - 1)];
    return std::to_string(conversion.id) + " \"" + ToUtf8(conversion.caption) + "\" chosen";
}

// The document as printed: exactly its text, unless a heading is to follow on a line of its own.
std::string Document(const HostModel& model, bool visible, bool headings) {
    if (visible) {
        return WithVisibleWhiteSpace(model.Text());
    }
    std::string text = ToUtf8(model.Text());
    if (headings && !text.empty() && text.back() != '\n') {
        text += '\n';
    }
    return text;
}

void PrintInfo(const PluginLibrary& plugin, HostWindow& host) {
    const auto ansi = [](const std::string& bytes) {
        std::wstring text(bytes.size(), L'\0');
        text.resize(static_cast<std::size_t>(
            ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                                  static_cast<int>(text.size()))));
        return Narrow(text);
    };
    std::wstring status = plugin.ResourceString(plugin.GetStatusMessageID());
    for (std::size_t at = status.find(L'\n'); at != std::wstring::npos; at = status.find(L'\n', at)) {
        status.replace(at, 1, L"\\n");
    }
    BOOL checked = 7;
    const BOOL enabled = plugin.QueryStatus(host.Handle(), &checked);
    std::string out;
    out += "name (PlugInProc 2306): " + ansi(plugin.AskString(host.Handle(), PluginLibrary::kRequestName)) +
           "\n";
    out += "version (PlugInProc 2308): " +
           ansi(plugin.AskString(host.Handle(), PluginLibrary::kRequestVersion)) + "\n";
    out += "menu text (string " + std::to_string(plugin.GetMenuTextID()) +
           "): " + Narrow(plugin.ResourceString(plugin.GetMenuTextID())) + "\n";
    out +=
        "status text (string " + std::to_string(plugin.GetStatusMessageID()) + "): " + Narrow(status) + "\n";
    out += "bitmap: " + std::to_string(plugin.GetBitmapID()) + "\n";
    out += "QueryStatus: " + std::to_string(enabled) + ", checked " + std::to_string(checked) + "\n";
    // Event bit 0x0400 gives the plug-in a value to keep; bit 0x0040 asks for a refresh with it.
    plugin.OnEvents(host.Handle(), 0x0440, 1234);
    out += "OnEvents 0x0440 with 1234: HostRefresh with " + std::to_string(host.Model().LastRefreshValue()) +
           "\n";
    out += "uninstallable (PlugInProc 2310): " +
           std::to_string(plugin.PlugInProc(host.Handle(), PluginLibrary::kRequestUninstallable, 0, 0)) +
           "\n";
    Print(out);
}

std::string Figures(const CommandRun& run, std::size_t changedLines) {
    char text[256];
    const double perLine =
        changedLines == 0 ? 0.0 : static_cast<double>(run.hostMessages) / static_cast<double>(changedLines);
    std::snprintf(text, sizeof text,
                  "seconds: %.3f\nseconds answering host messages: %.3f\nseconds in the plug-in: %.3f\n"
                  "host messages: %zu\nchanged lines: %zu\nmessages per changed line: %.2f\n",
                  run.seconds, run.hostSeconds, run.seconds - run.hostSeconds, run.hostMessages, changedLines,
                  perLine);
    return text;
}

// The command once for each id, each time on the document as read, with each run's figures; with
// --steps, first what Wine takes per message and a command cancelled in its menu, and after each
// run its parts redone in the host.
int RunEach(const HostProgramOptions& options, std::u16string_view text, const PluginLibrary& plugin,
            HostWindow& host) {
    HostModel& model = host.Model();
    const auto restore = [&] {
        model.SetText(text);
        model.Select(options.anchor.value_or(options.caret), options.caret);
        model.ClearLog();
    };
    const auto run = [&](int id) {
        restore();
        const CommandRun result =
            host.RunCommand(plugin, KeysToChoose(Blankwise::ConversionMenu(), id).value());
        const bool ran = result.menuOpened && !result.menuTimedOut && result.keysUnread == 0 &&
                         result.messageBoxes.empty();
        if (!ran) {
            Complain("the command with id " + std::to_string(id) + " did not run as chosen");
        }
        return std::pair{ran, result};
    };
    int status = 0;
    if (options.steps) {
        restore();
        const auto [ran, cancelled] = run(0);
        status = ran ? status : 1;
        char line[96];
        std::snprintf(line, sizeof line, "seconds of the command cancelled: %.4f\n", cancelled.seconds);
        Print(FormatWineCosts(MeasureWineCosts(host)) + line);
    }
    for (const int id : options.chooseEach) {
        const auto [ran, result] = run(id);
        status = ran ? status : 1;
        std::string figures =
            "id: " + std::to_string(id) + "\n" + Figures(result, CountChangedLines(text, model.Text()));
        if (options.steps) {
            const std::u16string converted = model.Text();
            restore();
            figures += FormatCommandSplit(TimeCommandParts(host, id));
            if (model.Text() != converted) {
                Complain("the parts of the command with id " + std::to_string(id) + " converted otherwise");
                status = 1;
            }
        }
        Print(figures);
    }
    return status;
}

int Run(const HostProgramOptions& options) {
    const DecodedDocument document = options.documentPath.empty()
                                         ? DecodedDocument{}
                                         : DecodeDocument(ReadWholeFile(options.documentPath));
    const PluginLibrary plugin(options.pluginPath.empty() ? PluginBesideProgram()
                                                          : Widen(options.pluginPath));
    HostWindow host;
    const bool headings = options.Sections() > 1;
    const auto heading = [&](const std::string& title) {
        if (headings) {
            Print("== " + title + "\n");
        }
    };

    if (options.info) {
        heading("the plug-in");
        PrintInfo(plugin, host);
    }
    if (options.documentPath.empty()) {
        return 0;
    }

    HostModel& model = host.Model();
    if (!options.chooseEach.empty()) {
        return RunEach(options, document.text, plugin, host);
    }
    model.SetText(document.text);
    model.Select(options.anchor.value_or(options.caret), options.caret);
    model.ClearLog();
    const std::u16string before = options.stats ? model.Text() : std::u16string();

    if (options.printBefore) {
        heading("before: " + DescribeSelection(model));
        Print(Document(model, options.visible, headings));
    }

    int status = 0;
    CommandRun run;
    if (options.RunsCommand()) {
        const std::vector<MenuKey> keys =
            options.escape ? std::vector<MenuKey>{MenuKey::Escape}
                           : KeysToChoose(Blankwise::ConversionMenu(), *options.choose).value();
        run = host.RunCommand(plugin, keys);
        if (!run.menuOpened) {
            Complain("the command opened no menu");
            status = 1;
        } else if (run.menuTimedOut || run.keysUnread != 0) {
            Complain("the menu closed before it had read the keys typed into it");
            status = 1;
        }
        for (const std::wstring& box : run.messageBoxes) {
            Complain("a message box came up: " + Narrow(box));
            status = 1;
        }
    }

    if (options.printAfter) {
        heading("after " + (options.RunsCommand() ? DescribeChoice(options) + ": " : std::string()) +
                DescribeSelection(model));
        Print(Document(model, options.visible, headings));
    }
    if (options.log) {
        heading("host messages");
        std::string out;
        for (const std::string& line : model.DescribeLog()) {
            out += line + "\n";
        }
        Print(out);
    }
    if (options.stats) {
        heading("figures");
        Print(Figures(run, CountChangedLines(before, model.Text())));
    }
    if (!options.savePath.empty()) {
        WriteWholeFile(options.savePath, EncodeDocument(model.Text(), document.encoding));
    }
    return status;
}

}  // namespace
}  // namespace HostEmulator

int wmain(int argc, wchar_t** argv) {
    using namespace HostEmulator;
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.push_back(Narrow(argv[i]));
    }
    try {
        const HostProgramOptions options = ParseHostProgramOptions(arguments);
        if (options.help) {
            Print(HostProgramUsage());
            return 0;
        }
        return Run(options);
    } catch (const UsageError& error) {
        Complain(std::string(error.what()) + " (--help lists the options)");
        return 2;
    } catch (const std::exception& error) {
        Complain(error.what());
        return 1;
    }
}
