// The conversion command against a host that breaks its promises: text sizes of 0, below 0,
// smaller or larger than the text, fills without a terminating zero, a selection that changes
// between the size answer and the fill, positions beyond the document. The command may convert
// less, but it always returns normally after a bounded conversation, hands the view back and
// resumes repainting; where the lie leaves the text it reads intact, the document ends as with a
// faithful host, and where it makes the text read shorter, the document around the selection
// stays as it was.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <limits>
#include <string>

#include "Blankwise/ConversionCommand.h"
#include "Blankwise/ConversionPipelines.h"
#include "HostEmulator/EmulatedHostPort.h"
#include "HostEmulator/HostModel.h"
#include "fuzz/FuzzSupport.h"

namespace {

using Fuzzing::Check;
using Fuzzing::EscapeText;
using HostEmulator::Hostility;
using HostEmulator::HostModel;
using HostEmulator::Position;

constexpr HostEmulator::ViewBlock kView{9, 8, 7, 6, 5, 4, 3, 2};

enum class Lie : std::uint8_t {
    Larger,           // a size above the faithful one; the text read is intact
    NoZero,           // no terminating zero, sizes at least the faithful one; the text read is intact
    Unusable,         // a size of 0 or below; nothing is read
    Smaller,          // a size below the faithful one; the text read is cut short
    SelectionMoves,   // another range selected between the size answer and the fill
    PositionsBeyond,  // positions reported beyond the document or below 0
    Count,
};

struct Outcome {
    std::u16string text;
    std::size_t anchor = 0;
    std::size_t caret = 0;
};

// A position far out when the byte is at its limits, else a small one, possibly below 0.
std::int32_t Coordinate(std::uint8_t byte) {
    if (byte == 0xFF) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (byte == 0x80) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int8_t>(byte);
}

Outcome Run(const std::u16string& document, std::size_t anchor, std::size_t caret, int id,
            const Hostility& hostility, const std::string& where) {
    HostModel model(document);
    model.Select(model.PositionOf(anchor), model.PositionOf(caret));
    model.SetView(kView);
    model.SetHostility(hostility);
    HostEmulator::EmulatedHostPort port(model);
    port.ScriptMenuChoice(id);
    try {
        Blankwise::RunConversionCommand(port);
    } catch (const std::exception& failure) {
        Check(false, "the command returns normally", where + "\nthrew " + failure.what());
    }
    Check(model.Redrawing(), "repainting is resumed", where);
    Check(model.View() == kView, "the view is handed back", where);
    Check(port.LiveMenus() == 0, "no menu is left behind", where);
    const auto lines = static_cast<std::size_t>(HostModel(document).LineCount() + model.LineCount());
    Check(port.Transcript().size() <= 64 + 8 * lines, "the conversation is bounded",
          where + "\n" + std::to_string(port.Transcript().size()) + " calls");
    return {model.Text(), model.AnchorOffset(), model.CaretOffset()};
}

}  // namespace

// Input: the conversion, the selection's kind (forward, backward, none), the lie, three bytes
// that shape it, then the text before the selection, the selected text and the text after it.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Fuzzing::FuzzInput input(data, size);
    const int id = Blankwise::kFirstConversionId + input.Byte() % Blankwise::kLastConversionId;
    const std::uint8_t selectionKind = input.Byte() % 3;
    const auto lie = static_cast<Lie>(input.Byte() % static_cast<std::uint8_t>(Lie::Count));
    const std::uint8_t shape[3] = {input.Byte(), input.Byte(), input.Byte()};
    static constexpr std::u16string_view kAlphabet = u"ab \t\u3000\r\n \u3000\t";
    const std::u16string before = input.Text(kAlphabet);
    const std::u16string selected = input.Text(kAlphabet);
    const std::u16string after = input.Text(kAlphabet);

    const std::u16string document = before + selected + after;
    std::size_t anchor = before.size();
    std::size_t caret = before.size() + selected.size();
    if (selectionKind == 1) {
        std::swap(anchor, caret);
    } else if (selectionKind == 2) {
        anchor = caret = before.size();
    }

    Hostility hostility;
    switch (lie) {
        case Lie::Larger:
            hostility.sizeSkew = 1 + shape[0] * 64;
            break;
        case Lie::NoZero:
            hostility.noTerminatingZero = true;
            hostility.sizeSkew = shape[0] % 4;
            break;
        case Lie::Unusable:
            hostility.fixedSize = shape[0] == 0xFF ? std::numeric_limits<std::intptr_t>::min() : -shape[0];
            break;
        case Lie::Smaller:
            hostility.sizeSkew = -2 - shape[0] % 32;
            hostility.noTerminatingZero = (shape[1] & 1) != 0;
            break;
        case Lie::SelectionMoves:
            hostility.selectionAfterSizeQuery =
                std::pair{Position{Coordinate(shape[0]), Coordinate(shape[1])},
                          Position{Coordinate(shape[2]), Coordinate(shape[1])}};
            break;
        case Lie::PositionsBeyond:
            hostility.positionSkew = {Coordinate(shape[0]), Coordinate(shape[1])};
            break;
        case Lie::Count:
            break;
    }
    const std::string where = "conversion " + std::to_string(id) + ", lie " +
                              std::to_string(static_cast<int>(lie)) + " (" + std::to_string(shape[0]) + "," +
                              std::to_string(shape[1]) + "," + std::to_string(shape[2]) +
                              "), selection kind " + std::to_string(selectionKind) + ": " +
                              EscapeText(before) + " [" + EscapeText(selected) + "] " + EscapeText(after);

    const Outcome faithful = Run(document, anchor, caret, id, {}, where + " (faithful host)");
    const Outcome hostile = Run(document, anchor, caret, id, hostility, where);
    switch (lie) {
        case Lie::Larger:
        case Lie::NoZero:
            Check(
                hostile.text == faithful.text && hostile.anchor == faithful.anchor &&
                    hostile.caret == faithful.caret,
                "an intact text read converts as with a faithful host",
                where + "\nfaithful " + EscapeText(faithful.text) + "\nhostile  " + EscapeText(hostile.text));
            break;
        case Lie::Unusable:
            Check(hostile.text == document, "nothing read, nothing converted", where);
            break;
        case Lie::Smaller: {
            // The range the host itself had selected: a CR LF is never parted by it. With nothing
            // selected the whole document is converted.
            const HostModel original(document);
            const std::size_t first = original.OffsetOf(original.PositionOf(std::min(anchor, caret)));
            const std::size_t last = original.OffsetOf(original.PositionOf(std::max(anchor, caret)));
            if (first == last) {
                break;
            }
            const std::u16string_view head = std::u16string_view(document).substr(0, first);
            const std::u16string_view tail = std::u16string_view(document).substr(last);
            Check(hostile.text.size() >= head.size() + tail.size() && hostile.text.starts_with(head) &&
                      hostile.text.ends_with(tail),
                  "a text read short leaves the document around the selection alone",
                  where + "\nhostile " + EscapeText(hostile.text));
            break;
        }
        default:
            break;
    }
    return 0;
}
