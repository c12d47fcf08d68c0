// The codec's names and byte order marks, and the dispatch to each encoding's decoder and encoder.

#include "MyLibrary/Encoding/TextCodec.h"

#include "MyLibrary/Encoding/CodecDetail.h"
#include "MyLibrary/Encoding/Cp932.h"
#include "MyLibrary/Encoding/EucJp.h"
#include "MyLibrary/Encoding/Iso2022Jp.h"

namespace MyLibrary {
namespace {

using CodecDetail::DecodeCp932;
using CodecDetail::DecodeUtf16;
using CodecDetail::DecodeUtf8;
using CodecDetail::EncodeUtf16;
using CodecDetail::EncodeUtf8;
using CodecDetail::ValidateCp932;
using CodecDetail::ValidateUtf8;

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<Encoding> EncodingFromName(std::string_view name) {
    for (Encoding encoding : {Encoding::Utf8, Encoding::Utf16Le, Encoding::Utf16Be, Encoding::Cp932,
                              Encoding::EucJp, Encoding::Iso2022Jp}) {
        if (EqualIgnoringCase(name, EncodingName(encoding))) {
            return encoding;
        }
    }
    return std::nullopt;
}

std::string_view EncodingName(Encoding encoding) {
    switch (encoding) {
        case Encoding::Utf8:
            return "utf-8";
        case Encoding::Utf16Le:
            return "utf-16le";
        case Encoding::Utf16Be:
            return "utf-16be";
        case Encoding::Cp932:
            return "cp932";
        case Encoding::EucJp:
            return "euc-jp";
        case Encoding::Iso2022Jp:
            return "iso-2022-jp";
    }
    return {};
}

std::string_view ByteOrderMark(Encoding encoding) {
    switch (encoding) {
        case Encoding::Utf8:
            return kUtf8Mark;
        case Encoding::Utf16Le:
            return kUtf16LeMark;
        case Encoding::Utf16Be:
            return kUtf16BeMark;
        case Encoding::Cp932:
        case Encoding::EucJp:
        case Encoding::Iso2022Jp:
            return {};
    }
    return {};
}

std::optional<Encoding> EncodingOfByteOrderMark(std::string_view bytes) {
    if (bytes.starts_with(kUtf8Mark)) {
        return Encoding::Utf8;
    }
    if (bytes.starts_with(kUtf16LeMark)) {
        return Encoding::Utf16Le;
    }
    if (bytes.starts_with(kUtf16BeMark)) {
        return Encoding::Utf16Be;
    }
    return std::nullopt;
}

DecodeResult Decode(Encoding encoding, std::string_view bytes, bool atEnd, std::u16string& out) {
    bool recoded = false;
    return Decode(encoding, bytes, atEnd, out, recoded);
}

DecodeResult Decode(Encoding encoding, std::string_view bytes, bool atEnd, std::u16string& out,
                    bool& recoded) {
    switch (encoding) {
        case Encoding::Utf8:
            return DecodeUtf8(bytes, atEnd, out);
        case Encoding::Utf16Le:
            return DecodeUtf16(bytes, false, atEnd, out);
        case Encoding::Utf16Be:
            return DecodeUtf16(bytes, true, atEnd, out);
        case Encoding::Cp932:
            return DecodeCp932(bytes, atEnd, out, recoded);
        case Encoding::EucJp:
            return DecodeEucJp(bytes, atEnd, out, recoded);
        case Encoding::Iso2022Jp: {
            Iso2022JpState state;
            return DecodeIso2022Jp(bytes, atEnd, state, out, recoded);
        }
    }
    return {0, true};
}

DecodeResult Validate(Encoding encoding, std::string_view bytes, bool atEnd) {
    bool recoded = false;
    return Validate(encoding, bytes, atEnd, recoded);
}

DecodeResult Validate(Encoding encoding, std::string_view bytes, bool atEnd, bool& recoded) {
    switch (encoding) {
        case Encoding::Utf8:
            return ValidateUtf8(bytes, atEnd);
        case Encoding::Cp932:
            return ValidateCp932(bytes, atEnd, recoded);
        case Encoding::EucJp:
            return ValidateEucJp(bytes, atEnd, recoded);
        case Encoding::Iso2022Jp: {
            Iso2022JpState state;
            return ValidateIso2022Jp(bytes, atEnd, state, recoded);
        }
        case Encoding::Utf16Le:
        case Encoding::Utf16Be: {
            thread_local std::u16string scratch;
            scratch.clear();
            return Decode(encoding, bytes, atEnd, scratch, recoded);
        }
    }
    return {0, true};
}

void Encode(Encoding encoding, std::u16string_view units, std::string& out) {
    switch (encoding) {
        case Encoding::Utf8:
            EncodeUtf8(units, out);
            break;
        case Encoding::Utf16Le:
            EncodeUtf16(units, false, out);
            break;
        case Encoding::Utf16Be:
            EncodeUtf16(units, true, out);
            break;
        case Encoding::Cp932:
            EncodeCp932(units, out);
            break;
        case Encoding::EucJp:
            EncodeEucJp(units, out);
            break;
        case Encoding::Iso2022Jp:
            EncodeIso2022Jp(units, {}, {}, out);
            break;
    }
}

std::optional<std::u16string> Utf8ToUtf16(std::string_view bytes) {
    std::u16string units;
    if (Decode(Encoding::Utf8, bytes, true, units).invalid) {
        return std::nullopt;
    }
    return units;
}

std::string Utf16ToUtf8(std::u16string_view units) {
    std::string bytes;
    Encode(Encoding::Utf8, units, bytes);
    return bytes;
}

}  // namespace MyLibrary
