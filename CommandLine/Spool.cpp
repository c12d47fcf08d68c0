#include "CommandLine/Spool.h"

namespace BlankwiseCli {

void Spool::Append(std::string_view bytes) {
    memory_.append(bytes);
    if (memory_.size() < memoryLimit_) {
        return;
    }
    if (!file_) {
        file_ = CreateTemporaryStore();
    }
    file_->Write(memory_);
    fileHolds_ = true;
    memory_.clear();
}

void Spool::Drain(const std::function<void(std::string_view)>& take) {
    if (fileHolds_) {
        std::string block(std::size_t{1} << 16, '\0');
        for (std::size_t got = file_->Read(block.data(), block.size()); got > 0;
             got = file_->Read(block.data(), block.size())) {
            take(std::string_view(block.data(), got));
        }
        file_->Clear();
        fileHolds_ = false;
    }
    if (!memory_.empty()) {
        take(memory_);
        memory_.clear();
    }
}

}  // namespace BlankwiseCli
