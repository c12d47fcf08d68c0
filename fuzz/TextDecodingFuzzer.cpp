// The text codec's decoders, EUC-JP's and ISO-2022-JP's among them, the encoding guess, and the
// command-line program's stream over them, on arbitrary bytes: what a decoder accepts encodes back
// to the same bytes unless it said recoded, it stops exactly at the first sequence it cannot
// decode, validating stops at the same place, ISO-2022-JP decodes alike in pieces that carry its
// shift state, the guess reads the bytes in the encoding it names, and a stream with invalid bytes
// is reported invalid at their offset with nothing of them, or after them, written.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "Blankwise/ConversionPipelines.h"
#include "CommandLine/Stream/StreamConversion.h"
#include "MyLibrary/Encoding/EncodingGuess.h"
#include "MyLibrary/Encoding/EucJp.h"
#include "MyLibrary/Encoding/Iso2022Jp.h"
#include "MyLibrary/Encoding/TextCodec.h"
#include "MyLibrary/tests/CodecTestSupport.h"
#include "fuzz/FuzzSupport.h"

namespace {

using Fuzzing::Check;
using MyLibrary::DecodeResult;
using MyLibrary::Encoding;

std::string Hex(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (const char byte : bytes) {
        const auto value = static_cast<std::uint8_t>(byte);
        out += kDigits[value >> 4];
        out += kDigits[value & 15];
        out += ' ';
    }
    return out;
}

// A decoder and its encoder, the text codec's for an encoding (ISO-2022-JP's from a stream's
// start state).
struct Codec {
    std::function<DecodeResult(std::string_view, bool, std::u16string&, bool&)> decode;
    std::function<DecodeResult(std::string_view, bool, bool&)> validate;
    std::function<void(std::u16string_view, std::string&)> encode;
    std::size_t longestWait;  // the bytes an incomplete sequence at the end may hold back
    bool stateful;            // units encode back to the bytes line by line, from each line's states
};

Codec CodecOf(Encoding encoding) {
    // In ISO-2022-JP an escape sequence waits with the incomplete one, or the row-cell's first byte,
    // after it.
    const bool stateful = encoding == Encoding::Iso2022Jp;
    return {
        [encoding](std::string_view bytes, bool atEnd, std::u16string& out, bool& recoded) {
            return MyLibrary::Decode(encoding, bytes, atEnd, out, recoded);
        },
        [encoding](std::string_view bytes, bool atEnd, bool& recoded) {
            return MyLibrary::Validate(encoding, bytes, atEnd, recoded);
        },
        [encoding](std::u16string_view units, std::string& out) { MyLibrary::Encode(encoding, units, out); },
        stateful                      ? 5u
        : encoding == Encoding::EucJp ? 2u
                                      : 3u,
        stateful};
}

// Bytes handed out in pieces of at most the given size.
class PieceSource final : public BlankwiseCli::ByteSource {
  public:
    PieceSource(std::string_view bytes, std::size_t pieceSize) : bytes_(bytes), pieceSize_(pieceSize) {}

    std::size_t Read(char* buffer, std::size_t size) override {
        const std::size_t count = std::min({size, pieceSize_, bytes_.size() - position_});
        std::copy_n(bytes_.data() + position_, count, buffer);
        position_ += count;
        return count;
    }

  private:
    std::string_view bytes_;
    std::size_t pieceSize_;
    std::size_t position_ = 0;
};

class StringSink final : public BlankwiseCli::ByteSink {
  public:
    void Write(std::string_view bytes, bool) override { bytes_.append(bytes); }
    const std::string& Bytes() const { return bytes_; }

  private:
    std::string bytes_;
};

void CheckDecode(const Codec& codec, std::string_view bytes, const std::string& where) {
    std::u16string units;
    bool recoded = false;
    const DecodeResult whole = codec.decode(bytes, true, units, recoded);
    Check(whole.consumed <= bytes.size(), "a decoder consumes no more than it is given", where);
    Check(whole.invalid == (whole.consumed < bytes.size()), "decoding at the end stops only at invalid bytes",
          where);
    const std::string_view accepted = bytes.substr(0, whole.consumed);
    std::string reencoded;
    codec.encode(units, reencoded);
    std::u16string redecoded;
    bool ignored = false;
    const DecodeResult roundTrip = codec.decode(reencoded, true, redecoded, ignored);
    Check(!roundTrip.invalid && redecoded == units, "what was decoded encodes to the same characters", where);
    Check(codec.stateful || (reencoded == accepted) != recoded,
          "what was decoded encodes back to the same bytes unless recoded", where);

    std::u16string again;
    const DecodeResult valid = codec.decode(accepted, true, again, ignored);
    Check(!valid.invalid && again == units, "the accepted bytes decode alone to the same units", where);

    // Not at the end, an incomplete sequence at the end waits for more bytes instead.
    std::u16string partial;
    const DecodeResult waiting = codec.decode(bytes, false, partial, ignored);
    Check(waiting.consumed <= whole.consumed && units.starts_with(partial),
          "decoding with more to come gives a prefix", where);
    for (const bool atEnd : {true, false}) {
        const DecodeResult decoded = atEnd ? whole : waiting;
        bool validatedRecoded = false;
        const DecodeResult checked = codec.validate(bytes, atEnd, validatedRecoded);
        Check(checked.consumed == decoded.consumed && checked.invalid == decoded.invalid,
              "validating stops where decoding stops", where);
        Check(!atEnd || validatedRecoded == recoded || (validatedRecoded && whole.invalid),
              "validating says recoded where decoding does", where);
    }
    if (waiting.invalid) {
        Check(whole.invalid && waiting.consumed == whole.consumed, "invalid bytes are invalid either way",
              where);
    } else {
        Check(bytes.size() - waiting.consumed <= codec.longestWait, "only an incomplete sequence waits",
              where);
    }
}

// ISO-2022-JP in pieces of at most pieceSize bytes, each decoded from the state the last left,
// gives what the whole gives; the state escape sequences leave is the decoder's; and each line,
// written back from the states it starts and ends in, gives back its bytes unless recoded.
void CheckIso2022JpState(std::string_view bytes, std::size_t pieceSize, const std::string& where) {
    MyLibrary::Iso2022JpState state;
    std::u16string whole;
    bool recoded = false;
    const DecodeResult result = MyLibrary::DecodeIso2022Jp(bytes, true, state, whole, recoded);
    Check(MyLibrary::Iso2022JpStateAfter(bytes.substr(0, result.consumed), {}) == state,
          "the escape sequences leave the decoder's state", where);

    MyLibrary::Iso2022JpState piecesState;
    std::u16string pieces;
    std::size_t from = 0;
    std::size_t end = 0;
    DecodeResult piece{0, false};
    while (!piece.invalid && end < bytes.size()) {
        end = std::min(bytes.size(), end + pieceSize);
        piece = MyLibrary::DecodeIso2022Jp(bytes.substr(from, end - from), end == bytes.size(), piecesState,
                                           pieces, recoded);
        from += piece.consumed;
    }
    Check(pieces == whole && from == result.consumed && piecesState == state,
          "decoding in pieces that carry the state gives what decoding the whole gives", where);

    const MyLibrary::Testing::Iso2022JpLines lines = MyLibrary::Testing::DecodeAndRewriteLines(bytes);
    Check(lines.units == whole && lines.result.consumed == result.consumed,
          "decoding line by line gives what decoding the whole gives", where);
    for (const MyLibrary::Testing::Iso2022JpLine& line : lines.lines) {
        Check(line.recoded == (line.rewritten != line.bytes),
              "a line comes back from its states unless recoded", where + "\nline " + Hex(line.bytes));
    }
}

void CheckStream(std::string_view input, const BlankwiseCli::StreamSettings& settings, std::size_t pieceSize,
                 const std::string& where) {
    PieceSource source(input, pieceSize);
    StringSink sink;
    const BlankwiseCli::StreamOutcome outcome = BlankwiseCli::ConvertStream(source, &sink, settings);

    // A mark selects its encoding whatever encoding was asked for, code page 932 included.
    const std::optional<Encoding> marked = MyLibrary::EncodingOfByteOrderMark(input);
    const Encoding encoding = marked.value_or(settings.encoding);
    const std::string_view mark = marked ? MyLibrary::ByteOrderMark(*marked) : std::string_view{};
    Check(outcome.encoding == encoding, "a byte order mark selects the encoding", where);

    std::u16string text;
    const MyLibrary::DecodeResult decoded =
        MyLibrary::Decode(encoding, input.substr(mark.size()), true, text);
    Check(outcome.invalid == decoded.invalid, "a stream is invalid when its bytes are", where);
    // What was written, read back: the mark, then the converted characters.
    const std::string_view written = sink.Bytes();
    Check(written.starts_with(mark), "a byte order mark is written back", where);
    std::u16string writtenText;
    const MyLibrary::DecodeResult readBack =
        MyLibrary::Decode(encoding, written.substr(std::min(mark.size(), written.size())), true, writtenText);
    Check(!readBack.invalid, "what is written is valid in its encoding", where + "\nwritten " + Hex(written));
    const std::u16string expected =
        Blankwise::ConvertSelection(settings.conversionId, text, settings.startColumn);
    if (!outcome.invalid) {
        Check(writtenText == expected, "a valid stream converts as the whole text", where);
        return;
    }
    Check(outcome.errorOffset == mark.size() + decoded.consumed, "invalid bytes are reported at their offset",
          where);
    Check(expected.starts_with(writtenText), "only converted text before the invalid bytes is written",
          where + "\nwritten " + Hex(written));

    PieceSource again(input, pieceSize);
    const BlankwiseCli::StreamOutcome unwritten = BlankwiseCli::ConvertStream(again, nullptr, settings);
    Check(unwritten.invalid && unwritten.errorOffset == outcome.errorOffset,
          "a stream without a sink reports the same", where);
}

// The encoding guess: the same from the whole bytes as from them in pieces, and, but for a byte
// order mark, which names its encoding whatever follows, an encoding the bytes are valid in.
void CheckGuess(std::string_view bytes, std::size_t pieceSize, const std::string& where) {
    const std::optional<Encoding> whole = MyLibrary::GuessEncoding(bytes);
    MyLibrary::EncodingGuesser guesser;
    for (std::size_t at = 0; at < bytes.size(); at += pieceSize) {
        guesser.Feed(bytes.substr(at, pieceSize));
    }
    guesser.Finish();
    Check(guesser.Guess() == whole, "a guess in pieces is the guess of the whole", where);
    if (!whole || MyLibrary::EncodingOfByteOrderMark(bytes)) {
        return;
    }
    std::u16string ignored;
    bool recoded = false;
    Check(!CodecOf(*whole).decode(bytes, true, ignored, recoded).invalid,
          "a guessed encoding reads the bytes",
          where + " guessed " + std::string(MyLibrary::EncodingName(*whole)));
}

}  // namespace

// Input: the encoding (0 UTF-8, 1 UTF-16LE, 2 UTF-16BE, 3 code page 932, 4 EUC-JP, 5 ISO-2022-JP),
// the conversion, the start column, the read size and the piece size, one byte each, then the
// bytes to decode.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Fuzzing::FuzzInput input(data, size);
    const auto encoding = static_cast<Encoding>(input.Byte() % 6);
    const int conversionId = Blankwise::kFirstConversionId + input.Byte() % Blankwise::kLastConversionId;
    const std::int32_t startColumn = input.Byte() % 10;
    const std::size_t readSize = 8 + input.Byte() % 40;
    const std::size_t pieceSize = 1 + input.Byte() % 16;
    const std::size_t header = std::min<std::size_t>(size, 5);
    const std::string_view bytes(reinterpret_cast<const char*>(data) + header, size - header);
    const std::string name(MyLibrary::EncodingName(encoding));
    const std::string where = name + " conversion " + std::to_string(conversionId) + " column " +
                              std::to_string(startColumn) + " read " + std::to_string(readSize) + " pieces " +
                              std::to_string(pieceSize) + ": " + Hex(bytes);
    CheckDecode(CodecOf(encoding), bytes, where);
    CheckGuess(bytes, pieceSize, where);
    if (encoding == Encoding::Iso2022Jp) {
        CheckIso2022JpState(bytes, pieceSize, where);
    }
    BlankwiseCli::StreamSettings settings;
    settings.conversionId = conversionId;
    settings.startColumn = startColumn;
    settings.encoding = encoding;
    settings.readSize = readSize;
    settings.chunkUnits = 1 + readSize % 7;
    CheckStream(bytes, settings, pieceSize, where);
    return 0;
}
