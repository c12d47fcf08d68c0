#include "CommandLine/TextEncoding.h"

#include <array>
#include <bit>
#include <cstring>
#include <memory>

#include "MyLibrary/StringUnit/VectorPaths.h"

namespace BlankwiseCli {
namespace {

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

std::uint8_t ByteAt(std::string_view bytes, std::size_t i) {
    return static_cast<std::uint8_t>(bytes[i]);
}

bool IsHighSurrogate(std::uint32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(std::uint32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Grows out by at most `extra` units and returns where to write; Trim cuts it to what was written.
char16_t* Reserve(std::u16string& out, std::size_t extra) {
    const std::size_t used = out.size();
    out.resize(used + extra);
    return out.data() + used;
}
void Trim(std::u16string& out, const char16_t* end) {
    out.resize(static_cast<std::size_t>(end - out.data()));
}
char* Reserve(std::string& out, std::size_t extra) {
    const std::size_t used = out.size();
    out.resize(used + extra);
    return out.data() + used;
}
void Trim(std::string& out, const char* end) {
    out.resize(static_cast<std::size_t>(end - out.data()));
}

bool EightAscii(const char* p) {
    std::uint64_t block;
    std::memcpy(&block, p, sizeof block);
    return (block & 0x8080808080808080u) == 0;
}

bool SixteenAscii(const char* p) {
    return EightAscii(p) && EightAscii(p + 8);
}

// One character at bytes[i], checked in full. Returns the bytes it took; 0 when the bytes there
// are invalid, or incomplete at the end (then `incomplete` is set).
std::size_t DecodeOneUtf8(std::string_view bytes, std::size_t i, char16_t*& write, bool& incomplete) {
    const std::size_t size = bytes.size();
    const std::uint8_t lead = ByteAt(bytes, i);
    if (lead < 0x80) {
        *write++ = lead;
        return 1;
    }
    std::size_t length;
    std::uint32_t value;
    std::uint8_t secondLow = 0x80;   // the second byte's range, narrowed against overlong
    std::uint8_t secondHigh = 0xBF;  // forms, surrogates and values above U+10FFFF
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0Fu;
        if (lead == 0xE0) {
            secondLow = 0xA0;
        } else if (lead == 0xED) {
            secondHigh = 0x9F;
        }
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07u;
        if (lead == 0xF0) {
            secondLow = 0x90;
        } else if (lead == 0xF4) {
            secondHigh = 0x8F;
        }
    } else {
        return 0;
    }
    std::size_t k = 1;
    for (; k < length && i + k < size; ++k) {
        const std::uint8_t next = ByteAt(bytes, i + k);
        const std::uint8_t low = k == 1 ? secondLow : std::uint8_t{0x80};
        const std::uint8_t high = k == 1 ? secondHigh : std::uint8_t{0xBF};
        if (next < low || next > high) {
            return 0;
        }
        value = (value << 6) | (next & 0x3Fu);
    }
    if (k < length) {
        incomplete = true;
        return 0;
    }
    if (value >= 0x10000) {
        value -= 0x10000;
        *write++ = static_cast<char16_t>(0xD800 + (value >> 10));
        *write++ = static_cast<char16_t>(0xDC00 + (value & 0x3FF));
    } else {
        *write++ = static_cast<char16_t>(value);
    }
    return length;
}

// Bit j set for each byte p[j] of 64 that starts a character (is no continuation byte 10xxxxxx).
std::uint64_t Utf8StartMask(const std::uint8_t* p) {
#if BLANKWISE_HAS_SSE2
    std::uint64_t mask = 0;
    for (unsigned part = 0; part < 4; ++part) {
        // As signed bytes, the continuation bytes 0x80-0xBF are exactly those below -64.
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * part));
        const __m128i continuation = _mm_cmplt_epi8(bytes, _mm_set1_epi8(-64));
        mask |= std::uint64_t{static_cast<std::uint32_t>(_mm_movemask_epi8(continuation))} << (16 * part);
    }
    return ~mask;
#else
    std::uint64_t mask = 0;
    for (unsigned j = 0; j < 64; ++j) {
        mask |= std::uint64_t{(p[j] & 0xC0) != 0x80} << j;
    }
    return mask;
#endif
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
        const std::uint64_t starts = Utf8StartMask(p + i);
        std::size_t expected = 0;  // where the next character starts
        for (std::uint64_t rest = starts; rest != 0; rest &= rest - 1) {
            const auto j = static_cast<std::size_t>(std::countr_zero(rest));
            const std::uint8_t lead = p[i + j];
            const std::size_t length = kPlainUtf8Length[lead];
            // Bits 1 .. length-1 after j: the continuation bytes, which must start nothing; past
            // the block they are read from the bytes themselves.
            const std::uint64_t inner = (std::uint64_t{1} << length) - 2;
            const bool continued = j + length <= 64 ? ((starts >> j) & inner) == 0
                                                    : (length < 2 || (p[i + j + 1] & 0xC0) == 0x80) &&
                                                          (length < 3 || (p[i + j + 2] & 0xC0) == 0x80);
            if (j != expected || length == 0 || !continued) {
                return i + expected;
            }
            const std::uint32_t b1 = p[i + j + 1] & 0x3Fu;
            const std::uint32_t b2 = p[i + j + 2] & 0x3Fu;
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
// time, with every check.
DecodeResult DecodeUtf8(std::string_view bytes, bool atEnd, std::u16string& out) {
    char16_t* write = Reserve(out, bytes.size());
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
            Trim(out, write);
            return {i, !incomplete || atEnd};
        }
        i += length;
    }
    Trim(out, write);
    return {size, false};
}

DecodeResult DecodeUtf16(std::string_view bytes, bool bigEndian, bool atEnd, std::u16string& out) {
    const std::size_t unitCount = bytes.size() / 2;
    char16_t* write = Reserve(out, unitCount);
    const auto unitAt = [&](std::size_t k) -> std::uint32_t {
        const std::uint32_t first = ByteAt(bytes, 2 * k);
        const std::uint32_t second = ByteAt(bytes, 2 * k + 1);
        return bigEndian ? (first << 8) | second : (second << 8) | first;
    };
    std::size_t k = 0;
    while (k < unitCount) {
        const std::uint32_t unit = unitAt(k);
        if (IsHighSurrogate(unit)) {
            if (k + 1 == unitCount) {
                Trim(out, write);
                return {2 * k, atEnd};
            }
            const std::uint32_t next = unitAt(k + 1);
            if (!IsLowSurrogate(next)) {
                Trim(out, write);
                return {2 * k, true};
            }
            *write++ = static_cast<char16_t>(unit);
            *write++ = static_cast<char16_t>(next);
            k += 2;
        } else if (IsLowSurrogate(unit)) {
            Trim(out, write);
            return {2 * k, true};
        } else {
            *write++ = static_cast<char16_t>(unit);
            ++k;
        }
    }
    Trim(out, write);
    // An odd byte left at the end waits for its partner, or is invalid at the end of the input.
    return {2 * unitCount, atEnd && bytes.size() % 2 != 0};
}

// Code page 932 in both directions: decoding by Windows' table of the codes it reads, encoding by
// the table the text platform measures widths with, which holds the code Windows writes for each
// unit.
//
// Decoding looks codes up by key: the byte itself for a one-byte code, the lead and trail byte
// as one little-endian number for a pair, so that a pair's key takes one 16-bit load. A pair
// decodes only with a trail of 0x40 or more, so its key lies above every one-byte key; the pairs
// whose keys do not are undecodable, as are the lone lead bytes whose keys they share.
class Cp932Tables {
  public:
    // What a key's flags tell.
    static constexpr std::uint8_t kUndecodable = 1;  // Windows decodes no character from the code
    static constexpr std::uint8_t kRecoded = 2;      // its unit encodes to another code

    // The bytes of a unit, ready to be copied two at a time: a one-byte code carries a second
    // byte that the next character overwrites.
    struct Code {
        char bytes[2];
        std::uint8_t length;
    };

    Cp932Tables() {
        struct Mapping {
            std::uint16_t first;
            std::uint16_t second;
        };
        static constexpr Mapping kEncodings[] = {
        // {unit, code}
#include "MyLibrary/StringUnit/Cp932Table.inc"
        };
        static constexpr Mapping kDecodings[] = {
        // {code, unit}
#include "CommandLine/Cp932DecodeTable.inc"
        };
        unitAt_.fill(0xFFFF);
        flagsAt_.fill(kUndecodable);
        codeOfUnit_.fill(Code{{'?', 0}, 1});
        for (std::uint16_t c = 0; c < 0x80; ++c) {
            unitAt_[c] = c;
            flagsAt_[c] = 0;
            codeOfUnit_[c] = Code{{static_cast<char>(c), 0}, 1};
        }
        // Six codes are listed for two units each (0x8191 for U+00A2 and U+FFE0, ...): encoding
        // maps both units to the code.
        for (const Mapping& mapping : kEncodings) {
            const std::uint16_t code = mapping.second;
            codeOfUnit_[mapping.first] =
                code > 0xFF ? Code{{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)}, 2}
                            : Code{{static_cast<char>(code), 0}, 1};
        }
        for (const Mapping& mapping : kDecodings) {
            const std::uint16_t code = mapping.first;
            const std::size_t key = code > 0xFF ? (code >> 8) | (code & 0xFFu) << 8 : code;
            unitAt_[key] = static_cast<char16_t>(mapping.second);
            const Code& written = codeOfUnit_[mapping.second];
            const unsigned writtenCode =
                written.length == 2 ? static_cast<unsigned>(static_cast<std::uint8_t>(written.bytes[0]) << 8 |
                                                            static_cast<std::uint8_t>(written.bytes[1]))
                                    : static_cast<std::uint8_t>(written.bytes[0]);
            flagsAt_[key] = writtenCode != code ? kRecoded : 0;
        }
        for (unsigned byte = 0; byte < 0x100; ++byte) {
            isLead_[byte] = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC) ? 1 : 0;
        }
    }

    // 1 for a byte in the Shift-JIS lead ranges; every other byte is a character of its own.
    std::size_t IsLead(std::uint8_t byte) const {
        return isLead_[byte];
    }
    // The key of the code at `at`: a pair when lead is 1, else the one byte.
    static std::size_t KeyAt(const std::uint8_t* at, std::size_t lead) {
        const std::size_t mask = 0xFF | (0xFF00 & (0 - lead));
        if constexpr (std::endian::native == std::endian::little) {
            std::uint16_t both = 0;
            std::memcpy(&both, at, 2);
            return both & mask;
        } else {
            return (at[0] | static_cast<std::size_t>(at[1]) << 8) & mask;
        }
    }
    // The unit of a key's code (meaningless where the code is undecodable).
    char16_t UnitAt(std::size_t key) const {
        return unitAt_[key];
    }
    std::uint8_t FlagsAt(std::size_t key) const {
        return flagsAt_[key];
    }
    const Code& CodeOfUnit(char16_t unit) const {
        return codeOfUnit_[unit];
    }

  private:
    std::array<char16_t, 0x10000> unitAt_;
    std::array<std::uint8_t, 0x10000> flagsAt_;
    std::array<Code, 0x10000> codeOfUnit_;
    std::array<std::uint8_t, 0x100> isLead_;
};

const Cp932Tables& Cp932() {
    static const auto tables = std::make_unique<Cp932Tables>();
    return *tables;
}

// Bit j set for each byte p[j] of 64 in a Shift-JIS lead range (0x81-0x9F, 0xE0-0xFC).
std::uint64_t LeadRangeMask(const std::uint8_t* p, [[maybe_unused]] const Cp932Tables& tables) {
#if BLANKWISE_HAS_SSE2
    std::uint64_t mask = 0;
    for (unsigned part = 0; part < 4; ++part) {
        // Signed comparisons after moving 0x80 to the bottom of the signed range.
        const __m128i bytes = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * part)),
                                            _mm_set1_epi8(static_cast<char>(0x80)));
        const __m128i low = _mm_and_si128(_mm_cmpgt_epi8(bytes, _mm_set1_epi8(0x00)),
                                          _mm_cmplt_epi8(bytes, _mm_set1_epi8(0x20)));
        const __m128i high = _mm_and_si128(_mm_cmpgt_epi8(bytes, _mm_set1_epi8(0x5F)),
                                           _mm_cmplt_epi8(bytes, _mm_set1_epi8(0x7D)));
        const auto bits = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_or_si128(low, high)));
        mask |= std::uint64_t{bits} << (16 * part);
    }
    return mask;
#else
    std::uint64_t mask = 0;
    for (unsigned j = 0; j < 64; ++j) {
        mask |= std::uint64_t{tables.IsLead(p[j])} << j;
    }
    return mask;
#endif
}

// Which bytes of a block are trails, from the lead-range mask. A byte that is no trail starts a
// character; so does the byte after any byte outside the lead ranges. A run of lead-range bytes
// that starts on a character therefore pairs up from its start: the bytes at odd distance from it
// are trails, and so is the byte after the run when the run is odd. Adding a run's lowest bit to
// the mask clears the run, which separates the runs that start on even positions from those on
// odd ones; each kind has its trails on the other parity. trailIn says whether byte 0 is a trail
// (of the block before); trailOut whether the byte after the block is one.
std::uint64_t TrailMask(std::uint64_t leadRange, bool trailIn, bool& trailOut) {
    constexpr std::uint64_t kEven = 0x5555555555555555u;
    const std::uint64_t lead = trailIn ? leadRange & ~std::uint64_t{1} : leadRange;
    const std::uint64_t starts = lead & ~(lead << 1);
    const std::uint64_t evenRuns = lead & ~(lead + (starts & kEven));
    const std::uint64_t oddRuns = lead & ~evenRuns;
    const std::uint64_t trails =
        ((evenRuns | evenRuns << 1) & ~kEven) | ((oddRuns | oddRuns << 1) & kEven) | (trailIn ? 1u : 0u);
    // The last byte leads a pair when it is in a lead range and no trail.
    trailOut = ((lead & ~trails) >> 63) != 0;
    return trails;
}

// Blocks of 64 bytes: the trail mask says where characters start, and each is looked up on its
// own, a pair when it leads, a single byte otherwise. Runs of ASCII are widened directly.
DecodeResult DecodeCp932(std::string_view bytes, bool atEnd, std::u16string& out, bool& recoded) {
    const Cp932Tables& tables = Cp932();
    char16_t* write = Reserve(out, bytes.size());
    bool recodedAny = false;
    const auto stop = [&](DecodeResult result) {
        Trim(out, write);
        recoded = recoded || recodedAny;
        return result;
    };
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const std::size_t size = bytes.size();
    std::size_t k = 0;
    bool trail = false;  // byte k is the trail of the one before
    // A block is decoded only when a byte follows it, for the trail of its last lead.
    while (size - k > 64) {
        if (!trail && SixteenAscii(bytes.data() + k)) {
            for (std::size_t j = 0; j < 16; ++j) {
                write[j] = p[k + j];
            }
            write += 16;
            k += 16;
            continue;
        }
        const std::uint64_t leadRange = LeadRangeMask(p + k, tables);
        bool trailOut = false;
        const std::uint64_t trails = TrailMask(leadRange, trail, trailOut);
        const std::uint64_t leads = leadRange & ~trails;
        // Every character is looked up and written before the block's one branch; the rare
        // block with an undecodable pair is searched again for it.
        std::uint8_t flags = 0;
        char16_t* const blockWrite = write;
        for (std::uint64_t starts = ~trails; starts != 0; starts &= starts - 1) {
            const auto j = static_cast<unsigned>(std::countr_zero(starts));
            const std::size_t key = Cp932Tables::KeyAt(p + k + j, (leads >> j) & 1);
            flags |= tables.FlagsAt(key);
            *write++ = tables.UnitAt(key);
        }
        if ((flags & Cp932Tables::kUndecodable) != 0) {
            write = blockWrite;
            for (std::uint64_t starts = ~trails;; starts &= starts - 1) {
                const auto j = static_cast<unsigned>(std::countr_zero(starts));
                const std::size_t key = Cp932Tables::KeyAt(p + k + j, (leads >> j) & 1);
                if ((tables.FlagsAt(key) & Cp932Tables::kUndecodable) != 0) {
                    return stop({k + j, true});
                }
                recodedAny = recodedAny || (tables.FlagsAt(key) & Cp932Tables::kRecoded) != 0;
                *write++ = tables.UnitAt(key);
            }
        }
        recodedAny = recodedAny || (flags & Cp932Tables::kRecoded) != 0;
        trail = trailOut;
        k += 64;
    }
    for (; k < size; ++k) {
        if (trail) {
            trail = false;
            continue;
        }
        const std::uint8_t first = p[k];
        if (tables.IsLead(first) == 0) {
            *write++ = tables.UnitAt(first);
            continue;
        }
        if (k + 1 == size) {
            // A lead byte at the end may still find its trail in the next bytes.
            return stop({k, atEnd});
        }
        const std::size_t key = Cp932Tables::KeyAt(p + k, 1);
        if ((tables.FlagsAt(key) & Cp932Tables::kUndecodable) != 0) {
            return stop({k, true});
        }
        recodedAny = recodedAny || (tables.FlagsAt(key) & Cp932Tables::kRecoded) != 0;
        *write++ = tables.UnitAt(key);
        trail = true;
    }
    return stop({size, false});
}

// As DecodeCp932, but only the leads need a look: every byte outside the lead ranges is a
// character.
DecodeResult ValidateCp932(std::string_view bytes, bool atEnd) {
    const Cp932Tables& tables = Cp932();
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const std::size_t size = bytes.size();
    std::size_t k = 0;
    bool trail = false;
    while (size - k > 64) {
        if (!trail && SixteenAscii(bytes.data() + k)) {
            k += 16;
            continue;
        }
        bool trailOut = false;
        const std::uint64_t leadRange = LeadRangeMask(p + k, tables);
        const std::uint64_t leads = leadRange & ~TrailMask(leadRange, trail, trailOut);
        // Every pair is looked up before the block's one branch; the rare invalid block is
        // searched again for its first bad pair.
        std::uint8_t flags = 0;
        for (std::uint64_t rest = leads; rest != 0; rest &= rest - 1) {
            flags |= tables.FlagsAt(Cp932Tables::KeyAt(p + k + std::countr_zero(rest), 1));
        }
        if ((flags & Cp932Tables::kUndecodable) != 0) {
            for (std::uint64_t rest = leads;; rest &= rest - 1) {
                const auto j = static_cast<unsigned>(std::countr_zero(rest));
                if ((tables.FlagsAt(Cp932Tables::KeyAt(p + k + j, 1)) & Cp932Tables::kUndecodable) != 0) {
                    return {k + j, true};
                }
            }
        }
        trail = trailOut;
        k += 64;
    }
    for (; k < size; ++k) {
        if (trail) {
            trail = false;
        } else if (tables.IsLead(p[k]) != 0) {
            if (k + 1 == size) {
                return {k, atEnd};
            }
            if ((tables.FlagsAt(Cp932Tables::KeyAt(p + k, 1)) & Cp932Tables::kUndecodable) != 0) {
                return {k, true};
            }
            trail = true;
        }
    }
    return {size, false};
}

#if BLANKWISE_HAS_SSE2
// The bytes of 64 from p, by kind, one bit each: lead bytes of plain two- and three-byte
// characters, continuation bytes, and lead bytes that need more checks (E0, ED, F0-F4) or start
// nothing (C0, C1, F5-FF).
struct Utf8Kinds {
    std::uint64_t two = 0;
    std::uint64_t three = 0;
    std::uint64_t continuation = 0;
    std::uint64_t other = 0;
};

Utf8Kinds Utf8KindsOf(const std::uint8_t* p) {
    // Unsigned ranges as signed comparisons after moving 0x80 to the bottom of the signed range.
    const auto in = [](__m128i shifted, int low, int high) {
        return _mm_and_si128(_mm_cmpgt_epi8(shifted, _mm_set1_epi8(static_cast<char>((low - 1) ^ 0x80))),
                             _mm_cmplt_epi8(shifted, _mm_set1_epi8(static_cast<char>((high + 1) ^ 0x80))));
    };
    const auto bits = [](__m128i mask, unsigned part) {
        return std::uint64_t{static_cast<std::uint32_t>(_mm_movemask_epi8(mask))} << (16 * part);
    };
    Utf8Kinds kinds;
    for (unsigned part = 0; part < 4; ++part) {
        const __m128i shifted =
            _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * part)),
                          _mm_set1_epi8(static_cast<char>(0x80)));
        const __m128i two = in(shifted, 0xC2, 0xDF);
        const __m128i three = _mm_or_si128(in(shifted, 0xE1, 0xEC), in(shifted, 0xEE, 0xEF));
        // 0xC0 and above, as signed bytes after the move: above 0x3F.
        const __m128i lead = _mm_cmpgt_epi8(shifted, _mm_set1_epi8(0x3F));
        kinds.two |= bits(two, part);
        kinds.three |= bits(three, part);
        kinds.continuation |= bits(in(shifted, 0x80, 0xBF), part);
        kinds.other |= bits(_mm_andnot_si128(_mm_or_si128(two, three), lead), part);
    }
    return kinds;
}
#endif

// As DecodeUtf8. Blocks of 64 bytes that start on a character are checked at once when their
// lead bytes are all plain: the continuation bytes must be exactly those the leads call for. Any
// other block is checked one character at a time, with every check.
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
    while (size - i >= 66) {
        if (SixteenAscii(bytes.data() + i) && SixteenAscii(bytes.data() + i + 16) &&
            SixteenAscii(bytes.data() + i + 32) && SixteenAscii(bytes.data() + i + 48)) {
            i += 64;
            continue;
        }
        const Utf8Kinds kinds = Utf8KindsOf(p + i);
        const std::uint64_t expected = kinds.two << 1 | kinds.three << 1 | kinds.three << 2;
        // The last character may end past the block, by up to two bytes.
        const std::size_t past = (kinds.three >> 63) != 0                      ? 2
                                 : ((kinds.two | kinds.three << 1) >> 63) != 0 ? 1
                                                                               : 0;
        const bool pastContinued =
            past == 0 || ((p[i + 64] & 0xC0) == 0x80 && (past == 1 || (p[i + 65] & 0xC0) == 0x80));
        if (kinds.other == 0 && kinds.continuation == expected && pastContinued) {
            i += 64 + past;
            continue;
        }
        const std::size_t blockEnd = i + 64;
        while (i < blockEnd) {
            if (const auto stop = checkOne()) {
                return *stop;
            }
        }
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
        if (length != 0 && size - i >= length && (p[i + 1] & 0xC0) == 0x80 &&
            (length == 2 || (p[i + 2] & 0xC0) == 0x80)) {
            i += length;
            continue;
        }
        if (const auto stop = checkOne()) {
            return *stop;
        }
    }
    return {size, false};
}

// The UTF-8 bytes of every BMP unit, copied four at a time (the length byte and any unused one are
// overwritten by the next character); surrogates, marked with length 0, take the slow way.
struct Utf8Code {
    char bytes[3];
    std::uint8_t length;
};

const std::array<Utf8Code, 0x10000>& Utf8Codes() {
    static const auto codes = [] {
        auto table = std::make_unique<std::array<Utf8Code, 0x10000>>();
        for (std::uint32_t unit = 0; unit < 0x10000; ++unit) {
            Utf8Code& code = (*table)[unit];
            if (unit < 0x80) {
                code = {{static_cast<char>(unit), 0, 0}, 1};
            } else if (unit < 0x800) {
                code = {{static_cast<char>(0xC0 | (unit >> 6)), static_cast<char>(0x80 | (unit & 0x3F)), 0},
                        2};
            } else if ((unit & 0xF800) == 0xD800) {
                code = {{0, 0, 0}, 0};
            } else {
                code = {
                    {static_cast<char>(0xE0 | (unit >> 12)), static_cast<char>(0x80 | ((unit >> 6) & 0x3F)),
                     static_cast<char>(0x80 | (unit & 0x3F))},
                    3};
            }
        }
        return table;
    }();
    return *codes;
}

// A lone surrogate, which no decoded text holds, becomes U+FFFD.
void EncodeUtf8(std::u16string_view units, std::string& out) {
    const auto& codes = Utf8Codes();
    char* write = Reserve(out, 3 * units.size() + 1);
    const std::size_t size = units.size();
    for (std::size_t i = 0; i < size; ++i) {
        const Utf8Code& code = codes[units[i]];
        std::memcpy(write, &code, sizeof code);
        write += code.length;
        if (code.length == 0) {
            std::uint32_t value = units[i];
            if (IsHighSurrogate(value) && i + 1 < size && IsLowSurrogate(units[i + 1])) {
                value = 0x10000 + ((value - 0xD800) << 10) + (units[++i] - 0xDC00u);
                *write++ = static_cast<char>(0xF0 | (value >> 18));
                *write++ = static_cast<char>(0x80 | ((value >> 12) & 0x3F));
                *write++ = static_cast<char>(0x80 | ((value >> 6) & 0x3F));
                *write++ = static_cast<char>(0x80 | (value & 0x3F));
            } else {
                std::memcpy(write, &codes[0xFFFD], sizeof(Utf8Code));
                write += 3;
            }
        }
    }
    Trim(out, write);
}

void EncodeUtf16(std::u16string_view units, bool bigEndian, std::string& out) {
    char* write = Reserve(out, 2 * units.size());
    for (const char16_t unit : units) {
        const auto high = static_cast<char>(unit >> 8);
        const auto low = static_cast<char>(unit & 0xFF);
        *write++ = bigEndian ? high : low;
        *write++ = bigEndian ? low : high;
    }
}

void EncodeCp932(std::u16string_view units, std::string& out) {
    const Cp932Tables& tables = Cp932();
    char* write = Reserve(out, 2 * units.size());
    for (const char16_t unit : units) {
        const Cp932Tables::Code& code = tables.CodeOfUnit(unit);
        std::memcpy(write, code.bytes, 2);
        write += code.length;
    }
    Trim(out, write);
}

}  // namespace

std::optional<Encoding> EncodingFromName(std::string_view name) {
    for (Encoding encoding : {Encoding::Utf8, Encoding::Utf16Le, Encoding::Utf16Be, Encoding::Cp932}) {
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
    }
    return {0, true};
}

DecodeResult Validate(Encoding encoding, std::string_view bytes, bool atEnd) {
    switch (encoding) {
        case Encoding::Utf8:
            return ValidateUtf8(bytes, atEnd);
        case Encoding::Cp932:
            return ValidateCp932(bytes, atEnd);
        case Encoding::Utf16Le:
        case Encoding::Utf16Be: {
            thread_local std::u16string scratch;
            scratch.clear();
            return Decode(encoding, bytes, atEnd, scratch);
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

}  // namespace BlankwiseCli
