#include <editorconfig/editorconfig.h>

#include <filesystem>
#include <memory>
#include <new>
#include <system_error>

#include "CommandLine/Program/EditorConfig.h"
#include "CommandLine/Program/NameQuoting.h"
#include "CommandLine/System/FileAccess.h"

namespace BlankwiseCli {
namespace {

struct HandleDestroyer {
    void operator()(void* handle) const noexcept { editorconfig_handle_destroy(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleDestroyer>;

// libeditorconfig refuses a relative path: the name given is made absolute, its "." and ".." folded
// away as EditorConfig's other cores do it (Python's os.path.abspath).
std::string FullPath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(std::filesystem::path(path), error);
    if (error) {
        throw IoError("cannot find the current folder: " + error.message());
    }
    return absolute.lexically_normal().string();
}

}  // namespace

bool EditorConfigAvailable() {
    return true;
}

std::vector<std::pair<std::string, std::string>> EditorConfigProperties(const std::string& path) {
    const UniqueHandle handle(editorconfig_handle_init());
    if (!handle) {
        throw std::bad_alloc();
    }
    const int result = editorconfig_parse(FullPath(path).c_str(), handle.get());
    if (result == EDITORCONFIG_PARSE_MEMORY_ERROR) {
        throw std::bad_alloc();
    }
    if (result > 0) {
        const char* file = editorconfig_handle_get_err_file(handle.get());
        throw IoError("line " + std::to_string(result) + " of " +
                      QuotedName(file != nullptr ? file : ".editorconfig", NameUse::Message) +
                      " does not parse as EditorConfig");
    }
    if (result != 0) {
        throw IoError(std::string("EditorConfig: ") + editorconfig_get_error_msg(result));
    }
    std::vector<std::pair<std::string, std::string>> properties;
    const int count = editorconfig_handle_get_name_value_count(handle.get());
    for (int i = 0; i < count; ++i) {
        const char* name = nullptr;
        const char* value = nullptr;
        editorconfig_handle_get_name_value(handle.get(), i, &name, &value);
        properties.emplace_back(name != nullptr ? name : "", value != nullptr ? value : "");
    }
    return properties;
}

}  // namespace BlankwiseCli
