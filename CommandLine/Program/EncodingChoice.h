#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "CommandLine/Stream/StreamTypes.h"
#include "MyLibrary/Encoding/TextCodec.h"

// --encoding auto: each input's encoding guessed from its bytes before it is converted.
namespace BlankwiseCli {

// Bytes read ahead of a source that cannot be read again, handed out before the rest of it.
class ReplayingSource final : public ByteSource {
  public:
    // sourceEnded: reading ahead reached the source's end, which is then not read again (a
    // terminal would wait for a second end).
    ReplayingSource(std::string readAhead, ByteSource& source, bool sourceEnded)
        : readAhead_(std::move(readAhead)), source_(source), sourceEnded_(sourceEnded) {}

    std::size_t Read(char* buffer, std::size_t size) override;

  private:
    std::string readAhead_;
    std::size_t handedOut_ = 0;
    ByteSource& source_;
    bool sourceEnded_;
};

struct GuessedEncoding {
    std::optional<MyLibrary::Encoding> encoding;  // none: the bytes are valid in none tried
    // A source that cannot be read again is read from this instead; null otherwise.
    std::unique_ptr<ReplayingSource> replay;
};

// Guesses the encoding of the bytes the source has left. A source that can be read again (a
// file) is guessed from all of them and then read again from where it was; another (a pipe) from
// its first kGuessPrefixBytes, which the replay hands out again.
GuessedEncoding GuessEncodingOf(ByteSource& source);

}  // namespace BlankwiseCli
