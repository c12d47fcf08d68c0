#pragma once

// What the text codec's tests share: units shown as hex, the code page 932 tables the codec is
// built from, as rows, rows of where decoders stop, decoding in pieces, and ISO-2022-JP written
// back line by line.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "MyLibrary/Encoding/Iso2022Jp.h"
#include "MyLibrary/Encoding/TextCodec.h"

namespace MyLibrary::Testing {

inline std::string Hex(std::u16string_view units) {
    std::string text;
    char buffer[8];
    for (char16_t unit : units) {
        std::snprintf(buffer, sizeof buffer, "%04X ", static_cast<unsigned>(unit));
        text += buffer;
    }
    return text;
}

struct Cp932Mapping {
    std::uint16_t unit;
    std::uint16_t bytes;
};
inline constexpr Cp932Mapping kCp932Mappings[] = {
#include "MyLibrary/Encoding/Cp932EncodeTable.inc"
};

struct Cp932Decoding {
    std::uint16_t bytes;
    std::uint16_t unit;
};
// Windows' table, from Python's cp932 codec.
inline constexpr Cp932Decoding kCp932Decodings[] = {
#include "MyLibrary/Encoding/Cp932DecodeTable.inc"
};

// A row of the tables of where a decoder stops.
struct StopRow {
    const char* name;
    std::string_view bytes;
    bool atEnd;
    std::u16string_view units;  // decoded before the stop
    std::size_t consumed;
    bool invalid;
    bool recoded;
};

// Decodes bytes in pieces, each call handed what the last left over and up to `most` more bytes,
// the last one atEnd. decode(bytes, atEnd, out) returns a DecodeResult; so does this, for the whole.
template <class Decoder>
DecodeResult DecodeInPieces(std::string_view bytes, Decoder decode, std::mt19937& random, std::size_t most,
                            std::u16string& out) {
    std::size_t from = 0;
    std::size_t end = 0;
    while (true) {
        end = std::min(bytes.size(), end + std::uniform_int_distribution<std::size_t>(1, most)(random));
        const DecodeResult result = decode(bytes.substr(from, end - from), end == bytes.size(), out);
        from += result.consumed;
        if (result.invalid || end == bytes.size()) {
            return {from, result.invalid};
        }
    }
}

// ISO-2022-JP decoded line by line from the default state (a line ends after LF, or after a CR
// that no LF follows), and each line written back from its state at its start to that at its end.
struct Iso2022JpLine {
    std::string_view bytes;  // those decoded
    std::string rewritten;
    bool recoded = false;
};
struct Iso2022JpLines {
    std::u16string units;
    std::vector<Iso2022JpLine> lines;
    DecodeResult result{0, false};  // where decoding stopped
    Iso2022JpState end;

    std::string Rewritten() const {
        std::string bytes;
        for (const Iso2022JpLine& line : lines) {
            bytes += line.rewritten;
        }
        return bytes;
    }
};

inline Iso2022JpLines DecodeAndRewriteLines(std::string_view bytes) {
    Iso2022JpLines decoded;
    while (decoded.result.consumed < bytes.size()) {
        const std::size_t start = decoded.result.consumed;
        std::size_t stop = start;
        while (stop < bytes.size() && bytes[stop] != '\n' &&
               !(bytes[stop] == '\r' && (stop + 1 == bytes.size() || bytes[stop + 1] != '\n'))) {
            ++stop;
        }
        stop = std::min(bytes.size(), stop + 1);
        const Iso2022JpState lineStart = decoded.end;
        const std::size_t unitsBefore = decoded.units.size();
        Iso2022JpLine& line = decoded.lines.emplace_back();
        line.bytes = bytes.substr(start, stop - start);
        const DecodeResult result =
            DecodeIso2022Jp(line.bytes, true, decoded.end, decoded.units, line.recoded);
        EncodeIso2022Jp(std::u16string_view(decoded.units).substr(unitsBefore), lineStart, decoded.end,
                        line.rewritten);
        line.bytes = line.bytes.substr(0, result.consumed);
        decoded.result = {start + result.consumed, result.invalid};
        if (result.invalid) {
            break;
        }
    }
    return decoded;
}

}  // namespace MyLibrary::Testing
