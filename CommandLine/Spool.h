#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace BlankwiseCli {

// An unnamed temporary file that goes with its handle, whatever ends the process: written, then
// read back from its start.
class TemporaryStore {
  public:
    virtual ~TemporaryStore() = default;
    virtual void Write(std::string_view bytes) = 0;
    // Reads up to size bytes from where the last Read stopped (from the start after Write); 0 at
    // the end.
    virtual std::size_t Read(char* buffer, std::size_t size) = 0;
    // Empties the file, to be written anew.
    virtual void Clear() = 0;
};
// In the system's temporary folder (TMPDIR, else /tmp; on Windows the user's temporary folder).
std::unique_ptr<TemporaryStore> CreateTemporaryStore();

// Bytes set aside in order and passed on later: in memory up to a limit, beyond it in a
// temporary file, so that the memory held stays bounded however many there are.
class Spool {
  public:
    static constexpr std::size_t kDefaultMemory = std::size_t{1} << 20;

    explicit Spool(std::size_t memoryLimit = kDefaultMemory) : memoryLimit_(memoryLimit) {}
    void Append(std::string_view bytes);
    bool Empty() const { return memory_.empty() && !fileHolds_; }
    // Passes everything appended, in order and in parts, to take, and empties the spool.
    void Drain(const std::function<void(std::string_view)>& take);

  private:
    std::size_t memoryLimit_;
    std::string memory_;  // what was appended after what the file holds
    std::unique_ptr<TemporaryStore> file_;
    bool fileHolds_ = false;
};

}  // namespace BlankwiseCli
