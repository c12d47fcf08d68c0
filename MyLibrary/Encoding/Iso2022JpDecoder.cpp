// ISO-2022-JP decoding and validation, and the state escape sequences leave.

#include "MyLibrary/Encoding/CodecDetail.h"
#include "MyLibrary/Encoding/Iso2022Jp.h"

namespace MyLibrary {
namespace {

using CodecDetail::Iso2022JpKind;
using CodecDetail::KindOf;

constexpr std::uint8_t kShiftOut = 0x0E;
constexpr std::uint8_t kShiftIn = 0x0F;
constexpr Iso2022JpSet kSets[] = {Iso2022JpSet::Ascii, Iso2022JpSet::JisRoman, Iso2022JpSet::Katakana,
                                  Iso2022JpSet::Jis1978, Iso2022JpSet::Jis1983};

enum class Status : std::uint8_t { Decoded, Incomplete, Invalid };

struct EscapeSequence {
    Status status;
    Iso2022JpSet set;
};

// The escape sequence at p[0] (ESC), of which `available` bytes are there.
EscapeSequence ReadEscape(const std::uint8_t* p, std::size_t available) {
    if (available < 3) {
        const bool prefix = available == 1 || p[1] == '(' || p[1] == '$';
        return {prefix ? Status::Incomplete : Status::Invalid, Iso2022JpSet::Ascii};
    }
    for (const Iso2022JpSet set : kSets) {
        const std::string_view escape = Iso2022JpEscape(set);
        if (p[1] == static_cast<std::uint8_t>(escape[1]) && p[2] == static_cast<std::uint8_t>(escape[2])) {
            return {Status::Decoded, set};
        }
    }
    return {Status::Invalid, Iso2022JpSet::Ascii};
}

void Designate(Iso2022JpState& state, Iso2022JpSet set) {
    state.set = set;
    if (KindOf(set) == Iso2022JpKind::OneByte) {
        state.oneByte = set;
    } else if (KindOf(set) == Iso2022JpKind::TwoByte) {
        state.twoByte = set;
    }
}

struct Character {
    Status status;
    char16_t unit = 0;
    std::size_t length = 0;
    bool atOtherRowCell = false;  // the character is written at another row-cell
};

// The character at p[0] (no ESC), of which `available` bytes are there, read in the set.
Character ReadCharacter(const std::uint8_t* p, std::size_t available, Iso2022JpSet set) {
    const std::uint8_t first = p[0];
    if (first == kShiftOut || first == kShiftIn || first >= 0x80) {
        return {Status::Invalid};
    }
    if (IsIso2022JpControlOrSpace(first) || KindOf(set) == Iso2022JpKind::OneByte) {
        return {Status::Decoded, first, 1};
    }
    if (KindOf(set) == Iso2022JpKind::Katakana) {
        return first <= 0x5F ? Character{Status::Decoded, static_cast<char16_t>(0xFF61 + first - 0x21), 1}
                             : Character{Status::Invalid};
    }
    if (available < 2) {
        return {Status::Incomplete};
    }
    if (p[1] < 0x21 || p[1] > 0x7E) {
        return {Status::Invalid};
    }
    const CodecDetail::Cp932RowCells& cells = CodecDetail::Cp932RowCellTable();
    const std::size_t index = CodecDetail::CellIndex({first - 0x20, p[1] - 0x20});
    const char16_t unit = cells.unitAt[index];
    if (unit == 0) {
        return {Status::Invalid};
    }
    return {Status::Decoded, unit, 2, cells.cellOf[unit] != index + 1};
}

// Whether the encoder designates `set` from the state `before` ahead of a character of set's kind:
// only to change the kind, and then to the set of that kind the state designated last.
bool EncoderDesignates(const Iso2022JpState& before, Iso2022JpSet set) {
    if (KindOf(before.set) == KindOf(set)) {
        return false;
    }
    switch (KindOf(set)) {
        case Iso2022JpKind::OneByte:
            return set == before.oneByte;
        case Iso2022JpKind::TwoByte:
            return set == before.twoByte;
        case Iso2022JpKind::Katakana:
            return true;
    }
    return false;
}

template <class Sink>
DecodeResult Scan(std::string_view bytes, bool atEnd, Iso2022JpState& state, Sink& sink, bool& recoded) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const std::size_t size = bytes.size();
    // The escape sequence read last, until the character after it is: whether the encoder writes
    // it there depends on that character.
    struct Pending {
        bool active = false;
        std::size_t at = 0;
        Iso2022JpState before;
        bool rewrittenBefore = false;  // what rewritten was, should the escape wait for the next bytes
    };
    Pending pending;
    bool afterCr = false;
    bool rewritten = false;
    const auto stop = [&](std::size_t at, bool invalid) {
        if (!invalid && pending.active) {
            state = pending.before;
            at = pending.at;
            rewritten = pending.rewrittenBefore;
        }
        recoded = recoded || rewritten;
        return DecodeResult{at, invalid};
    };
    std::size_t k = 0;
    while (k < size) {
        if (p[k] == kIso2022JpEscape) {
            const EscapeSequence escape = ReadEscape(p + k, size - k);
            if (escape.status != Status::Decoded) {
                return stop(k, escape.status == Status::Invalid || atEnd);
            }
            const bool rewrittenBefore = rewritten;
            rewritten = rewritten || pending.active || escape.set == state.set;
            pending = Pending{true, k, state, rewrittenBefore};
            Designate(state, escape.set);
            k += 3;
            continue;
        }
        const Character character = ReadCharacter(p + k, size - k, state.set);
        if (character.status != Status::Decoded) {
            return stop(k, character.status == Status::Invalid || atEnd);
        }
        if (character.unit == u'\r' || character.unit == u'\n') {
            // A line break may stand in any set: the one the line ends in.
            rewritten = rewritten || (pending.active && afterCr && character.unit == u'\n');
        } else {
            const Iso2022JpKind kind =
                IsIso2022JpControlOrSpace(p[k]) ? Iso2022JpKind::OneByte : KindOf(state.set);
            rewritten = rewritten || kind != KindOf(state.set) || character.atOtherRowCell ||
                        (pending.active && !EncoderDesignates(pending.before, state.set));
        }
        pending.active = false;
        afterCr = character.unit == u'\r';
        sink.Put(character.unit);
        k += character.length;
    }
    // An escape sequence at the end is one the line ends in, or waits for what follows it.
    if (atEnd) {
        pending.active = false;
    }
    return stop(size, false);
}

}  // namespace

std::string_view Iso2022JpEscape(Iso2022JpSet set) {
    switch (set) {
        case Iso2022JpSet::Ascii:
            return "\x1B(B";
        case Iso2022JpSet::JisRoman:
            return "\x1B(J";
        case Iso2022JpSet::Katakana:
            return "\x1B(I";
        case Iso2022JpSet::Jis1978:
            return "\x1B$@";
        case Iso2022JpSet::Jis1983:
            return "\x1B$B";
    }
    return {};
}

DecodeResult DecodeIso2022Jp(std::string_view bytes, bool atEnd, Iso2022JpState& state, std::u16string& out,
                             bool& recoded) {
    CodecDetail::UnitWriter writer(out, bytes.size());
    return Scan(bytes, atEnd, state, writer, recoded);
}

DecodeResult ValidateIso2022Jp(std::string_view bytes, bool atEnd, Iso2022JpState& state, bool& recoded) {
    CodecDetail::UnitDropper dropper;
    return Scan(bytes, atEnd, state, dropper, recoded);
}

Iso2022JpState Iso2022JpStateAfter(std::string_view bytes, Iso2022JpState state) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
    for (std::size_t k = bytes.find(static_cast<char>(kIso2022JpEscape)); k != std::string_view::npos;
         k = bytes.find(static_cast<char>(kIso2022JpEscape), k + 1)) {
        const EscapeSequence escape = ReadEscape(p + k, bytes.size() - k);
        if (escape.status == Status::Decoded) {
            Designate(state, escape.set);
        }
    }
    return state;
}

}  // namespace MyLibrary
