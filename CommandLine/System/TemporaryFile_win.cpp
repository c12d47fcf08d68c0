#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "CommandLine/System/FileAccess.h"
#include "CommandLine/System/TemporaryFile.h"

namespace BlankwiseCli {

// The system deletes the file when its handle closes, also when the process is ended.
UniqueFile OpenTemporaryFile() {
    wchar_t folder[MAX_PATH + 1];
    wchar_t name[MAX_PATH + 1];
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, folder);
    HANDLE handle = INVALID_HANDLE_VALUE;
    if (length > 0 && length <= MAX_PATH && ::GetTempFileNameW(folder, L"bkw", 0, name) != 0) {
        handle = ::CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                               FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            ::DeleteFileW(name);
        }
    }
    if (handle == INVALID_HANDLE_VALUE) {
        throw IoError("cannot create a temporary file: Windows error " + std::to_string(::GetLastError()));
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDWR | _O_BINARY);
    std::FILE* file = fd >= 0 ? ::_fdopen(fd, "w+b") : nullptr;
    if (file == nullptr) {
        if (fd >= 0) {
            ::_close(fd);
        } else {
            ::CloseHandle(handle);
        }
        throw IoError("cannot create a temporary file");
    }
    return UniqueFile(file);
}

}  // namespace BlankwiseCli
