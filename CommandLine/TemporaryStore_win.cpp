#include <windows.h>

#include <string>

#include "CommandLine/FileAccess.h"
#include "CommandLine/Spool.h"

namespace BlankwiseCli {
namespace {

IoError StoreError(std::string_view what) {
    return IoError(std::string(what) + ": Windows error " + std::to_string(::GetLastError()));
}

// Deleted by the system when its handle closes, also when the process is ended.
class Win32TemporaryStore final : public TemporaryStore {
  public:
    Win32TemporaryStore() {
        wchar_t folder[MAX_PATH + 1];
        wchar_t name[MAX_PATH + 1];
        const DWORD length = ::GetTempPathW(MAX_PATH + 1, folder);
        if (length == 0 || length > MAX_PATH || ::GetTempFileNameW(folder, L"bkw", 0, name) == 0) {
            throw StoreError("cannot create a temporary file");
        }
        handle_ = ::CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (handle_ == INVALID_HANDLE_VALUE) {
            const IoError error = StoreError("cannot create a temporary file");
            ::DeleteFileW(name);
            throw error;
        }
    }
    ~Win32TemporaryStore() override { ::CloseHandle(handle_); }
    Win32TemporaryStore(const Win32TemporaryStore&) = delete;
    Win32TemporaryStore& operator=(const Win32TemporaryStore&) = delete;

    void Write(std::string_view bytes) override {
        while (!bytes.empty()) {
            const DWORD chunk = bytes.size() > 0x40000000u ? 0x40000000u : static_cast<DWORD>(bytes.size());
            DWORD written = 0;
            if (!::WriteFile(handle_, bytes.data(), chunk, &written, nullptr)) {
                throw StoreError("cannot write a temporary file");
            }
            bytes.remove_prefix(written);
        }
    }

    std::size_t Read(char* buffer, std::size_t size) override {
        if (!reading_) {
            MoveTo(0);
            reading_ = true;
        }
        const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
        DWORD got = 0;
        if (!::ReadFile(handle_, buffer, chunk, &got, nullptr)) {
            throw StoreError("cannot read a temporary file");
        }
        return got;
    }

    void Clear() override {
        MoveTo(0);
        if (!::SetEndOfFile(handle_)) {
            throw StoreError("cannot empty a temporary file");
        }
        reading_ = false;
    }

  private:
    void MoveTo(LONGLONG offset) {
        LARGE_INTEGER position{};
        position.QuadPart = offset;
        if (!::SetFilePointerEx(handle_, position, nullptr, FILE_BEGIN)) {
            throw StoreError("cannot read a temporary file");
        }
    }

    HANDLE handle_ = INVALID_HANDLE_VALUE;
    bool reading_ = false;
};

}  // namespace

std::unique_ptr<TemporaryStore> CreateTemporaryStore() {
    return std::make_unique<Win32TemporaryStore>();
}

}  // namespace BlankwiseCli
