#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "CommandLine/System/TemporaryFile.h"

namespace BlankwiseCli {

// Bytes set aside in order and passed on later: in memory up to a limit, beyond it in a
// temporary file, so that the memory held stays bounded however many there are.
class Spool {
  public:
    static constexpr std::size_t kDefaultMemory = std::size_t{1} << 20;

    explicit Spool(std::size_t memoryLimit = kDefaultMemory) : memoryLimit_(memoryLimit) {}
    void Append(std::string_view bytes);
    bool Empty() const { return memory_.empty() && fileBytes_ == 0; }
    // Passes everything appended, in order and in parts, to take, and empties the spool.
    void Drain(const std::function<void(std::string_view)>& take);

  private:
    std::size_t memoryLimit_;
    std::string memory_;  // what was appended after what the file holds
    UniqueFile file_;
    std::uint64_t fileBytes_ = 0;  // from its start; the file is written over, never shortened
};

}  // namespace BlankwiseCli
