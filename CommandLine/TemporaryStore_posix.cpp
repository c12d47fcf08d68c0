#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "CommandLine/FileAccess.h"
#include "CommandLine/Spool.h"

namespace BlankwiseCli {
namespace {

IoError StoreError(std::string_view what, int error) {
    return IoError(std::string(what) + ": " + std::strerror(error));
}

class PosixTemporaryStore final : public TemporaryStore {
  public:
    PosixTemporaryStore() {
        const char* folder = std::getenv("TMPDIR");
        const std::string directory = folder != nullptr && *folder != '\0' ? folder : "/tmp";
#if defined(O_TMPFILE)
        fd_ = ::open(directory.c_str(), O_TMPFILE | O_RDWR | O_EXCL | O_CLOEXEC, 0600);
#endif
        if (fd_ < 0) {
            // Without O_TMPFILE the file has a name for a moment.
            std::string name = directory + "/blankwise-XXXXXX";
            fd_ = ::mkostemp(name.data(), O_CLOEXEC);
            if (fd_ < 0) {
                throw StoreError("cannot create a temporary file in " + directory, errno);
            }
            ::unlink(name.c_str());
        }
    }
    ~PosixTemporaryStore() override {
        ::close(fd_);
    }
    PosixTemporaryStore(const PosixTemporaryStore&) = delete;
    PosixTemporaryStore& operator=(const PosixTemporaryStore&) = delete;

    void Write(std::string_view bytes) override {
        while (!bytes.empty()) {
            const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
            if (written < 0 && errno != EINTR) {
                throw StoreError("cannot write a temporary file", errno);
            }
            bytes.remove_prefix(written > 0 ? static_cast<std::size_t>(written) : 0);
        }
    }

    std::size_t Read(char* buffer, std::size_t size) override {
        if (!reading_) {
            ::lseek(fd_, 0, SEEK_SET);
            reading_ = true;
        }
        while (true) {
            const ssize_t got = ::read(fd_, buffer, size);
            if (got >= 0) {
                return static_cast<std::size_t>(got);
            }
            if (errno != EINTR) {
                throw StoreError("cannot read a temporary file", errno);
            }
        }
    }

    void Clear() override {
        if (::ftruncate(fd_, 0) != 0 || ::lseek(fd_, 0, SEEK_SET) != 0) {
            throw StoreError("cannot empty a temporary file", errno);
        }
        reading_ = false;
    }

  private:
    int fd_ = -1;
    bool reading_ = false;
};

}  // namespace

std::unique_ptr<TemporaryStore> CreateTemporaryStore() {
    return std::make_unique<PosixTemporaryStore>();
}

}  // namespace BlankwiseCli
