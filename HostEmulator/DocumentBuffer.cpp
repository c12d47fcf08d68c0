#include "HostEmulator/DocumentBuffer.h"

#include <algorithm>

namespace HostEmulator {
namespace {

// Room left in the gap when the buffer grows, so that a run of growing edits reallocates rarely.
constexpr std::size_t kMinGap = 4096;

}  // namespace

DocumentBuffer::DocumentBuffer(std::u16string_view text) {
    Assign(text);
}

void DocumentBuffer::Assign(std::u16string_view text) {
    buffer_.assign(text);
    gapStart_ = gapEnd_ = buffer_.size();
    lines_ = CutLines(0, Size(), true);
    shiftFrom_ = lines_.size();
    shift_ = 0;
    textCurrent_ = false;
}

std::u16string DocumentBuffer::Substr(std::size_t offset, std::size_t count) const {
    offset = std::min(offset, Size());
    count = std::min(count, Size() - offset);
    std::u16string units;
    units.reserve(count);
    const std::size_t beforeGap = offset < gapStart_ ? std::min(count, gapStart_ - offset) : 0;
    units.append(buffer_, offset, beforeGap);
    units.append(buffer_, offset + beforeGap + GapLength(), count - beforeGap);
    return units;
}

const std::u16string& DocumentBuffer::Text() const {
    if (!textCurrent_) {
        text_ = Substr(0, Size());
        textCurrent_ = true;
    }
    return text_;
}

DocumentBuffer::Line DocumentBuffer::LineAt(std::size_t index) const {
    Line line = lines_[index];
    if (index >= shiftFrom_) {
        line.start += shift_;
        line.contentEnd += shift_;
        line.end += shift_;
    }
    return line;
}

std::size_t DocumentBuffer::LineIndexOf(std::size_t offset) const {
    // The first line that starts after the offset, less one; line 0 starts at 0.
    std::size_t low = 1;
    std::size_t high = lines_.size();
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (LineAt(middle).start <= offset) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return low - 1;
}

void DocumentBuffer::MoveGap(std::size_t offset) {
    if (offset < gapStart_) {
        const std::size_t count = gapStart_ - offset;
        std::char_traits<char16_t>::move(buffer_.data() + gapEnd_ - count, buffer_.data() + offset, count);
        gapStart_ -= count;
        gapEnd_ -= count;
    } else if (offset > gapStart_) {
        const std::size_t count = offset - gapStart_;
        std::char_traits<char16_t>::move(buffer_.data() + gapStart_, buffer_.data() + gapEnd_, count);
        gapStart_ += count;
        gapEnd_ += count;
    }
}

// Gives lines [from, to) the shift they still lack; the lines from `to` on keep lacking it.
void DocumentBuffer::ApplyShift(std::size_t from, std::size_t to) {
    for (std::size_t index = from; index < to; ++index) {
        lines_[index] = LineAt(index);
    }
}

// The lines that start in [from, to): from is a line's start and to a line's end; with
// throughEnd, to is the document's end and the lines end with the last one, empty after a break.
std::vector<DocumentBuffer::Line> DocumentBuffer::CutLines(std::size_t from, std::size_t to,
                                                           bool throughEnd) const {
    std::vector<Line> lines;
    std::size_t start = from;
    std::size_t offset = from;
    while (offset < to) {
        const char16_t unit = At(offset);
        if (unit == u'\r' || unit == u'\n') {
            const std::size_t breakLength =
                unit == u'\r' && offset + 1 < Size() && At(offset + 1) == u'\n' ? 2 : 1;
            lines.push_back({start, offset, offset + breakLength});
            offset += breakLength;
            start = offset;
        } else {
            ++offset;
        }
    }
    if (throughEnd) {
        lines.push_back({start, to, to});
    }
    return lines;
}

void DocumentBuffer::Replace(std::size_t offset, std::size_t count, std::u16string_view units) {
    offset = std::min(offset, Size());
    count = std::min(count, Size() - offset);

    // The lines to cut again: those the edit touches and one on each side, since a CR before the
    // edit may meet an LF it inserts, or the other way round.
    const std::size_t editedLine = LineIndexOf(offset);
    const std::size_t firstLine = editedLine > 0 ? editedLine - 1 : 0;
    const std::size_t lastLine = std::min(LineIndexOf(offset + count) + 1, lines_.size() - 1);
    if (lastLine + 1 < shiftFrom_) {
        // An edit before lines that still lack a shift: those would need two, so apply it.
        ApplyShift(shiftFrom_, lines_.size());
        shift_ = 0;
    } else {
        ApplyShift(shiftFrom_, lastLine + 1);
    }
    shiftFrom_ = lastLine + 1;
    const std::size_t regionStart = lines_[firstLine].start;
    const std::size_t regionEnd = lines_[lastLine].end;

    MoveGap(offset);
    gapEnd_ += count;
    if (units.size() > GapLength()) {
        std::u16string grown(std::max(buffer_.size() * 2, Size() + units.size() + kMinGap), u'\0');
        const std::size_t afterGap = buffer_.size() - gapEnd_;
        std::char_traits<char16_t>::copy(grown.data(), buffer_.data(), gapStart_);
        std::char_traits<char16_t>::copy(grown.data() + grown.size() - afterGap, buffer_.data() + gapEnd_,
                                         afterGap);
        gapEnd_ = grown.size() - afterGap;
        buffer_ = std::move(grown);
    }
    std::char_traits<char16_t>::copy(buffer_.data() + gapStart_, units.data(), units.size());
    gapStart_ += units.size();
    textCurrent_ = false;

    // Offsets after the edit move by the difference, in modular arithmetic so that one shift
    // serves growth and shrinkage alike.
    const std::size_t difference = units.size() - count;
    std::vector<Line> cut = CutLines(regionStart, regionEnd + difference, lastLine + 1 == lines_.size());
    const auto first = lines_.begin() + static_cast<std::ptrdiff_t>(firstLine);
    const auto last = lines_.begin() + static_cast<std::ptrdiff_t>(lastLine + 1);
    const std::ptrdiff_t added = static_cast<std::ptrdiff_t>(cut.size()) - (last - first);
    if (added == 0) {
        std::copy(cut.begin(), cut.end(), first);
    } else {
        lines_.insert(lines_.erase(first, last), cut.begin(), cut.end());
    }
    shiftFrom_ = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(shiftFrom_) + added);
    shift_ += difference;
}

}  // namespace HostEmulator
