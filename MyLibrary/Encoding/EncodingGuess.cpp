// The encoding guess: each candidate encoding validated piece by piece, and the rules applied to
// what the candidates and a few byte counts say.

#include "MyLibrary/Encoding/EncodingGuess.h"

#include <algorithm>
#include <cstdint>

#include "MyLibrary/Encoding/Cp932Facts.h"
#include "MyLibrary/Encoding/EucJp.h"

namespace MyLibrary {
namespace {

constexpr char kEscape = '\x1B';
// The longest byte order mark.
constexpr std::size_t kMarkBytes = 3;

// JIS X 0208's rows of hiragana (4), katakana (5) and level-1 kanji (16-47).
constexpr bool IsJapaneseRow(unsigned row) {
    return row == 4 || row == 5 || (row >= 16 && row <= 47);
}

// The JIS X 0208 row of a code page 932 two-byte code: each lead byte holds two rows, the second
// where the trail byte is 0x9F or above.
constexpr unsigned Cp932Row(std::uint8_t lead, std::uint8_t trail) {
    const unsigned firstOfPair = lead <= 0x9F ? 2u * (lead - 0x81u) + 1 : 2u * (lead - 0xC1u) + 1;
    return firstOfPair + (trail >= 0x9F ? 1 : 0);
}

// Hiragana, katakana and level-1 kanji in whole characters of valid code page 932.
std::size_t CountJapaneseInCp932(std::string_view bytes) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<std::uint8_t>(bytes[i]);
        if (IsCp932LeadByte(byte) && i + 1 < bytes.size()) {
            count += IsJapaneseRow(Cp932Row(byte, static_cast<std::uint8_t>(bytes[i + 1]))) ? 1u : 0u;
            ++i;
        }
    }
    return count;
}

// The same in whole characters of valid EUC-JP.
std::size_t CountJapaneseInEucJp(std::string_view bytes) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<std::uint8_t>(bytes[i]);
        if (byte == kEucJpKatakanaShift) {
            ++i;
        } else if (byte == kEucJpPlane2Shift) {
            i += 2;
        } else if (IsEucJpCodeByte(byte)) {
            count += IsJapaneseRow(byte - 0xA0u) ? 1u : 0u;
            ++i;
        }
    }
    return count;
}

}  // namespace

EncodingGuesser::EncodingGuesser()
    : candidates_{Candidate(Encoding::Utf8),  Candidate(Encoding::Utf16Le), Candidate(Encoding::Utf16Be),
                  Candidate(Encoding::Cp932), Candidate(Encoding::EucJp),   Candidate(Encoding::Iso2022Jp)} {}

const EncodingGuesser::Candidate& EncodingGuesser::Of(Encoding encoding) const {
    return *std::find_if(candidates_.begin(), candidates_.end(),
                         [encoding](const Candidate& candidate) { return candidate.encoding == encoding; });
}

void EncodingGuesser::FeedCandidate(Candidate& candidate, std::string_view bytes, bool atEnd) {
    if (!candidate.valid) {
        return;
    }
    std::string joined;
    if (!candidate.pending.empty()) {
        joined = candidate.pending;
        joined += bytes;
        bytes = joined;
    }
    bool recoded = false;
    DecodeResult result{};
    switch (candidate.encoding) {
        case Encoding::EucJp:
            result = ValidateEucJp(bytes, atEnd, recoded);
            break;
        case Encoding::Iso2022Jp:
            result = ValidateIso2022Jp(bytes, atEnd, iso2022JpState_, recoded);
            break;
        default:
            result = Validate(candidate.encoding, bytes, atEnd, recoded);
            break;
    }
    if (result.invalid) {
        candidate.valid = false;
        candidate.pending.clear();
        return;
    }
    const std::string_view whole = bytes.substr(0, result.consumed);
    if (candidate.encoding == Encoding::Cp932) {
        candidate.japaneseCharacters += CountJapaneseInCp932(whole);
    } else if (candidate.encoding == Encoding::EucJp) {
        candidate.japaneseCharacters += CountJapaneseInEucJp(whole);
    }
    candidate.pending.assign(bytes.substr(result.consumed));
}

void EncodingGuesser::Feed(std::string_view bytes) {
    if (start_.size() < kMarkBytes) {
        start_ += bytes.substr(0, kMarkBytes - start_.size());
    }
    highBytes_ = highBytes_ || std::any_of(bytes.begin(), bytes.end(),
                                           [](char byte) { return static_cast<std::uint8_t>(byte) >= 0x80; });
    escapes_ = escapes_ || bytes.find(kEscape) != std::string_view::npos;
    const bool hasZero = bytes.find('\0') != std::string_view::npos;
    zeros_ = zeros_ || hasZero;
    // A zero at the end of the last piece pairs with this piece's first byte.
    if (hasZero || (offset_ % 2 == 1 && previousByte_ == 0)) {
        CountAsciiInUtf16(bytes);
    }
    if (!bytes.empty()) {
        previousByte_ = static_cast<std::uint8_t>(bytes.back());
    }
    for (Candidate& candidate : candidates_) {
        // UTF-16 shows its zero bytes from the start; decoding a long text without one as UTF-16
        // would only cost.
        if (candidate.encoding == Encoding::Utf16Le || candidate.encoding == Encoding::Utf16Be) {
            candidate.valid = candidate.valid && (zeros_ || offset_ + bytes.size() < kGuessPrefixBytes);
        }
        FeedCandidate(candidate, bytes, false);
    }
    offset_ += bytes.size();
}

void EncodingGuesser::CountAsciiInUtf16(std::string_view bytes) {
    std::uint8_t previous = previousByte_;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto value = static_cast<std::uint8_t>(bytes[i]);
        // An aligned pair of a zero and an ASCII byte: an ASCII character in one of UTF-16's orders.
        if ((offset_ + i) % 2 == 1 && (value == 0) != (previous == 0)) {
            const std::uint8_t other = value == 0 ? previous : value;
            if (other < 0x80) {
                ++(value == 0 ? asciiInLittleEndian_ : asciiInBigEndian_);
            }
        }
        previous = value;
    }
}

void EncodingGuesser::Finish() {
    for (Candidate& candidate : candidates_) {
        if (!candidate.pending.empty()) {
            FeedCandidate(candidate, {}, true);
        }
    }
}

std::optional<Encoding> EncodingGuesser::Guess() const {
    // Before the end, the first bytes may still be the start of a mark.
    if (const std::optional<Encoding> marked = EncodingOfByteOrderMark(start_)) {
        return marked;
    }
    // Text holds no zero bytes but in UTF-16, whose ASCII characters have one each.
    if (zeros_ && asciiInLittleEndian_ != asciiInBigEndian_) {
        const Encoding order =
            asciiInLittleEndian_ > asciiInBigEndian_ ? Encoding::Utf16Le : Encoding::Utf16Be;
        if (Of(order).valid) {
            return order;
        }
    }
    if (!highBytes_ && !escapes_) {
        return Encoding::Utf8;
    }
    if (!highBytes_ && Of(Encoding::Iso2022Jp).valid) {
        return Encoding::Iso2022Jp;
    }
    if (Of(Encoding::Utf8).valid) {
        return Encoding::Utf8;
    }
    const Candidate& cp932 = Of(Encoding::Cp932);
    const Candidate& eucJp = Of(Encoding::EucJp);
    if (cp932.valid && eucJp.valid) {
        return eucJp.japaneseCharacters > cp932.japaneseCharacters ? Encoding::EucJp : Encoding::Cp932;
    }
    if (cp932.valid || eucJp.valid) {
        return cp932.valid ? Encoding::Cp932 : Encoding::EucJp;
    }
    return std::nullopt;
}

std::optional<Encoding> GuessEncoding(std::string_view bytes) {
    EncodingGuesser guesser;
    guesser.Feed(bytes);
    guesser.Finish();
    return guesser.Guess();
}

}  // namespace MyLibrary
