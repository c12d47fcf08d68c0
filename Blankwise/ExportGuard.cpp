#include "Blankwise/ExportGuard.h"

#include <string>

#include "Blankwise/PluginIdentity.h"
#include "MyLibrary/Encoding/TextCodec.h"
#include "MyLibrary/StringUnit/TextPlatform.h"

namespace Blankwise {

void ReportExportFailure(HostPort& host, std::string_view utf8Message) noexcept {
    try {
        const std::string text =
            MyLibrary::CurrentTextPlatform().ToMultiByte(MyLibrary::Utf8ToUtf16Lenient(utf8Message));
        host.MessageBox(text, kPluginName, kMessageBoxError);
    } catch (...) {
        // Out of memory or a failing host: the export still returns normally.
    }
}

}  // namespace Blankwise
