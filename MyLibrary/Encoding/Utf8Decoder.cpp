// UTF-8 decoding, strict and lenient, and the validation that stops where decoding would.

#include <array>
#include <bit>
#include <optional>

#include "MyLibrary/Encoding/CodecDetail.h"
#include "MyLibrary/Encoding/Utf8Facts.h"
#include "MyLibrary/StringUnit/KernelVariants.h"
#include "MyLibrary/StringUnit/VectorPaths.h"

namespace MyLibrary {
namespace CodecDetail {
namespace {

// One character at bytes[i], checked in full. Returns the bytes it took; 0 when the bytes there
// are invalid, or incomplete at the end (then `incomplete` is set).
std::size_t DecodeOneUtf8(std::string_view bytes, std::size_t i, char16_t*& write, bool& incomplete) {
    const std::size_t size = bytes.size();
    const std::uint8_t lead = ByteAt(bytes, i);
    if (lead < 0x80) {
        *write++ = lead;
        return 1;
    }
    const std::size_t length = Utf8SequenceLength(lead);
    if (length == 0) {
        return 0;
    }
    // The lead's own bits: 5, 4 or 3 of them.
    std::uint32_t value = lead & (0x7Fu >> length);
    std::uint8_t secondLow = 0x80;   // the second byte's range, narrowed against overlong
    std::uint8_t secondHigh = 0xBF;  // forms, surrogates and values above U+10FFFF
    if (lead == 0xE0) {
        secondLow = 0xA0;
    } else if (lead == 0xED) {
        secondHigh = 0x9F;
    } else if (lead == 0xF0) {
        secondLow = 0x90;
    } else if (lead == 0xF4) {
        secondHigh = 0x8F;
    }
    std::size_t k = 1;
    for (; k < length && i + k < size; ++k) {
        const std::uint8_t next = ByteAt(bytes, i + k);
        const std::uint8_t low = k == 1 ? secondLow : std::uint8_t{0x80};
        const std::uint8_t high = k == 1 ? secondHigh : std::uint8_t{0xBF};
        if (next < low || next > high) {
            return 0;
        }
        value = (value << 6) | (next & kUtf8PayloadBits);
    }
    if (k < length) {
        incomplete = true;
        return 0;
    }
    if (value >= kFirstSupplementaryCodePoint) {
        const SurrogatePair pair = SurrogatePairOf(value);
        *write++ = pair.high;
        *write++ = pair.low;
    } else {
        *write++ = static_cast<char16_t>(value);
    }
    return length;
}

// The length of a character with this lead byte when it needs no check beyond "its continuation
// bytes follow" (ASCII, C2-DF, E1-EC, EE-EF); 0 for every other lead, which takes the full check.
constexpr std::array<std::uint8_t, 256> kPlainUtf8Length = [] {
    std::array<std::uint8_t, 256> lengths{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        if (byte < 0x80) {
            lengths[byte] = 1;
        } else if (byte >= 0xC2 && byte <= 0xDF) {
            lengths[byte] = 2;
        } else if (byte >= 0xE1 && byte <= 0xEF && byte != 0xED) {
            lengths[byte] = 3;
        }
    }
    return lengths;
}();

// Decodes characters from bytes[i] on, 64 bytes at a time, while they are plain (see above) and
// their continuation bytes are where the start mask says; stops before anything else. Needs 68
// bytes from i, so that the last character of a block and the byte after it can be read.
std::size_t DecodePlainUtf8(const std::uint8_t* p, std::size_t i, std::size_t size, char16_t*& write) {
    while (size - i >= 68) {
        if (p[i] < 0x80 && SixteenAscii(reinterpret_cast<const char*>(p + i))) {
            for (std::size_t j = 0; j < 16; ++j) {
                write[j] = p[i + j];
            }
            write += 16;
            i += 16;
            continue;
        }
        const std::uint64_t starts = Utf8StartsOf<true>(p + i).all;
        std::size_t expected = 0;  // where the next character starts
        for (std::uint64_t rest = starts; rest != 0; rest &= rest - 1) {
            const auto j = static_cast<std::size_t>(std::countr_zero(rest));
            const std::uint8_t lead = p[i + j];
            const std::size_t length = kPlainUtf8Length[lead];
            // Bits 1 .. length-1 after j: the continuation bytes, which must start nothing; past
            // the block they are read from the bytes themselves.
            const std::uint64_t inner = (std::uint64_t{1} << length) - 2;
            const bool continued = j + length <= 64 ? ((starts >> j) & inner) == 0
                                                    : (length < 2 || IsUtf8Continuation(p[i + j + 1])) &&
                                                          (length < 3 || IsUtf8Continuation(p[i + j + 2]));
            if (j != expected || length == 0 || !continued) {
                return i + expected;
            }
            const std::uint32_t b1 = p[i + j + 1] & kUtf8PayloadBits;
            const std::uint32_t b2 = p[i + j + 2] & kUtf8PayloadBits;
            const std::uint32_t two = (lead & 0x1Fu) << 6 | b1;
            const std::uint32_t three = (lead & 0x0Fu) << 12 | b1 << 6 | b2;
            const std::uint32_t isTwo = 0u - static_cast<std::uint32_t>(length == 2);
            const std::uint32_t isThree = 0u - static_cast<std::uint32_t>(length == 3);
            *write++ = static_cast<char16_t>((lead & ~(isTwo | isThree)) | (two & isTwo) | (three & isThree));
            expected = j + length;
        }
        if (expected < 64) {
            return i + expected;
        }
        i += expected;
    }
    return i;
}

// Plain characters go through the block decoder; whatever stops it is decoded one character at a
// time, with every check. Writes at most one unit for each byte.
DecodeResult DecodeUtf8At(std::string_view bytes, bool atEnd, char16_t*& write) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const std::size_t size = bytes.size();
    std::size_t i = 0;
    while (i < size) {
        i = DecodePlainUtf8(p, i, size, write);
        if (i == size) {
            break;
        }
        bool incomplete = false;
        const std::size_t length = DecodeOneUtf8(bytes, i, write, incomplete);
        if (length == 0) {
            return {i, !incomplete || atEnd};
        }
        i += length;
    }
    return {size, false};
}

// The bytes of the malformed sequence at bytes[i] that lenient decoding replaces: the byte itself
// when it leads no sequence, else the lead and the continuation bytes that follow it, up to the
// sequence's length.
std::size_t MalformedLength(std::string_view bytes, std::size_t i) {
    const std::size_t length = Utf8SequenceLength(ByteAt(bytes, i));
    std::size_t taken = 1;
    while (taken < length && i + taken < bytes.size() && IsUtf8Continuation(ByteAt(bytes, i + taken))) {
        ++taken;
    }
    return taken;
}

#if BLANKWISE_HAS_SSE2
// Whether the 64 bytes at p are all ASCII.
bool SixtyFourAscii(const std::uint8_t* p) {
    const auto load = [p](unsigned k) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k)); };
    return _mm_movemask_epi8(
               _mm_or_si128(_mm_or_si128(load(0), load(16)), _mm_or_si128(load(32), load(48)))) == 0;
}

// Whether the 64 bytes at p, with the two before them, are plain UTF-8: every byte that should
// continue a character does (it follows a lead byte, or comes second after one of three bytes)
// and no other byte does, and no lead byte needs more checks (E0, ED, F0-F4) or starts nothing
// (C0, C1, F5-FF). A character may end past the block; the next block checks its last bytes.
bool PlainUtf8Block(const std::uint8_t* p) {
    const __m128i firstOfTwo = _mm_set1_epi8(static_cast<char>(0xC0));
    const __m128i firstOfThree = _mm_set1_epi8(static_cast<char>(0xE0));
    const __m128i firstOfFour = _mm_set1_epi8(static_cast<char>(0xF0));
    const __m128i c1 = _mm_set1_epi8(static_cast<char>(0xC1));
    const __m128i ed = _mm_set1_epi8(static_cast<char>(0xED));
    const __m128i one = _mm_set1_epi8(1);
    const auto atLeast = [](__m128i bytes, __m128i least) {
        return _mm_cmpeq_epi8(_mm_max_epu8(bytes, least), bytes);
    };
    __m128i wrong = _mm_setzero_si128();
    for (unsigned k = 0; k < 64; k += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k));
        const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k - 1));
        const __m128i twoBefore = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k - 2));
        // As signed bytes, continuation bytes (0x80..0xBF) are the ones below -64.
        const __m128i continues = _mm_cmplt_epi8(bytes, _mm_set1_epi8(-64));
        const __m128i expected = _mm_or_si128(atLeast(before, firstOfTwo), atLeast(twoBefore, firstOfThree));
        const __m128i special = _mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi8(_mm_or_si128(bytes, one), c1), _mm_cmpeq_epi8(bytes, firstOfThree)),
            _mm_or_si128(_mm_cmpeq_epi8(bytes, ed), atLeast(bytes, firstOfFour)));
        wrong = _mm_or_si128(wrong, _mm_or_si128(_mm_xor_si128(continues, expected), special));
    }
    return _mm_movemask_epi8(wrong) == 0;
}
#endif

}  // namespace

DecodeResult DecodeUtf8(std::string_view bytes, bool atEnd, std::u16string& out) {
    char16_t* write = Reserve(out, bytes.size());
    const DecodeResult result = DecodeUtf8At(bytes, atEnd, write);
    Trim(out, write);
    return result;
}

// As DecodeUtf8. Blocks of 64 bytes are checked at once while they are plain (see
// PlainUtf8Block); the blocks follow each other at a fixed step, so that one block's loads need
// not wait for the checks of the block before. From a block that is not plain on, the bytes are
// checked one character at a time, with every check, from the start of the first character that
// has a byte in it. The scalar kernel variant leaves the blocks to the loop that checks the rest.
DecodeResult ValidateUtf8(std::string_view bytes, bool atEnd) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const std::size_t size = bytes.size();
    std::size_t i = 0;
    // One character at i checked in full and passed; where there is none, where the bytes stop.
    const auto checkOne = [&bytes, &i, atEnd]() -> std::optional<DecodeResult> {
        char16_t units[2];
        char16_t* write = units;
        bool incomplete = false;
        const std::size_t taken = DecodeOneUtf8(bytes, i, write, incomplete);
        if (taken == 0) {
            return DecodeResult{i, !incomplete || atEnd};
        }
        i += taken;
        return std::nullopt;
    };
#if BLANKWISE_HAS_SSE2
    if (ActiveKernelVariant() != KernelVariant::Scalar) {
        // The blocks read the two bytes before them, which the first characters give.
        while (i < 2 && i < size) {
            if (const auto stop = checkOne()) {
                return *stop;
            }
        }
        // Where the character that goes on at i starts, else i. The bytes before i are valid, and
        // no character of four bytes passes a block.
        const auto characterStart = [p, &i]() {
            return i >= 1 && p[i - 1] >= 0xC0 ? i - 1 : i >= 2 && p[i - 2] >= 0xE0 ? i - 2 : i;
        };
        while (size - i >= 64) {
            // An ASCII block is plain unless a character before it should go on into it.
            if (SixtyFourAscii(p + i) ? p[i - 1] < 0xC0 && p[i - 2] < 0xE0 : PlainUtf8Block(p + i)) {
                i += 64;
                continue;
            }
            const std::size_t blockEnd = i + 64;
            i = characterStart();
            while (i < blockEnd) {
                if (const auto stop = checkOne()) {
                    return *stop;
                }
            }
        }
        i = characterStart();
    }
#endif
    while (i < size) {
        if (size - i >= 16 && SixteenAscii(bytes.data() + i)) {
            i += 16;
            continue;
        }
        const std::uint8_t lead = p[i];
        const std::size_t length = kPlainUtf8Length[lead];
        if (length == 1) {
            ++i;
            continue;
        }
        if (length != 0 && size - i >= length && IsUtf8Continuation(p[i + 1]) &&
            (length == 2 || IsUtf8Continuation(p[i + 2]))) {
            i += length;
            continue;
        }
        if (const auto stop = checkOne()) {
            return *stop;
        }
    }
    return {size, false};
}

}  // namespace CodecDetail

// The strict decoder up to each malformed sequence, which becomes one U+FFFD. A sequence the
// strict decoder stops at is malformed as a whole: its lead starts nothing, a byte that should
// continue it does not, or its value, read from all its bytes, is overlong, a surrogate or above
// U+10FFFF (the narrowed second-byte ranges of DecodeOneUtf8 tell exactly these).
std::u16string Utf8ToUtf16Lenient(std::string_view bytes) {
    using CodecDetail::DecodeUtf8At;
    using CodecDetail::MalformedLength;
    std::u16string out;
    char16_t* write = CodecDetail::Reserve(out, bytes.size());
    std::size_t i = 0;
    while (true) {
        const DecodeResult decoded = DecodeUtf8At(bytes.substr(i), true, write);
        i += decoded.consumed;
        if (!decoded.invalid) {
            break;
        }
        *write++ = CodecDetail::kReplacementCharacter;
        i += MalformedLength(bytes, i);
    }
    CodecDetail::Trim(out, write);
    return out;
}

}  // namespace MyLibrary
