#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "MyLibrary/Encoding/Iso2022Jp.h"
#include "MyLibrary/Encoding/TextCodec.h"

// Guesses a file's encoding from its bytes, handed over in pieces as they are read, by these rules
// in this order:
//  1. a byte order mark names its encoding;
//  2. UTF-16 without a mark: a zero byte in the first kGuessPrefixBytes (text in the other
//     encodings holds none, but each ASCII character in UTF-16 does), and valid UTF-16 in the byte
//     order that reads more aligned pairs of a zero and an ASCII byte as ASCII characters (checked
//     before the rules that follow, since such a text is also 7-bit and valid UTF-8);
//  3. 7-bit without an escape: every encoding reads it alike, so UTF-8;
//  4. 7-bit with escape sequences that are valid ISO-2022-JP: ISO-2022-JP;
//  5. valid UTF-8;
//  6. valid in exactly one of code page 932 and EUC-JP: that one;
//  7. valid in both: the one whose text holds more hiragana, katakana and JIS level-1 kanji (rows 4,
//     5 and 16-47 of JIS X 0208), code page 932 on a tie.
// Bytes valid in none of them give no guess.
namespace MyLibrary {

// A guess from the first bytes of a file that cannot be read twice; a file that can is guessed
// whole, so that bytes after them (Japanese text after a long ASCII start) correct it.
inline constexpr std::size_t kGuessPrefixBytes = 64 * 1024;

class EncodingGuesser {
  public:
    EncodingGuesser();

    // The next bytes of the file.
    void Feed(std::string_view bytes);
    // No more bytes follow: a sequence left incomplete at the end makes its encoding invalid.
    void Finish();

    // The guess from the bytes so far (after Finish, from the whole file).
    std::optional<Encoding> Guess() const;

  private:
    // One encoding's validity so far, and the bytes of an incomplete sequence at the end of the
    // last piece, which the next piece completes.
    struct Candidate {
        explicit Candidate(Encoding candidateEncoding) : encoding(candidateEncoding) {}

        Encoding encoding;
        bool valid = true;
        std::string pending;
        std::size_t japaneseCharacters = 0;
    };

    void FeedCandidate(Candidate& candidate, std::string_view bytes, bool atEnd);
    void CountAsciiInUtf16(std::string_view bytes);
    const Candidate& Of(Encoding encoding) const;

    std::size_t offset_ = 0;
    std::string start_;  // the first bytes, for the byte order mark
    bool highBytes_ = false;
    bool escapes_ = false;
    bool zeros_ = false;
    std::uint8_t previousByte_ = 0;
    std::size_t asciiInLittleEndian_ = 0;
    std::size_t asciiInBigEndian_ = 0;
    Iso2022JpState iso2022JpState_;
    std::array<Candidate, 6> candidates_;
};

// The encodings the guess tries, as an error message names them.
inline constexpr std::string_view kGuessedEncodings = "utf-8, iso-2022-jp, cp932, euc-jp, utf-16le, utf-16be";

// The guess from a whole text.
std::optional<Encoding> GuessEncoding(std::string_view bytes);

}  // namespace MyLibrary
