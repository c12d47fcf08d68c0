#include "CommandLine/Program/EncodingChoice.h"

#include <algorithm>

#include "MyLibrary/Encoding/EncodingGuess.h"

namespace BlankwiseCli {
namespace {

// Fills block from source as far as it goes; fewer bytes than its size only at the source's end.
std::size_t ReadBlock(ByteSource& source, std::string& block) {
    std::size_t filled = 0;
    while (filled < block.size()) {
        const std::size_t got = source.Read(block.data() + filled, block.size() - filled);
        if (got == 0) {
            break;
        }
        filled += got;
    }
    return filled;
}

}  // namespace

std::size_t ReplayingSource::Read(char* buffer, std::size_t size) {
    if (handedOut_ < readAhead_.size()) {
        const std::size_t count = std::min(size, readAhead_.size() - handedOut_);
        readAhead_.copy(buffer, count, handedOut_);
        handedOut_ += count;
        return count;
    }
    return sourceEnded_ ? 0 : source_.Read(buffer, size);
}

GuessedEncoding GuessEncodingOf(ByteSource& source) {
    MyLibrary::EncodingGuesser guesser;
    const bool readAgain = source.Mark();
    std::string block(MyLibrary::kGuessPrefixBytes, '\0');
    std::size_t filled = ReadBlock(source, block);
    const bool ended = filled < block.size();
    guesser.Feed(std::string_view(block).substr(0, filled));
    GuessedEncoding guessed;
    if (readAgain) {
        block.resize(std::size_t{1} << 20);
        for (bool more = !ended; more;) {
            filled = ReadBlock(source, block);
            guesser.Feed(std::string_view(block).substr(0, filled));
            more = filled == block.size();
        }
        guesser.Finish();
        source.ReturnToMark();
    } else {
        if (ended) {
            guesser.Finish();
        }
        block.resize(filled);
        guessed.replay = std::make_unique<ReplayingSource>(std::move(block), source, ended);
    }
    guessed.encoding = guesser.Guess();
    return guessed;
}

}  // namespace BlankwiseCli
