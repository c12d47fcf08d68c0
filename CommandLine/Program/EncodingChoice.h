#pragma once

#include <memory>
#include <optional>

#include "CommandLine/Program/ReadAhead.h"
#include "CommandLine/Stream/StreamTypes.h"
#include "MyLibrary/Encoding/TextCodec.h"

// --encoding auto: each input's encoding guessed from its bytes before it is converted.
namespace BlankwiseCli {

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
