#pragma once

#include <cstddef>
#include <string>
#include <utility>

#include "CommandLine/Stream/StreamTypes.h"

// Reading the start of an input before it is converted, and handing it out again.
namespace BlankwiseCli {

// Reads from source until count bytes are read or it ends; fewer only at its end.
std::string ReadAhead(ByteSource& source, std::size_t count);

// Bytes read ahead of a source, handed out before the rest of it.
class ReplayingSource final : public ByteSource {
  public:
    // readAhead: what ReadAhead(source, asked) gave. Fewer bytes than asked mean that the source
    // ended, and it is then not read again (a terminal would wait for a second end).
    ReplayingSource(std::string readAhead, std::size_t asked, ByteSource& source)
        : sourceEnded_(readAhead.size() < asked), readAhead_(std::move(readAhead)), source_(source) {}

    std::size_t Read(char* buffer, std::size_t size) override;

  private:
    bool sourceEnded_;
    std::string readAhead_;
    std::size_t handedOut_ = 0;
    ByteSource& source_;
};

}  // namespace BlankwiseCli
