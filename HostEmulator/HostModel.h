#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "HostEmulator/DocumentBuffer.h"
#include "HostEmulator/HostMessages.h"
#include "HostEmulator/MessageLog.h"

namespace HostEmulator {

// Ways a host can break the promises of its text and position messages, for tests of a plug-in
// that must survive them: it may convert less, but must not crash, read or write outside its
// buffers, hang or throw. The default is a faithful host.
struct Hostility {
    // The size HostGetSelText and HostGetLineText answer: fixedSize when set (0, below 0, ...),
    // else the faithful size (length plus the terminating zero) plus sizeSkew, which may make it
    // smaller than the text or larger.
    std::optional<std::intptr_t> fixedSize = std::nullopt;
    std::intptr_t sizeSkew = 0;
    // The fill writes the text's units, as many as the buffer takes, but never a terminating zero.
    bool noTerminatingZero = false;
    // After every size query (a text message without a buffer) the host selects this range,
    // anchor then caret, so that the fill that follows reads another text than the one measured.
    std::optional<std::pair<Position, Position>> selectionAfterSizeQuery = std::nullopt;
    // Added to every position the host reports (HostGetSelStart, HostGetSelEnd, HostGetCaretPos),
    // saturating at the int32 limits: positions beyond the document's lines and columns, or below 0.
    Position positionSkew{};
};

// The host editor's document as its messages promise it: UTF-16 text with any mix of CR LF, CR and
// LF breaks (CR LF is one break), a selection between an anchor and a caret (possibly backwards),
// a view block, the repaint switch and the status of command 4201.
//
// Positions beyond the document clamp to it: the line to the last line, the column to the line's
// length. A selection end or caret never stands between the CR and the LF of a pair; an edit or a
// HostSetSelLength that would put it there moves it past the LF (see SplitBreakAdjustments).
//
// HandleMessage takes the message words exactly as a window procedure receives them; pointers in
// wParam/lParam must point into the calling process. A null pointer where one is expected makes the
// message do nothing and answer 0.
class HostModel {
  public:
    explicit HostModel(std::u16string_view text = {});

    std::intptr_t HandleMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);

    const std::u16string& Text() const { return document_.Text(); }
    // Replaces the whole document; the caret goes to its start, nothing selected.
    void SetText(std::u16string_view text);

    std::int32_t LineCount() const { return static_cast<std::int32_t>(document_.LineCount()); }
    // The line's text (clamped line index), with or without its break.
    std::u16string LineText(std::int32_t line, bool withBreak = false) const;

    // Offsets count UTF-16 units from the start of the document, a CR LF as two.
    std::size_t OffsetOf(Position position) const;  // clamps
    Position PositionOf(std::size_t offset) const;  // an offset inside a break reads as the line's end

    void Select(Position anchor, Position caret);  // like HostSetSelection, not logged
    std::size_t AnchorOffset() const { return anchor_; }
    std::size_t CaretOffset() const { return caret_; }
    Position Anchor() const { return PositionOf(anchor_); }
    Position Caret() const { return PositionOf(caret_); }
    Position SelectionStart() const { return PositionOf(SelectionBegin()); }
    Position SelectionEnd() const { return PositionOf(SelectionFinish()); }
    bool HasSelection() const { return anchor_ != caret_; }
    std::u16string SelectedText() const;

    const ViewBlock& View() const { return view_; }
    void SetView(const ViewBlock& view);

    // Makes the host break its promises as described; Hostility{} makes it faithful again.
    void SetHostility(const Hostility& hostility) { hostility_ = hostility; }

    bool Redrawing() const { return redraw_; }
    void SetCommandStatus(bool enabled, bool checked);

    // Edits (HostInsertText that changed the document) made while repainting was on.
    int EditsWhileRedrawing() const { return editsWhileRedrawing_; }
    // Times a selection end or the caret had to be moved off the middle of a CR LF.
    int SplitBreakAdjustments() const { return splitBreakAdjustments_; }
    // Grows with every change of text, selection, view or repaint state (for a host to repaint).
    std::uint64_t Revision() const { return revision_; }
    std::uintptr_t LastRefreshValue() const { return lastRefreshValue_; }

    const std::vector<LogEntry>& Log() const { return log_; }
    std::vector<std::string> DescribeLog() const;
    void ClearLog() { log_.clear(); }

  private:
    DocumentBuffer::Line LineAt(std::int32_t line) const;
    std::size_t SelectionBegin() const { return anchor_ < caret_ ? anchor_ : caret_; }
    std::size_t SelectionFinish() const { return anchor_ < caret_ ? caret_ : anchor_; }
    std::size_t OffForBreak(std::size_t offset);
    void ReplaceSelection(std::u16string_view inserted);
    void Changed() { ++revision_; }

    std::intptr_t ReadPosition(LogEntry& entry, std::size_t offset);
    std::intptr_t ReadText(LogEntry& entry, std::u16string_view text, std::intptr_t bufferSize,
                           char16_t* buffer);
    std::intptr_t ReportedTextSize(std::size_t textLength) const;

    DocumentBuffer document_;
    std::size_t anchor_ = 0;
    std::size_t caret_ = 0;
    ViewBlock view_{};
    bool redraw_ = true;
    bool commandEnabled_ = true;
    bool commandChecked_ = false;
    std::uintptr_t lastRefreshValue_ = 0;
    int editsWhileRedrawing_ = 0;
    int splitBreakAdjustments_ = 0;
    std::uint64_t revision_ = 0;
    std::vector<LogEntry> log_;
    Hostility hostility_;
};

}  // namespace HostEmulator
