// The text codec's decoders, and the command-line program's stream over them, on arbitrary bytes:
// what a decoder accepts encodes back to the same bytes, it stops exactly at the first sequence it
// cannot decode, validating stops at the same place, and a stream with such bytes is reported
// invalid at their offset with nothing of them, or after them, written.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "Blankwise/ConversionPipelines.h"
#include "CommandLine/Stream/StreamConversion.h"
#include "MyLibrary/Encoding/TextCodec.h"
#include "fuzz/FuzzSupport.h"

namespace {

using Fuzzing::Check;
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

std::string Encoded(Encoding encoding, std::u16string_view units) {
    std::string bytes;
    MyLibrary::Encode(encoding, units, bytes);
    return bytes;
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

void CheckDecode(Encoding encoding, std::string_view bytes, const std::string& where) {
    std::u16string units;
    const MyLibrary::DecodeResult whole = MyLibrary::Decode(encoding, bytes, true, units);
    Check(whole.consumed <= bytes.size(), "a decoder consumes no more than it is given", where);
    Check(whole.invalid == (whole.consumed < bytes.size()), "decoding at the end stops only at invalid bytes",
          where);
    // Code page 932 has codes that decode to a character whose own code is another one (the
    // NEC-selected IBM extensions): there the round trip holds for the characters, elsewhere for the
    // bytes too.
    const std::string reencoded = Encoded(encoding, units);
    std::u16string redecoded;
    const MyLibrary::DecodeResult roundTrip = MyLibrary::Decode(encoding, reencoded, true, redecoded);
    Check(!roundTrip.invalid && redecoded == units, "what was decoded encodes to the same characters", where);
    Check(encoding == Encoding::Cp932 || reencoded == bytes.substr(0, whole.consumed),
          "what was decoded from a Unicode encoding encodes back to the same bytes", where);

    std::u16string again;
    const MyLibrary::DecodeResult valid =
        MyLibrary::Decode(encoding, bytes.substr(0, whole.consumed), true, again);
    Check(!valid.invalid && again == units, "the accepted bytes decode alone to the same units", where);

    // Not at the end, an incomplete sequence at the end waits for more bytes instead.
    std::u16string partial;
    const MyLibrary::DecodeResult waiting = MyLibrary::Decode(encoding, bytes, false, partial);
    Check(waiting.consumed <= whole.consumed && units.starts_with(partial),
          "decoding with more to come gives a prefix", where);
    for (const bool atEnd : {true, false}) {
        const MyLibrary::DecodeResult decoded = atEnd ? whole : waiting;
        const MyLibrary::DecodeResult checked = MyLibrary::Validate(encoding, bytes, atEnd);
        Check(checked.consumed == decoded.consumed && checked.invalid == decoded.invalid,
              "validating stops where decoding stops", where);
    }
    if (waiting.invalid) {
        Check(whole.invalid && waiting.consumed == whole.consumed, "invalid bytes are invalid either way",
              where);
    } else {
        Check(bytes.size() - waiting.consumed < 4, "only an incomplete sequence waits", where);
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

}  // namespace

// Input: the encoding, the conversion, the start column, the read size and the piece size, one
// byte each, then the bytes to decode.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Fuzzing::FuzzInput input(data, size);
    const auto encoding = static_cast<Encoding>(input.Byte() % 4);
    const int conversionId = Blankwise::kFirstConversionId + input.Byte() % Blankwise::kLastConversionId;
    const std::int32_t startColumn = input.Byte() % 10;
    const std::size_t readSize = 8 + input.Byte() % 40;
    const std::size_t pieceSize = 1 + input.Byte() % 16;
    const std::size_t header = std::min<std::size_t>(size, 5);
    const std::string_view bytes(reinterpret_cast<const char*>(data) + header, size - header);
    const std::string where = std::string(MyLibrary::EncodingName(encoding)) + " conversion " +
                              std::to_string(conversionId) + " column " + std::to_string(startColumn) +
                              " read " + std::to_string(readSize) + " pieces " + std::to_string(pieceSize) +
                              ": " + Hex(bytes);
    CheckDecode(encoding, bytes, where);
    BlankwiseCli::StreamSettings settings;
    settings.conversionId = conversionId;
    settings.startColumn = startColumn;
    settings.encoding = encoding;
    settings.readSize = readSize;
    settings.chunkUnits = 1 + readSize % 7;
    CheckStream(bytes, settings, pieceSize, where);
    return 0;
}
