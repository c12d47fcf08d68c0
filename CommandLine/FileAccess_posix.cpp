#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "CommandLine/FileAccess.h"

namespace BlankwiseCli {
namespace {

IoError SystemError(std::string_view what, int error) {
    return IoError(std::string(what) + ": " + std::strerror(error));
}

class FdSource final : public ByteSource {
  public:
    explicit FdSource(int fd, bool owned) : fd_(fd), owned_(owned) {}
    ~FdSource() override {
        if (owned_) {
            ::close(fd_);
        }
    }
    FdSource(const FdSource&) = delete;
    FdSource& operator=(const FdSource&) = delete;

    std::size_t Read(char* buffer, std::size_t size) override {
        while (true) {
            const ssize_t got = ::read(fd_, buffer, size);
            if (got >= 0) {
                return static_cast<std::size_t>(got);
            }
            if (errno != EINTR) {
                throw SystemError("cannot read", errno);
            }
        }
    }

  private:
    int fd_;
    bool owned_;
};

void WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw SystemError("cannot write", errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

class FdSink final : public ByteSink {
  public:
    explicit FdSink(int fd) : fd_(fd) {}
    void Write(std::string_view bytes, bool) override { WriteAll(fd_, bytes); }

  private:
    int fd_;
};

class FdTextWriter final : public TextWriter {
  public:
    explicit FdTextWriter(int fd) : fd_(fd) {}
    void Write(std::string_view utf8) override { WriteAll(fd_, utf8); }

  private:
    int fd_;
};

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

// The temporary file being written, for a signal that ends the process: a handler may not
// allocate, so the name is copied into a fixed buffer while the signals are blocked.
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
char pendingTemporary[PATH_MAX + 64];
volatile sig_atomic_t hasPendingTemporary = 0;

extern "C" void RemoveTemporaryAndEnd(int signal) {
    if (hasPendingTemporary != 0) {
        ::unlink(pendingTemporary);
    }
    // Ends the process the way the signal would have, so that the caller sees it.
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    ::sigaction(signal, &standard, nullptr);
    ::raise(signal);
}

// Blocks the ending signals while it lives.
class SignalsBlocked {
  public:
    SignalsBlocked() {
        sigset_t ending;
        sigemptyset(&ending);
        for (const int signal : kEndingSignals) {
            sigaddset(&ending, signal);
        }
        ::pthread_sigmask(SIG_BLOCK, &ending, &previous_);
    }
    ~SignalsBlocked() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    SignalsBlocked(const SignalsBlocked&) = delete;
    SignalsBlocked& operator=(const SignalsBlocked&) = delete;

  private:
    sigset_t previous_;
};

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

// The temporary file's name: ".NAME.blankwise-XXXXXX", with NAME shortened (at a UTF-8 character
// boundary) where the whole would exceed the folder's longest name.
std::string TemporaryName(const std::string& folder, const std::string& name) {
    constexpr std::string_view kSuffix = ".blankwise-XXXXXX";
    const long longest = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    const std::size_t limit = longest > 0 ? static_cast<std::size_t>(longest) : 255;
    std::size_t keep = name.size();
    if (1 + keep + kSuffix.size() > limit) {
        keep = limit > 1 + kSuffix.size() ? limit - 1 - kSuffix.size() : 0;
        while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) {
            --keep;
        }
    }
    std::string temporary(1, '.');
    temporary.append(name, 0, keep).append(kSuffix);
    return temporary;
}

class PosixReplacementFile final : public ReplacementFile {
  public:
    explicit PosixReplacementFile(const std::string& target) : target_(target) {
        const std::string folder = FolderOf(target);
        std::string name = folder + "/" + TemporaryName(folder, NameOf(target));
        HandleEndingSignals();
        const SignalsBlocked blocked;
        fd_ = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd_ < 0) {
            throw SystemError("cannot create a temporary file beside it", errno);
        }
        path_ = name;
        if (path_.size() < sizeof pendingTemporary) {
            std::memcpy(pendingTemporary, path_.c_str(), path_.size() + 1);
            hasPendingTemporary = 1;
        }
    }
    ~PosixReplacementFile() override {
        const SignalsBlocked blocked;
        if (fd_ >= 0) {
            ::close(fd_);
        }
        if (!committed_) {
            ::unlink(path_.c_str());
        }
        hasPendingTemporary = 0;
    }
    PosixReplacementFile(const PosixReplacementFile&) = delete;
    PosixReplacementFile& operator=(const PosixReplacementFile&) = delete;

    void Write(std::string_view bytes) override { WriteAll(fd_, bytes); }

    void Commit() override {
        struct stat status {};
        if (::stat(target_.c_str(), &status) != 0) {
            throw SystemError("cannot read its permissions", errno);
        }
        // Owner and group stay when the user may keep them (root, or the file's own group).
        if (::fchown(fd_, status.st_uid, status.st_gid) != 0) {
            errno = 0;
        }
        if (::fchmod(fd_, status.st_mode & 07777) != 0) {
            throw SystemError("cannot set the permissions of the temporary file", errno);
        }
        if (::fsync(fd_) != 0) {
            throw SystemError("cannot write", errno);
        }
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) {
            throw SystemError("cannot write", errno);
        }
        const SignalsBlocked blocked;
        if (::rename(path_.c_str(), target_.c_str()) != 0) {
            throw SystemError("cannot replace it", errno);
        }
        committed_ = true;
        hasPendingTemporary = 0;
    }

  private:
    std::string target_;
    std::string path_;
    int fd_ = -1;
    bool committed_ = false;
};

}  // namespace

std::unique_ptr<ByteSource> OpenInputFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        throw SystemError("cannot open", errno);
    }
    auto source = std::make_unique<FdSource>(fd, true);
    struct stat status {};
    if (::fstat(fd, &status) == 0 && S_ISDIR(status.st_mode)) {
        throw IoError("is a directory");
    }
    return source;
}

void RequireRegularFile(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        throw SystemError("cannot open", errno);
    }
    if (!S_ISREG(status.st_mode)) {
        throw IoError("not a regular file");
    }
}

std::string ReplaceableTarget(const std::string& path) {
    // The file itself first: /dev/stdin resolves to a pipe's name, which exists nowhere.
    RequireRegularFile(path);
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) {
        throw SystemError("cannot open", errno);
    }
    struct stat status {};
    if (::stat(resolved, &status) != 0) {
        throw SystemError("cannot open", errno);
    }
    if (!S_ISREG(status.st_mode)) {
        throw IoError("not a regular file");
    }
    if ((status.st_mode & 0222) == 0 || ::access(resolved, W_OK) != 0) {
        throw IoError("the file is read-only");
    }
    if (status.st_nlink > 1) {
        throw IoError(HardLinkedFileRefusal(status.st_nlink));
    }
    return resolved;
}

std::thread StartThreadWithoutEndingSignals(std::function<void()> body) {
    // A new thread starts with the signal mask of the thread that creates it.
    const SignalsBlocked blocked;
    return std::thread(std::move(body));
}

std::unique_ptr<ReplacementFile> CreateReplacementFile(const std::string& target) {
    return std::make_unique<PosixReplacementFile>(target);
}

StandardStreams& ProcessStreams() {
    static FdSource input(STDIN_FILENO, false);
    static FdSink output(STDOUT_FILENO);
    static FdTextWriter messages(STDOUT_FILENO);
    static FdTextWriter errors(STDERR_FILENO);
    static StandardStreams streams{input, output, messages, errors};
    return streams;
}

}  // namespace BlankwiseCli
