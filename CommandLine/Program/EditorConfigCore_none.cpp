#include "CommandLine/Program/EditorConfig.h"
#include "CommandLine/System/FileAccess.h"

// A build without libeditorconfig: the options refuse --editorconfig, so nothing asks for properties.
namespace BlankwiseCli {

bool EditorConfigAvailable() {
    return false;
}

std::vector<std::pair<std::string, std::string>> EditorConfigProperties(const std::string&) {
    throw IoError("this build reads no .editorconfig files");
}

}  // namespace BlankwiseCli
