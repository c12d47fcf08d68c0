#include <string>
#include <vector>

#include "CommandLine/Program/BlankwiseApp.h"
#include "MyLibrary/Encoding/TextCodec.h"
#include "MyLibrary/StringUnit/TextPlatform.h"

// The arguments arrive in UTF-16 whatever the ANSI code page, so that any file name reaches the
// program; it works on them in UTF-8.
int wmain(int argc, wchar_t** argv) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t));
    // Display widths are those of code page 932 whatever the system's code page.
    MyLibrary::UseTextPlatform(MyLibrary::NativeTextPlatform());
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        args.push_back(MyLibrary::Utf16ToUtf8(reinterpret_cast<const char16_t*>(argv[i])));
    }
    return BlankwiseCli::RunBlankwise(args, BlankwiseCli::ProcessStreams());
}
