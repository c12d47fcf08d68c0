// Code page 932 decoding, and the validation that stops where decoding would.

#include <array>
#include <bit>
#include <cstring>
#include <memory>

#include "MyLibrary/Encoding/CodecDetail.h"
#include "MyLibrary/Encoding/Cp932.h"
#include "MyLibrary/StringUnit/VectorPaths.h"

namespace MyLibrary::CodecDetail {
namespace {

// Decoding by Windows' table of the codes it reads (Cp932DecodeTable.inc); whether a character
// comes back to the code it was read from, by the encoder's table (Cp932Codes).
//
// Decoding looks codes up by key: the byte itself for a one-byte code, the lead and trail byte
// as one little-endian number for a pair, so that a pair's key takes one 16-bit load. A pair
// decodes only with a trail of 0x40 or more, so its key lies above every one-byte key; the pairs
// whose keys do not are undecodable, as are the lone lead bytes whose keys they share.
class Cp932DecodeTables {
  public:
    // What a key's flags tell.
    static constexpr std::uint8_t kUndecodable = 1;  // Windows decodes no character from the code
    static constexpr std::uint8_t kRecoded = 2;      // its unit encodes to another code

    Cp932DecodeTables() {
        struct Decoding {
            std::uint16_t code;
            std::uint16_t unit;
        };
        static constexpr Decoding kDecodings[] = {
#include "MyLibrary/Encoding/Cp932DecodeTable.inc"
        };
        const std::array<Cp932Code, 0x10000>& codes = Cp932Codes();
        unitAt_.fill(0xFFFF);
        flagsAt_.fill(kUndecodable);
        for (std::uint16_t c = 0; c < 0x80; ++c) {
            unitAt_[c] = c;
            flagsAt_[c] = 0;
        }
        for (const Decoding& decoding : kDecodings) {
            const std::uint16_t code = decoding.code;
            const std::size_t key = code > 0xFF ? (code >> 8) | (code & 0xFFu) << 8 : code;
            unitAt_[key] = static_cast<char16_t>(decoding.unit);
            const Cp932Code& written = codes[decoding.unit];
            const unsigned writtenCode =
                written.length == 2 ? static_cast<unsigned>(static_cast<std::uint8_t>(written.bytes[0]) << 8 |
                                                            static_cast<std::uint8_t>(written.bytes[1]))
                                    : static_cast<std::uint8_t>(written.bytes[0]);
            flagsAt_[key] = writtenCode != code ? kRecoded : 0;
        }
        for (unsigned byte = 0; byte < 0x100; ++byte) {
            isLead_[byte] = IsCp932LeadByte(static_cast<std::uint8_t>(byte)) ? 1 : 0;
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

  private:
    std::array<char16_t, 0x10000> unitAt_;
    std::array<std::uint8_t, 0x10000> flagsAt_;
    std::array<std::uint8_t, 0x100> isLead_;
};

const Cp932DecodeTables& DecodeTables() {
    static const auto tables = std::make_unique<Cp932DecodeTables>();
    return *tables;
}

// Bit j set for each byte p[j] of 64 in a Shift-JIS lead range.
std::uint64_t LeadRangeMask(const std::uint8_t* p, [[maybe_unused]] const Cp932DecodeTables& tables) {
#if BLANKWISE_HAS_SSE2
    static_assert(std::size(kCp932LeadRanges) == 2);
    std::uint64_t mask = 0;
    for (unsigned part = 0; part < 4; ++part) {
        const __m128i bytes = LoadShifted(p + 16 * part);
        const __m128i low = InByteRange(bytes, kCp932LeadRanges[0].first, kCp932LeadRanges[0].last);
        const __m128i high = InByteRange(bytes, kCp932LeadRanges[1].first, kCp932LeadRanges[1].last);
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

}  // namespace

// Blocks of 64 bytes: the trail mask says where characters start, and each is looked up on its
// own, a pair when it leads, a single byte otherwise. Runs of ASCII are widened directly.
DecodeResult DecodeCp932(std::string_view bytes, bool atEnd, std::u16string& out, bool& recoded) {
    const Cp932DecodeTables& tables = DecodeTables();
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
            const std::size_t key = Cp932DecodeTables::KeyAt(p + k + j, (leads >> j) & 1);
            flags |= tables.FlagsAt(key);
            *write++ = tables.UnitAt(key);
        }
        if ((flags & Cp932DecodeTables::kUndecodable) != 0) {
            write = blockWrite;
            for (std::uint64_t starts = ~trails;; starts &= starts - 1) {
                const auto j = static_cast<unsigned>(std::countr_zero(starts));
                const std::size_t key = Cp932DecodeTables::KeyAt(p + k + j, (leads >> j) & 1);
                if ((tables.FlagsAt(key) & Cp932DecodeTables::kUndecodable) != 0) {
                    return stop({k + j, true});
                }
                recodedAny = recodedAny || (tables.FlagsAt(key) & Cp932DecodeTables::kRecoded) != 0;
                *write++ = tables.UnitAt(key);
            }
        }
        recodedAny = recodedAny || (flags & Cp932DecodeTables::kRecoded) != 0;
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
        const std::size_t key = Cp932DecodeTables::KeyAt(p + k, 1);
        if ((tables.FlagsAt(key) & Cp932DecodeTables::kUndecodable) != 0) {
            return stop({k, true});
        }
        recodedAny = recodedAny || (tables.FlagsAt(key) & Cp932DecodeTables::kRecoded) != 0;
        *write++ = tables.UnitAt(key);
        trail = true;
    }
    return stop({size, false});
}

// As DecodeCp932, but only the leads need a look: every byte outside the lead ranges is a
// character.
DecodeResult ValidateCp932(std::string_view bytes, bool atEnd, bool& recoded) {
    const Cp932DecodeTables& tables = DecodeTables();
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
            flags |= tables.FlagsAt(Cp932DecodeTables::KeyAt(p + k + std::countr_zero(rest), 1));
        }
        recoded = recoded || (flags & Cp932DecodeTables::kRecoded) != 0;
        if ((flags & Cp932DecodeTables::kUndecodable) != 0) {
            for (std::uint64_t rest = leads;; rest &= rest - 1) {
                const auto j = static_cast<unsigned>(std::countr_zero(rest));
                if ((tables.FlagsAt(Cp932DecodeTables::KeyAt(p + k + j, 1)) &
                     Cp932DecodeTables::kUndecodable) != 0) {
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
            const std::uint8_t flags = tables.FlagsAt(Cp932DecodeTables::KeyAt(p + k, 1));
            if ((flags & Cp932DecodeTables::kUndecodable) != 0) {
                return {k, true};
            }
            recoded = recoded || (flags & Cp932DecodeTables::kRecoded) != 0;
            trail = true;
        }
    }
    return {size, false};
}

std::optional<char16_t> DecodeCp932Pair(std::uint8_t lead, std::uint8_t trail) {
    const Cp932DecodeTables& tables = DecodeTables();
    const std::uint8_t pair[2] = {lead, trail};
    const std::size_t key = Cp932DecodeTables::KeyAt(pair, tables.IsLead(lead));
    if (tables.IsLead(lead) == 0 || (tables.FlagsAt(key) & Cp932DecodeTables::kUndecodable) != 0) {
        return std::nullopt;
    }
    return tables.UnitAt(key);
}

}  // namespace MyLibrary::CodecDetail
