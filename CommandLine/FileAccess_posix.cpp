#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

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

class PosixReplacementFile final : public ReplacementFile {
  public:
    explicit PosixReplacementFile(const std::string& target) : target_(target) {
        std::string name = FolderOf(target) + "/." + NameOf(target) + ".blankwise-XXXXXX";
        fd_ = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd_ < 0) {
            throw SystemError("cannot create a temporary file beside it", errno);
        }
        path_ = name;
    }
    ~PosixReplacementFile() override {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        if (!committed_) {
            ::unlink(path_.c_str());
        }
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
        if (::rename(path_.c_str(), target_.c_str()) != 0) {
            throw SystemError("cannot replace it", errno);
        }
        committed_ = true;
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

std::string ReplaceableTarget(const std::string& path) {
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
    return resolved;
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
