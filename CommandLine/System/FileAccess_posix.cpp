#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "CommandLine/System/FileAccess_posix.h"

namespace BlankwiseCli {

IoError SystemError(std::string_view what, int error) {
    return IoError(std::string(what) + ": " + std::strerror(error));
}

namespace {

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

    int Fd() const { return fd_; }

    bool Mark() override {
        struct stat status {};
        if (::fstat(fd_, &status) != 0 || !S_ISREG(status.st_mode)) {
            return false;
        }
        mark_ = ::lseek(fd_, 0, SEEK_CUR);
        return mark_ >= 0;
    }

    void ReturnToMark() override {
        if (::lseek(fd_, mark_, SEEK_SET) < 0) {
            throw SystemError("cannot read", errno);
        }
    }

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
    off_t mark_ = 0;
};

}  // namespace

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

namespace {

class FdSink final : public ByteSink {
  public:
    explicit FdSink(int fd) : fd_(fd) {}
    void Write(std::string_view bytes, bool) override { WriteAll(fd_, bytes); }
    int Fd() const { return fd_; }

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

bool ReadsItsOwnOutput(ByteSource& input, ByteSink& output) {
    const auto* source = dynamic_cast<const FdSource*>(&input);
    const auto* sink = dynamic_cast<const FdSink*>(&output);
    struct stat read {};
    struct stat written {};
    if (source == nullptr || sink == nullptr || ::fstat(source->Fd(), &read) != 0 ||
        ::fstat(sink->Fd(), &written) != 0 || !S_ISREG(written.st_mode) || read.st_dev != written.st_dev ||
        read.st_ino != written.st_ino) {
        return false;
    }
    const off_t readAt = ::lseek(source->Fd(), 0, SEEK_CUR);
    const int flags = ::fcntl(sink->Fd(), F_GETFL);
    const off_t writeAt =
        flags >= 0 && (flags & O_APPEND) != 0 ? written.st_size : ::lseek(sink->Fd(), 0, SEEK_CUR);
    return readAt < 0 || writeAt < 0 || readAt < written.st_size || readAt < writeAt;
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
