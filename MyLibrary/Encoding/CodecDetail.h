#pragma once

// Inside the text codec: what its encodings share, and each encoding's entry points, which
// TextCodec.cpp dispatches to. Not for use outside MyLibrary/Encoding/.

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "MyLibrary/Encoding/TextCodec.h"
#include "MyLibrary/StringUnit/VectorPaths.h"

namespace MyLibrary::CodecDetail {

inline constexpr char16_t kReplacementCharacter = u'\uFFFD';

inline std::uint8_t ByteAt(std::string_view bytes, std::size_t i) {
    return static_cast<std::uint8_t>(bytes[i]);
}

// Grows out by at most `extra` units and returns where to write; Trim cuts it to what was written.
inline char16_t* Reserve(std::u16string& out, std::size_t extra) {
    const std::size_t used = out.size();
    out.resize(used + extra);
    return out.data() + used;
}
inline void Trim(std::u16string& out, const char16_t* end) {
    out.resize(static_cast<std::size_t>(end - out.data()));
}
inline char* Reserve(std::string& out, std::size_t extra) {
    const std::size_t used = out.size();
    out.resize(used + extra);
    return out.data() + used;
}
inline void Trim(std::string& out, const char* end) {
    out.resize(static_cast<std::size_t>(end - out.data()));
}

inline bool EightAscii(const char* p) {
    std::uint64_t block;
    std::memcpy(&block, p, sizeof block);
    return (block & 0x8080808080808080u) == 0;
}

inline bool SixteenAscii(const char* p) {
    return EightAscii(p) && EightAscii(p + 8);
}

#if BLANKWISE_HAS_SSE2
// Sixteen bytes with 0x80 moved to the bottom of the signed range, so that unsigned byte ranges
// become signed comparisons.
inline __m128i LoadShifted(const std::uint8_t* p) {
    return _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)),
                         _mm_set1_epi8(static_cast<char>(0x80)));
}

// 0xFF for each byte of a LoadShifted block in first..last (unsigned, as they were before the move).
inline __m128i InByteRange(__m128i shifted, int first, int last) {
    return _mm_and_si128(_mm_cmpgt_epi8(shifted, _mm_set1_epi8(static_cast<char>((first - 1) ^ 0x80))),
                         _mm_cmplt_epi8(shifted, _mm_set1_epi8(static_cast<char>((last + 1) ^ 0x80))));
}
#endif

// UTF-8 (Utf8Decoder.cpp, Utf8Encoder.cpp).
DecodeResult DecodeUtf8(std::string_view bytes, bool atEnd, std::u16string& out);
DecodeResult ValidateUtf8(std::string_view bytes, bool atEnd);
void EncodeUtf8(std::u16string_view units, std::string& out);

// UTF-16 (Utf16Codec.cpp).
DecodeResult DecodeUtf16(std::string_view bytes, bool bigEndian, bool atEnd, std::u16string& out);
void EncodeUtf16(std::u16string_view units, bool bigEndian, std::string& out);

// Code page 932 (Cp932Decoder.cpp; its encoder is EncodeCp932 of Cp932.h).
DecodeResult DecodeCp932(std::string_view bytes, bool atEnd, std::u16string& out, bool& recoded);
DecodeResult ValidateCp932(std::string_view bytes, bool atEnd, bool& recoded);

}  // namespace MyLibrary::CodecDetail
