#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "CommandLine/System/EndingSignals_posix.h"
#include "CommandLine/System/FileAccess_posix.h"
#include "MyLibrary/Encoding/Utf8Facts.h"

namespace BlankwiseCli {
namespace {

// The temporary file being written, for a signal that ends the process: a handler may not
// allocate, so its folder and name are kept in fixed places, set while the signals are blocked.
char pendingTemporary[NAME_MAX + 1];
volatile sig_atomic_t pendingFolder = -1;
volatile sig_atomic_t hasPendingTemporary = 0;

extern "C" void RemoveTemporaryAndEnd(int signal) {
    if (hasPendingTemporary != 0) {
        ::unlinkat(pendingFolder, pendingTemporary, 0);
    }
    // Ends the process the way the signal would have, so that the caller sees it.
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    ::sigaction(signal, &standard, nullptr);
    ::raise(signal);
}

// Once per process; a signal the caller ignores (nohup) stays ignored.
void HandleEndingSignals() {
    static bool installed = false;
    if (installed) {
        return;
    }
    installed = true;
    for (const int signal : kEndingSignals) {
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) {
            continue;
        }
        struct sigaction handler {};
        handler.sa_handler = RemoveTemporaryAndEnd;
        sigemptyset(&handler.sa_mask);
        ::sigaction(signal, &handler, nullptr);
    }
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The temporary file's name: ".NAME.blankwise-" and six random letters and digits, with NAME
// shortened (at a UTF-8 character boundary) where the whole would exceed the folder's longest name.
std::string TemporaryName(int folder, const std::string& name) {
    constexpr std::string_view kSuffix = ".blankwise-";
    constexpr std::size_t kRandom = 6;
    const long longest = ::fpathconf(folder, _PC_NAME_MAX);
    const std::size_t limit =
        std::min<std::size_t>(longest > 0 ? static_cast<std::size_t>(longest) : 255, NAME_MAX);
    const std::size_t fixed = 1 + kSuffix.size() + kRandom;
    std::size_t keep = name.size();
    if (keep + fixed > limit) {
        keep = limit > fixed ? limit - fixed : 0;
        while (keep > 0 && MyLibrary::IsUtf8Continuation(static_cast<std::uint8_t>(name[keep]))) {
            --keep;
        }
    }
    unsigned char random[kRandom];
    if (::getentropy(random, sizeof random) != 0) {
        throw SystemError("cannot create a temporary file beside it", errno);
    }
    constexpr std::string_view kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::string temporary(1, '.');
    temporary.append(name, 0, keep).append(kSuffix);
    for (const unsigned char byte : random) {
        temporary += kLetters[byte % kLetters.size()];
    }
    return temporary;
}

// A new file in the folder of the file it replaces, written and then renamed over it; removed
// unless it was renamed.
class TemporaryFile {
  public:
    TemporaryFile(int folder, const std::string& target) : folder_(folder) {
        HandleEndingSignals();
        const EndingSignalsBlocked blocked;
        for (int attempt = 0; fd_.Get() < 0; ++attempt) {
            name_ = TemporaryName(folder, target);
            fd_.Reset(
                ::openat(folder, name_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
            if (fd_.Get() < 0 && (errno != EEXIST || attempt == 100)) {
                throw SystemError("cannot create a temporary file beside it", errno);
            }
        }
        std::memcpy(pendingTemporary, name_.c_str(), name_.size() + 1);
        pendingFolder = folder;
        hasPendingTemporary = 1;
    }
    ~TemporaryFile() {
        const EndingSignalsBlocked blocked;
        fd_.Reset();
        if (!renamed_) {
            ::unlinkat(folder_, name_.c_str(), 0);
        }
        hasPendingTemporary = 0;
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int Fd() const { return fd_.Get(); }
    void Write(std::string_view bytes) { WriteAll(fd_.Get(), bytes); }

    // Flushes the file to disk and closes it.
    void Close() {
        if (::fsync(fd_.Get()) != 0 || fd_.Reset() != 0) {
            throw SystemError("cannot write", errno);
        }
    }

    // With the ending signals blocked.
    void RenameOver(const std::string& target) {
        if (::renameat(folder_, name_.c_str(), folder_, target.c_str()) != 0) {
            throw SystemError("cannot replace it", errno);
        }
        renamed_ = true;
        hasPendingTemporary = 0;
    }

  private:
    int folder_;
    std::string name_;
    UniqueFd fd_;
    bool renamed_ = false;
};

// The names of a file's extended attributes; none where its file system has no such attributes.
std::vector<std::string> AttributeNames(int fd) {
    std::string list;
    while (true) {
        const ssize_t size = ::flistxattr(fd, nullptr, 0);
        if (size < 0 && errno == ENOTSUP) {
            return {};
        }
        list.resize(size > 0 ? static_cast<std::size_t>(size) : 0);
        const ssize_t got = size < 0 ? size : ::flistxattr(fd, list.data(), list.size());
        if (got >= 0) {
            list.resize(static_cast<std::size_t>(got));
            break;
        }
        if (errno != ERANGE) {  // else the list grew in between
            throw SystemError("cannot list its extended attributes", errno);
        }
    }
    std::vector<std::string> names;
    for (std::size_t start = 0; start < list.size();) {
        const std::size_t end = std::min(list.find('\0', start), list.size());
        names.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

// An extended attribute that cannot be copied: the file is left as it was.
IoError AttributeError(std::string_view what, std::string name, int error) {
    for (char& c : name) {
        c = static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '?' : c;  // no control bytes in a message
    }
    return IoError(std::string(what) + " " + name + " (" + std::strerror(error) + "); left as it was");
}

// Gives the replacement exactly the extended attributes of the file, its access control list
// (system.posix_acl_access) among them: those the replacement got from its folder's default
// list and the file lacks go.
void CopyExtendedAttributes(int file, int replacement) {
    const std::vector<std::string> names = AttributeNames(file);
    for (const std::string& name : AttributeNames(replacement)) {
        if (std::find(names.begin(), names.end(), name) == names.end() &&
            ::fremovexattr(replacement, name.c_str()) != 0) {
            throw AttributeError("cannot remove the inherited extended attribute", name, errno);
        }
    }
    std::string value;
    for (const std::string& name : names) {
        ssize_t got = -1;
        do {  // again where the value grew in between
            const ssize_t size = ::fgetxattr(file, name.c_str(), nullptr, 0);
            value.resize(size > 0 ? static_cast<std::size_t>(size) : 0);
            got = size < 0 ? size : ::fgetxattr(file, name.c_str(), value.data(), value.size());
        } while (got < 0 && errno == ERANGE);
        if (got < 0 && errno == ENODATA) {
            continue;  // removed in between
        }
        if (got < 0 ||
            ::fsetxattr(replacement, name.c_str(), value.data(), static_cast<std::size_t>(got), 0) != 0) {
            throw AttributeError("cannot copy its extended attribute", name, errno);
        }
    }
}

#if defined(O_PATH)
constexpr int kFolderOnly = O_PATH;  // needs no permission to list the folder
#else
constexpr int kFolderOnly = O_RDONLY;
#endif

class PosixInPlaceFile final : public InPlaceFile {
  public:
    PosixInPlaceFile(std::string path, UniqueFd file, const struct stat& opened)
        : path_(std::move(path)), file_(std::move(file)), opened_(opened) {}

    std::size_t ReadAt(std::uint64_t offset, char* buffer, std::size_t size) override {
        while (true) {
            const ssize_t got = ::pread(file_.Get(), buffer, size, static_cast<off_t>(offset));
            if (got >= 0) {
                return static_cast<std::size_t>(got);
            }
            if (errno != EINTR) {
                throw SystemError("cannot read", errno);
            }
        }
    }

    void StartReplacement() override {
        const struct stat status = Status();
        if ((status.st_mode & 0222) == 0) {
            throw IoError("the file is read-only");
        }
        if (status.st_nlink > 1) {
            throw IoError(HardLinkedFileRefusal(status.st_nlink));
        }
        Locate();
        if (::faccessat(folder_.Get(), name_.c_str(), W_OK, 0) != 0) {
            throw IoError("the file is read-only");
        }
        replacement_.emplace(folder_.Get(), name_);
    }

    void WriteReplacement(std::string_view bytes) override { replacement_->Write(bytes); }

    void CommitReplacement() override {
        const struct stat status = Status();
        // Owner and group stay when the user may keep them (root, or the file's own group).
        if (::fchown(replacement_->Fd(), status.st_uid, status.st_gid) != 0) {
            errno = 0;
        }
        // Before the mode, which removing an inherited access control list would change.
        CopyExtendedAttributes(file_.Get(), replacement_->Fd());
        if (::fchmod(replacement_->Fd(), status.st_mode & 07777) != 0) {
            throw SystemError("cannot set the permissions of the temporary file", errno);
        }
        replacement_->Close();
        const EndingSignalsBlocked blocked;
        RequireStillNamed();
        replacement_->RenameOver(name_);
    }

  private:
    struct stat Status() const {
        struct stat status {};
        if (::fstat(file_.Get(), &status) != 0) {
            throw SystemError("cannot read its permissions", errno);
        }
        return status;
    }

    // The folder of the file's final target, opened, and its name there, which must name the file
    // opened: from here on the folder is not looked up again, whatever its path comes to lead to.
    void Locate() {
        char resolved[PATH_MAX];
        if (::realpath(path_.c_str(), resolved) == nullptr) {
            throw errno == ENOENT ? IoError(std::string(kReplacedFileRefusal))
                                  : SystemError("cannot open", errno);
        }
        const std::string target = resolved;
        folder_.Reset(::open(FolderOf(target).c_str(), kFolderOnly | O_DIRECTORY | O_CLOEXEC));
        if (folder_.Get() < 0) {
            throw SystemError("cannot open its folder", errno);
        }
        name_ = NameOf(target);
        RequireStillNamed();
    }

    // The name in the folder, not followed where it is a symbolic link, names the file opened.
    void RequireStillNamed() const {
        struct stat named {};
        if (::fstatat(folder_.Get(), name_.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0) {
            throw errno == ENOENT ? IoError(std::string(kReplacedFileRefusal))
                                  : SystemError("cannot open", errno);
        }
        if (named.st_dev != opened_.st_dev || named.st_ino != opened_.st_ino) {
            throw IoError(std::string(kReplacedFileRefusal));
        }
    }

    std::string path_;
    UniqueFd file_;
    struct stat opened_;
    UniqueFd folder_;
    std::string name_;  // in folder_
    std::optional<TemporaryFile> replacement_;
};

}  // namespace

std::unique_ptr<InPlaceFile> OpenInPlaceFile(const std::string& path) {
    const auto requireRegular = [](const struct stat& status) {
        if (!S_ISREG(status.st_mode)) {
            throw IoError("not a regular file");
        }
    };
    // Looked at before it is opened, so that a pipe or a device is refused without being opened,
    // and again once it is, in case the name came to name something else in between.
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        throw SystemError("cannot open", errno);
    }
    requireRegular(status);
    UniqueFd file(::open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (file.Get() < 0 || ::fstat(file.Get(), &status) != 0) {
        throw SystemError("cannot open", errno);
    }
    requireRegular(status);
    return std::make_unique<PosixInPlaceFile>(path, std::move(file), status);
}

}  // namespace BlankwiseCli
