#include "CommandLine/Program/ReadAhead.h"

#include <algorithm>

namespace BlankwiseCli {

std::string ReadAhead(ByteSource& source, std::size_t count) {
    std::string bytes(count, '\0');
    std::size_t filled = 0;
    while (filled < count) {
        const std::size_t got = source.Read(bytes.data() + filled, count - filled);
        if (got == 0) {
            break;
        }
        filled += got;
    }
    bytes.resize(filled);
    return bytes;
}

std::size_t ReplayingSource::Read(char* buffer, std::size_t size) {
    if (handedOut_ < readAhead_.size()) {
        const std::size_t count = std::min(size, readAhead_.size() - handedOut_);
        readAhead_.copy(buffer, count, handedOut_);
        handedOut_ += count;
        return count;
    }
    return sourceEnded_ ? 0 : source_.Read(buffer, size);
}

}  // namespace BlankwiseCli
