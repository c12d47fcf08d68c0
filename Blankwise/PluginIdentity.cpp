#include "Blankwise/PluginIdentity.h"

#include <algorithm>
#include <cstring>

#include "MyLibrary/StringUnit/TextPlatform.h"

namespace Blankwise {
namespace {

// Copies text into the host's buffer the way lstrcpynA would, except that a size of 0 or below
// writes nothing at all: lstrcpynA would otherwise be asked for wParam - 1 bytes, which a
// negative or zero size turns into a write far past the buffer.
std::intptr_t AnswerText(std::string_view text, std::uintptr_t wParam, std::intptr_t lParam) {
    const auto bufferSize = static_cast<std::intptr_t>(wParam);
    if (lParam != 0 && bufferSize > 0) {
        auto* buffer = reinterpret_cast<char*>(lParam);
        const auto copied = std::min(text.size(), static_cast<std::size_t>(bufferSize - 1));
        std::memcpy(buffer, text.data(), copied);
        buffer[copied] = '\0';
    }
    return static_cast<std::intptr_t>(text.size());
}

}  // namespace

const std::string& UninstallQuestion() {
    // Built on first use: the code page 932 table it needs is built then too, not at load.
    static const std::string question =
        MyLibrary::NativeTextPlatform().ToMultiByte(u"アンインストールしますか？");
    return question;
}

std::int32_t AnswerQueryStatus(HostPort& host, std::intptr_t checkedFlagAddress) {
    const std::intptr_t reply = host.Send(HostQueryStatus, kHostCommandStatus, checkedFlagAddress);
    return (reply & 0xFF) != 0 ? -1 : 0;
}

std::intptr_t AnswerPlugInRequest(HostPort& host, std::uint32_t request, std::uintptr_t wParam,
                                  std::intptr_t lParam) {
    switch (request) {
        case RequestName:
            return AnswerText(kPluginName, wParam, lParam);
        case RequestVersion:
            return AnswerText(kPluginVersion, wParam, lParam);
        case RequestUninstallable:
            return 1;
        case RequestUninstall:
            return host.MessageBox(UninstallQuestion(), kPluginName, kMessageBoxYesNoQuestion) ==
                           kMessageBoxYes
                       ? 1
                       : 0;
        default:
            return 0;
    }
}

void TEventRelay::OnEvents(HostPort& host, std::uint32_t events, std::intptr_t value) {
    if ((events & kEventStoreValue) != 0) {
        storedValue_ = value;
    }
    if ((events & kEventRefresh) != 0) {
        host.Send(HostRefresh, static_cast<std::uintptr_t>(storedValue_), 0);
    }
}

}  // namespace Blankwise
