#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace HostEmulator {

// The document's UTF-16 units and its lines, cut after every break (CR followed by LF is one
// break; a document that ends with a break has an empty last line, as an editor shows it).
//
// The units are kept around a gap at the last edit, and the offsets of the lines after the last
// edit are shifted only when they are next read, so that a run of edits moving down the document
// (a line-by-line write-back) costs what the edited lines cost, not the document's size each time.
class DocumentBuffer {
  public:
    struct Line {
        std::size_t start;       // first unit
        std::size_t contentEnd;  // the break's first unit, or the document's end
        std::size_t end;         // after the break
    };

    explicit DocumentBuffer(std::u16string_view text = {});

    void Assign(std::u16string_view text);
    // Replaces count units from offset (both clamped to the document) with units.
    void Replace(std::size_t offset, std::size_t count, std::u16string_view units);

    std::size_t Size() const { return buffer_.size() - GapLength(); }
    char16_t At(std::size_t offset) const {
        return buffer_[offset < gapStart_ ? offset : offset + GapLength()];
    }
    std::u16string Substr(std::size_t offset, std::size_t count) const;
    // The whole document, built on the first call after a change.
    const std::u16string& Text() const;

    std::size_t LineCount() const { return lines_.size(); }
    Line LineAt(std::size_t index) const;
    // The index of the line an offset lies in (an offset inside a break belongs to its line).
    std::size_t LineIndexOf(std::size_t offset) const;

  private:
    std::size_t GapLength() const { return gapEnd_ - gapStart_; }
    void MoveGap(std::size_t offset);
    void ApplyShift(std::size_t from, std::size_t to);
    std::vector<Line> CutLines(std::size_t from, std::size_t to, bool throughEnd) const;

    std::u16string buffer_;  // the units before the gap, the gap, the units after it
    std::size_t gapStart_ = 0;
    std::size_t gapEnd_ = 0;

    // lines_[i] for i >= shiftFrom_ still lacks shift_ (modulo 2^N: a shrink is a wrap-around).
    std::vector<Line> lines_;
    std::size_t shiftFrom_ = 0;
    std::size_t shift_ = 0;

    mutable std::u16string text_;
    mutable bool textCurrent_ = false;
};

}  // namespace HostEmulator
