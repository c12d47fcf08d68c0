#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "CommandLine/System/FileAccess.h"
#include "CommandLine/System/TemporaryFile.h"

namespace BlankwiseCli {

UniqueFile OpenTemporaryFile() {
    const char* variable = std::getenv("TMPDIR");
    const std::string folder = variable != nullptr && *variable != '\0' ? variable : "/tmp";
    int fd = -1;
#if defined(O_TMPFILE)
    fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_EXCL | O_CLOEXEC, 0600);
#endif
    if (fd < 0) {
        // Where the file system has no O_TMPFILE, the file has a name for a moment.
        std::string name = folder + "/.blankwise-XXXXXX";
        fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd >= 0) {
            ::unlink(name.c_str());
        }
    }
    std::FILE* file = fd >= 0 ? ::fdopen(fd, "w+b") : nullptr;
    if (file == nullptr) {
        const int error = errno;
        if (fd >= 0) {
            ::close(fd);
        }
        throw IoError("cannot create a temporary file in " + folder + ": " + std::strerror(error));
    }
    return UniqueFile(file);
}

}  // namespace BlankwiseCli
