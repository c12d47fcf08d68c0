#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "Blankwise/Win32/UniqueHandle.h"
#include "CommandLine/System/FileAccess.h"
#include "MyLibrary/Encoding/TextCodec.h"
#include "MyLibrary/StringUnit/Assertion.h"

namespace BlankwiseCli {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t expected on Windows");

// The one pair of conversions at the Win32 edge: the program's UTF-8 to the API's UTF-16 and back.
std::wstring WidePath(const std::string& utf8) {
    const auto units = MyLibrary::Utf8ToUtf16(utf8);
    if (!units) {
        throw IoError("the file name is not valid UTF-8");
    }
    return std::wstring(reinterpret_cast<const wchar_t*>(units->data()), units->size());
}

std::string Utf8Of(const wchar_t* text, std::size_t length) {
    return MyLibrary::Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text), length));
}

// The system's text for an error, in English when the system has it.
IoError SystemError(std::string_view what, DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD flags =
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    DWORD length = ::FormatMessageW(flags, nullptr, error, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                    reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string text;
    if (length > 0 && buffer != nullptr) {
        while (length > 0 && (buffer[length - 1] == L'\r' || buffer[length - 1] == L'\n' ||
                              buffer[length - 1] == L'.' || buffer[length - 1] == L' ')) {
            --length;
        }
        text = Utf8Of(buffer, length);
    }
    if (buffer != nullptr) {
        ::LocalFree(buffer);
    }
    if (text.empty()) {
        text = "Windows error " + std::to_string(error);
    }
    return IoError(std::string(what) + ": " + text);
}

DWORD ChunkSize(std::size_t size) {
    return size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
}

class HandleSource final : public ByteSource {
  public:
    HandleSource(HANDLE handle, bool owned) : handle_(handle), owned_(owned) {}
    ~HandleSource() override {
        if (owned_) {
            ::CloseHandle(handle_);
        }
    }
    HandleSource(const HandleSource&) = delete;
    HandleSource& operator=(const HandleSource&) = delete;

    HANDLE Handle() const { return handle_; }

    bool Mark() override {
        if (handle_ == nullptr || handle_ == INVALID_HANDLE_VALUE ||
            ::GetFileType(handle_) != FILE_TYPE_DISK) {
            return false;
        }
        return ::SetFilePointerEx(handle_, LARGE_INTEGER{}, &mark_, FILE_CURRENT) != 0;
    }

    void ReturnToMark() override {
        if (!::SetFilePointerEx(handle_, mark_, nullptr, FILE_BEGIN)) {
            throw SystemError("cannot read", ::GetLastError());
        }
    }

    std::size_t Read(char* buffer, std::size_t size) override {
        if (handle_ == nullptr || handle_ == INVALID_HANDLE_VALUE) {
            return 0;
        }
        DWORD got = 0;
        if (!::ReadFile(handle_, buffer, ChunkSize(size), &got, nullptr)) {
            const DWORD error = ::GetLastError();
            // The writing end of a pipe closed: the end of the input.
            if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) {
                return 0;
            }
            throw SystemError("cannot read", error);
        }
        return got;
    }

  private:
    HANDLE handle_;
    bool owned_;
    LARGE_INTEGER mark_{};
};

void WriteAll(HANDLE handle, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        if (!::WriteFile(handle, bytes.data(), ChunkSize(bytes.size()), &written, nullptr)) {
            throw SystemError("cannot write", ::GetLastError());
        }
        bytes.remove_prefix(written);
    }
}

class HandleSink final : public ByteSink {
  public:
    explicit HandleSink(HANDLE handle) : handle_(handle) {}
    void Write(std::string_view bytes, bool) override { WriteAll(handle_, bytes); }
    HANDLE Handle() const { return handle_; }

  private:
    HANDLE handle_;
};

// A console shows UTF-16 as it is; a file or a pipe gets the ANSI code page, as other Windows
// tools write it.
class HandleTextWriter final : public TextWriter {
  public:
    explicit HandleTextWriter(HANDLE handle) : handle_(handle) {}

    void Write(std::string_view utf8) override {
        const auto units = MyLibrary::Utf8ToUtf16(utf8).value_or(u"?");
        const auto* wide = reinterpret_cast<const wchar_t*>(units.data());
        const int length = MyLibrary::Narrowed<int>(units.size());
        DWORD mode = 0;
        if (::GetConsoleMode(handle_, &mode)) {
            DWORD written = 0;
            ::WriteConsoleW(handle_, wide, static_cast<DWORD>(length), &written, nullptr);
            return;
        }
        const int size = ::WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
        std::string bytes(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
        if (size > 0) {
            ::WideCharToMultiByte(CP_ACP, 0, wide, length, bytes.data(), size, nullptr, nullptr);
        }
        WriteAll(handle_, bytes);
    }

  private:
    HANDLE handle_;
};

std::size_t LastSeparator(const std::wstring& path) {
    return path.find_last_of(L"\\/");
}

// A new file beside the file it replaces, written and then renamed over it; removed unless it was.
class Win32ReplacementFile {
  public:
    explicit Win32ReplacementFile(std::wstring target) : target_(std::move(target)) {
        const std::size_t separator = LastSeparator(target_);
        const std::wstring folder = separator == std::wstring::npos ? L"" : target_.substr(0, separator + 1);
        const std::wstring name = separator == std::wstring::npos ? target_ : target_.substr(separator + 1);
        for (unsigned attempt = 0;; ++attempt) {
            const std::wstring suffix = L".blankwise-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                        std::to_wstring(attempt) + L".tmp";
            // A name is at most 255 UTF-16 units: the target's is shortened, never a pair cut.
            std::size_t keep = std::min(name.size(), suffix.size() < 255 ? 255 - suffix.size() : 0);
            if (keep > 0 && keep < name.size() && MyLibrary::IsLowSurrogate(name[keep])) {
                --keep;
            }
            path_ = folder + name.substr(0, keep) + suffix;
            handle_ = ::CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
            if (handle_ != INVALID_HANDLE_VALUE) {
                break;
            }
            const DWORD error = ::GetLastError();
            if ((error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) || attempt == 1000) {
                throw SystemError("cannot create a temporary file beside it", error);
            }
        }
    }
    ~Win32ReplacementFile() {
        if (handle_ != INVALID_HANDLE_VALUE) {
            ::CloseHandle(handle_);
        }
        if (!committed_) {
            ::DeleteFileW(path_.c_str());
        }
    }
    Win32ReplacementFile(const Win32ReplacementFile&) = delete;
    Win32ReplacementFile& operator=(const Win32ReplacementFile&) = delete;

    void Write(std::string_view bytes) { WriteAll(handle_, bytes); }

    // Flushes the file to disk and closes it.
    void Close() {
        if (!::FlushFileBuffers(handle_)) {
            throw SystemError("cannot write", ::GetLastError());
        }
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        if (!::CloseHandle(handle)) {
            throw SystemError("cannot write", ::GetLastError());
        }
    }

    void RenameOver() {
        if (!::MoveFileExW(path_.c_str(), target_.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            throw SystemError("cannot replace it", ::GetLastError());
        }
        committed_ = true;
    }

  private:
    std::wstring target_;
    std::wstring path_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    bool committed_ = false;
};

using UniqueFileHandle = Blankwise::Unique<HANDLE, ::CloseHandle>;

// A file's identity: its volume and its index there.
struct FileIdentity {
    DWORD volume = 0;
    std::uint64_t index = 0;
    bool operator==(const FileIdentity&) const = default;
};

BY_HANDLE_FILE_INFORMATION InformationOf(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION information{};
    if (!::GetFileInformationByHandle(handle, &information)) {
        throw SystemError("cannot read its attributes", ::GetLastError());
    }
    return information;
}

FileIdentity IdentityOf(const BY_HANDLE_FILE_INFORMATION& information) {
    return {information.dwVolumeSerialNumber,
            (std::uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow};
}

class Win32InPlaceFile final : public InPlaceFile {
  public:
    Win32InPlaceFile(std::wstring path, UniqueFileHandle handle)
        : path_(std::move(path)),
          handle_(std::move(handle)),
          opened_(IdentityOf(InformationOf(handle_.Get()))) {}

    std::size_t ReadAt(std::uint64_t offset, char* buffer, std::size_t size) override {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD got = 0;
        if (!::ReadFile(handle_.Get(), buffer, ChunkSize(size), &got, &at)) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_HANDLE_EOF) {
                return 0;
            }
            throw SystemError("cannot read", error);
        }
        return got;
    }

    void StartReplacement() override {
        const BY_HANDLE_FILE_INFORMATION information = InformationOf(handle_.Get());
        if ((information.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
            throw IoError("the file is read-only");
        }
        if (information.nNumberOfLinks > 1) {
            throw IoError(HardLinkedFileRefusal(information.nNumberOfLinks));
        }
        RequireStillNamed();
        replacement_.emplace(path_);
    }

    void WriteReplacement(std::string_view bytes) override { replacement_->Write(bytes); }

    void CommitReplacement() override {
        replacement_->Close();
        RequireStillNamed();
        handle_.Reset();  // Windows replaces no file that is open, even with delete sharing
        replacement_->RenameOver();
    }

  private:
    // The name, not followed where it is a link, names the file opened.
    void RequireStillNamed() const {
        const HANDLE named =
            ::CreateFileW(path_.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (named == INVALID_HANDLE_VALUE) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_FILE_NOT_FOUND) {
                throw IoError(std::string(kReplacedFileRefusal));
            }
            throw SystemError("cannot open", error);
        }
        if (IdentityOf(InformationOf(UniqueFileHandle(named).Get())) != opened_) {
            throw IoError(std::string(kReplacedFileRefusal));
        }
    }

    std::wstring path_;
    UniqueFileHandle handle_;
    FileIdentity opened_;
    std::optional<Win32ReplacementFile> replacement_;
};

}  // namespace

std::unique_ptr<ByteSource> OpenInputFile(const std::string& path) {
    const std::wstring wide = WidePath(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        throw IoError("is a directory");
    }
    const HANDLE handle =
        ::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        throw SystemError("cannot open", ::GetLastError());
    }
    return std::make_unique<HandleSource>(handle, true);
}

bool ReadsItsOwnOutput(ByteSource& input, ByteSink& output) {
    const auto* source = dynamic_cast<const HandleSource*>(&input);
    const auto* sink = dynamic_cast<const HandleSink*>(&output);
    BY_HANDLE_FILE_INFORMATION read{};
    BY_HANDLE_FILE_INFORMATION written{};
    if (source == nullptr || sink == nullptr || ::GetFileType(sink->Handle()) != FILE_TYPE_DISK ||
        !::GetFileInformationByHandle(source->Handle(), &read) ||
        !::GetFileInformationByHandle(sink->Handle(), &written) || IdentityOf(read) != IdentityOf(written)) {
        return false;
    }
    // A handle that appends tells no position of its writes; its file's size shows bytes to read.
    const LARGE_INTEGER here{};
    LARGE_INTEGER readAt{};
    LARGE_INTEGER writeAt{};
    LARGE_INTEGER size{};
    if (!::SetFilePointerEx(source->Handle(), here, &readAt, FILE_CURRENT) ||
        !::SetFilePointerEx(sink->Handle(), here, &writeAt, FILE_CURRENT) ||
        !::GetFileSizeEx(sink->Handle(), &size)) {
        return true;
    }
    return readAt.QuadPart < size.QuadPart || readAt.QuadPart < writeAt.QuadPart;
}

std::unique_ptr<InPlaceFile> OpenInPlaceFile(const std::string& path) {
    std::wstring wide = WidePath(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        throw SystemError("cannot open", ::GetLastError());
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        throw IoError("not a regular file");
    }
    const HANDLE opened =
        ::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        throw SystemError("cannot open", ::GetLastError());
    }
    UniqueFileHandle handle(opened);
    if (::GetFileType(handle.Get()) != FILE_TYPE_DISK) {
        throw IoError("not a regular file");
    }
    return std::make_unique<Win32InPlaceFile>(std::move(wide), std::move(handle));
}

StandardStreams& ProcessStreams() {
    static HandleSource input(::GetStdHandle(STD_INPUT_HANDLE), false);
    static HandleSink output(::GetStdHandle(STD_OUTPUT_HANDLE));
    static HandleTextWriter messages(::GetStdHandle(STD_OUTPUT_HANDLE));
    static HandleTextWriter errors(::GetStdHandle(STD_ERROR_HANDLE));
    static StandardStreams streams{input, output, messages, errors};
    return streams;
}

}  // namespace BlankwiseCli
