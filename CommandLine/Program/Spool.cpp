#include "CommandLine/Program/Spool.h"

#include <cerrno>
#include <cstring>

#include "CommandLine/System/FileAccess.h"

namespace BlankwiseCli {
namespace {

IoError TemporaryFileError(std::string_view what) {
    return IoError(std::string(what) + " a temporary file: " + std::strerror(errno));
}

}  // namespace

void Spool::Append(std::string_view bytes) {
    memory_.append(bytes);
    if (memory_.size() < memoryLimit_) {
        return;
    }
    if (!file_) {
        file_ = OpenTemporaryFile();
    }
    if (std::fwrite(memory_.data(), 1, memory_.size(), file_.get()) != memory_.size()) {
        throw TemporaryFileError("cannot write");
    }
    fileBytes_ += memory_.size();
    memory_.clear();
}

void Spool::Drain(const std::function<void(std::string_view)>& take) {
    if (fileBytes_ > 0) {
        if (std::fseek(file_.get(), 0, SEEK_SET) != 0) {
            throw TemporaryFileError("cannot read");
        }
        std::string block(std::size_t{1} << 16, '\0');
        while (fileBytes_ > 0) {
            const std::size_t wanted =
                fileBytes_ < block.size() ? static_cast<std::size_t>(fileBytes_) : block.size();
            if (std::fread(block.data(), 1, wanted, file_.get()) != wanted) {
                throw TemporaryFileError("cannot read");
            }
            take(std::string_view(block.data(), wanted));
            fileBytes_ -= wanted;
        }
        if (std::fseek(file_.get(), 0, SEEK_SET) != 0) {
            throw TemporaryFileError("cannot write");
        }
    }
    if (!memory_.empty()) {
        take(memory_);
        memory_.clear();
    }
}

}  // namespace BlankwiseCli
