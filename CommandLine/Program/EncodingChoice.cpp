#include "CommandLine/Program/EncodingChoice.h"

#include "MyLibrary/Encoding/EncodingGuess.h"

namespace BlankwiseCli {

GuessedEncoding GuessEncodingOf(ByteSource& source) {
    MyLibrary::EncodingGuesser guesser;
    const bool readAgain = source.Mark();
    std::string start = ReadAhead(source, MyLibrary::kGuessPrefixBytes);
    const bool ended = start.size() < MyLibrary::kGuessPrefixBytes;
    guesser.Feed(start);
    GuessedEncoding guessed;
    if (readAgain) {
        constexpr std::size_t kBlockBytes = std::size_t{1} << 20;
        for (bool more = !ended; more;) {
            const std::string block = ReadAhead(source, kBlockBytes);
            guesser.Feed(block);
            more = block.size() == kBlockBytes;
        }
        guesser.Finish();
        source.ReturnToMark();
    } else {
        if (ended) {
            guesser.Finish();
        }
        guessed.replay =
            std::make_unique<ReplayingSource>(std::move(start), MyLibrary::kGuessPrefixBytes, source);
    }
    guessed.encoding = guesser.Guess();
    return guessed;
}

}  // namespace BlankwiseCli
