#pragma once

#include <cstdio>
#include <memory>

namespace BlankwiseCli {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// A new file without a name in the system's temporary folder (TMPDIR, else /tmp; on Windows the
// user's temporary folder), open for reading and writing in binary: it goes with its handle,
// whatever ends the process. Fails with IoError.
UniqueFile OpenTemporaryFile();

}  // namespace BlankwiseCli
