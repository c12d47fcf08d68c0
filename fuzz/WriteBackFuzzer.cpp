// The line-wise write-back against the emulated host: for any old and new text (any mix of CR LF,
// CR and LF, any counts of lines, empty texts) and a selection made either way, the document
// afterwards holds exactly the new text in place of the old and nothing else changed, the new text
// is selected with the caret on the side it was on, and an unchanged text is not written at all.
//
// Left out: draws where the old or the new text would join a CR and an LF with the document just
// outside the selection. The host has no position between that CR and LF, so no write-back can
// leave such a text in place with its edges where they were.

#include <cstddef>
#include <cstdint>
#include <string>

#include "Blankwise/LineWriteBack.h"
#include "HostEmulator/EmulatedHostPort.h"
#include "HostEmulator/HostModel.h"
#include "fuzz/FuzzSupport.h"

namespace {

using Fuzzing::Check;
using Fuzzing::EscapeText;

bool Joins(std::u16string_view left, std::u16string_view right) {
    return left.ends_with(u'\r') && right.starts_with(u'\n');
}

}  // namespace

// Input: a flags byte (bit 0: the selection was made backwards), then the text before the
// selection, the old text, the new text and the text after it.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static constexpr std::u16string_view kAlphabet = u"ab \r\n\t\u3000\r\n";
    Fuzzing::FuzzInput input(data, size);
    const bool backwards = (input.Byte() & 1) != 0;
    const std::u16string before = input.Text(kAlphabet);
    const std::u16string oldText = input.Text(kAlphabet);
    const std::u16string newText = input.Text(kAlphabet);
    const std::u16string after = input.Text(kAlphabet);
    // A U+0000 would end the texts the host hands over.
    if ((before + oldText + newText + after).find(u'\0') != std::u16string::npos) {
        return 0;
    }
    // An old text whose edge joins a CR and an LF cannot be selected; a new one whose edge does has
    // no position for that edge, so only the document is checked then.
    if (Joins(before, oldText + after) || Joins(before + oldText, after)) {
        return 0;
    }
    const bool edgeJoins = Joins(before, newText + after) || Joins(before + newText, after);
    const std::string where = EscapeText(before) + " [" + EscapeText(oldText) + " -> " + EscapeText(newText) +
                              "] " + EscapeText(after) + (backwards ? " backwards" : " forwards");

    HostEmulator::HostModel model(before + oldText + after);
    HostEmulator::EmulatedHostPort port(model);
    const HostEmulator::Position start = model.PositionOf(before.size());
    const HostEmulator::Position end = model.PositionOf(before.size() + oldText.size());
    model.Select(backwards ? end : start, backwards ? start : end);
    model.ClearLog();
    Blankwise::WriteBackLines(port, newText);

    Check(model.Text() == before + newText + after, "the new text stands in place of the old",
          where + "\ndocument " + EscapeText(model.Text()));
    if (edgeJoins) {
        return 0;
    }
    const std::size_t newStart = before.size();
    const std::size_t newEnd = before.size() + newText.size();
    const bool caretAtEnd = !backwards && !oldText.empty();
    Check(model.CaretOffset() == (caretAtEnd ? newEnd : newStart), "the caret stays on its side", where);
    Check(model.AnchorOffset() == (caretAtEnd ? newStart : newEnd), "the new text is selected", where);
    Check(model.SplitBreakAdjustments() == 0, "no edge falls between a CR and its LF", where);
    if (oldText == newText) {
        for (const HostEmulator::LogEntry& entry : model.Log()) {
            Check(entry.message != HostEmulator::HostInsertText, "an unchanged text is not written", where);
        }
    }
    return 0;
}
