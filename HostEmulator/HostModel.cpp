#include "HostEmulator/HostModel.h"

#include <algorithm>
#include <limits>

namespace HostEmulator {
namespace {

template <typename T>
T* PointerFrom(std::intptr_t value) {
    return reinterpret_cast<T*>(value);
}

template <typename T>
T* PointerFrom(std::uintptr_t value) {
    return reinterpret_cast<T*>(value);
}

std::int32_t ClampToInt32(std::size_t value) {
    return static_cast<std::int32_t>(
        std::min<std::size_t>(value, static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())));
}

std::int32_t SaturatedSum(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(std::int64_t{a} + b,
                                                              std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

HostModel::HostModel(std::u16string_view text) {
    SetText(text);
}

void HostModel::SetText(std::u16string_view text) {
    document_.Assign(text);
    anchor_ = 0;
    caret_ = 0;
    Changed();
}

DocumentBuffer::Line HostModel::LineAt(std::int32_t line) const {
    return document_.LineAt(static_cast<std::size_t>(std::clamp(line, 0, LineCount() - 1)));
}

std::u16string HostModel::LineText(std::int32_t line, bool withBreak) const {
    const DocumentBuffer::Line l = LineAt(line);
    return document_.Substr(l.start, (withBreak ? l.end : l.contentEnd) - l.start);
}

std::size_t HostModel::OffsetOf(Position position) const {
    const DocumentBuffer::Line l = LineAt(position.line);
    const auto column = static_cast<std::size_t>(std::max(position.column, 0));
    return l.start + std::min(column, l.contentEnd - l.start);
}

Position HostModel::PositionOf(std::size_t offset) const {
    offset = std::min(offset, document_.Size());
    const std::size_t index = document_.LineIndexOf(offset);
    const DocumentBuffer::Line l = document_.LineAt(index);
    return {ClampToInt32(std::min(offset, l.contentEnd) - l.start), ClampToInt32(index)};
}

// No position names the place between CR and LF; a selection end that would fall there is moved
// past the LF.
std::size_t HostModel::OffForBreak(std::size_t offset) {
    if (offset > 0 && offset < document_.Size() && document_.At(offset - 1) == u'\r' &&
        document_.At(offset) == u'\n') {
        ++splitBreakAdjustments_;
        return offset + 1;
    }
    return offset;
}

void HostModel::Select(Position anchor, Position caret) {
    anchor_ = OffsetOf(anchor);
    caret_ = OffsetOf(caret);
    Changed();
}

std::u16string HostModel::SelectedText() const {
    return document_.Substr(SelectionBegin(), SelectionFinish() - SelectionBegin());
}

void HostModel::SetView(const ViewBlock& view) {
    view_ = view;
    Changed();
}

void HostModel::SetCommandStatus(bool enabled, bool checked) {
    commandEnabled_ = enabled;
    commandChecked_ = checked;
}

void HostModel::ReplaceSelection(std::u16string_view inserted) {
    const std::size_t begin = SelectionBegin();
    const std::size_t finish = SelectionFinish();
    if (finish > begin || !inserted.empty()) {
        document_.Replace(begin, finish - begin, inserted);
        if (redraw_) {
            ++editsWhileRedrawing_;
        }
    }
    caret_ = OffForBreak(begin + inserted.size());
    anchor_ = caret_;
    Changed();
}

std::intptr_t HostModel::ReadPosition(LogEntry& entry, std::size_t offset) {
    auto* out = PointerFrom<Position>(entry.lParam);
    if (out == nullptr) {
        return 0;
    }
    const Position position = PositionOf(offset);
    *out = {SaturatedSum(position.column, hostility_.positionSkew.column),
            SaturatedSum(position.line, hostility_.positionSkew.line)};
    entry.position = *out;
    return 0;
}

// The size needed counts the terminating zero. At most bufferSize units are written: the text, cut
// if need be, and the zero only when there is room for it. A hostile host answers another size,
// leaves the zero out or selects another range once it has answered a size query.
std::intptr_t HostModel::ReadText(LogEntry& entry, std::u16string_view text, std::intptr_t bufferSize,
                                  char16_t* buffer) {
    if (buffer != nullptr && bufferSize > 0) {
        const std::size_t room = static_cast<std::size_t>(bufferSize);
        const std::size_t count = std::min(room, text.size());
        std::copy_n(text.begin(), count, buffer);
        if (count < room && !hostility_.noTerminatingZero) {
            buffer[count] = u'\0';
        }
        entry.text.assign(text.substr(0, count));
    }
    const std::intptr_t answer = ReportedTextSize(text.size());
    if (buffer == nullptr && hostility_.selectionAfterSizeQuery) {
        Select(hostility_.selectionAfterSizeQuery->first, hostility_.selectionAfterSizeQuery->second);
    }
    return answer;
}

std::intptr_t HostModel::ReportedTextSize(std::size_t textLength) const {
    constexpr std::intptr_t kMax = std::numeric_limits<std::intptr_t>::max();
    constexpr std::intptr_t kMin = std::numeric_limits<std::intptr_t>::min();
    if (hostility_.fixedSize) {
        return *hostility_.fixedSize;
    }
    const auto faithful =
        static_cast<std::intptr_t>(std::min(textLength, static_cast<std::size_t>(kMax - 1)) + 1);
    const std::intptr_t skew = hostility_.sizeSkew;
    if (skew > 0 && faithful > kMax - skew) {
        return kMax;
    }
    if (skew < 0 && faithful < kMin - skew) {
        return kMin;
    }
    return faithful + skew;
}

std::intptr_t HostModel::HandleMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    LogEntry entry;
    entry.message = message;
    entry.wParam = wParam;
    entry.lParam = lParam;
    std::intptr_t result = 0;

    switch (message) {
        case HostQueryStatus: {
            const bool known = wParam == kCommandPlugInStatus;
            result = known && commandEnabled_ ? 1 : 0;
            if (auto* checked = PointerFrom<std::int32_t>(lParam)) {
                *checked = known && commandChecked_ ? 1 : 0;
                entry.checked = *checked;
            }
            break;
        }
        case HostRefresh:
            lastRefreshValue_ = wParam;
            break;
        case HostGetCaretPos:
            result = ReadPosition(entry, caret_);
            break;
        case HostGetSelStart:
            result = ReadPosition(entry, SelectionBegin());
            break;
        case HostGetSelEnd:
            result = ReadPosition(entry, SelectionFinish());
            break;
        case HostSetCaretPos:
            if (const auto* in = PointerFrom<const Position>(lParam)) {
                entry.position = *in;
                caret_ = OffsetOf(*in);
                anchor_ = caret_;
                Changed();
            }
            break;
        case HostGetViewPos:
            if (auto* out = PointerFrom<ViewBlock>(lParam)) {
                *out = view_;
                entry.view = view_;
            }
            break;
        case HostSetViewPos:
            if (const auto* in = PointerFrom<const ViewBlock>(lParam)) {
                entry.view = *in;
                SetView(*in);
            }
            break;
        case HostExecCommand:
            if (wParam == kCommandSelectAll) {
                anchor_ = 0;
                caret_ = document_.Size();
                Changed();
            }
            break;
        case HostSetSelLength: {
            // From the caret forward, whatever was selected before; the caret moves to the far end.
            anchor_ = caret_;
            const std::size_t available = document_.Size() - caret_;
            caret_ =
                OffForBreak(caret_ + static_cast<std::size_t>(std::min<std::uintptr_t>(wParam, available)));
            Changed();
            break;
        }
        case HostSetSelection: {
            const auto* anchor = PointerFrom<const Position>(wParam);
            const auto* caret = PointerFrom<const Position>(lParam);
            if (anchor != nullptr && caret != nullptr) {
                entry.position = *anchor;
                entry.caret = *caret;
                Select(*anchor, *caret);
            }
            break;
        }
        case HostSetRedraw:
            redraw_ = wParam != 0;
            Changed();
            break;
        case HostHasSelection:
            result = HasSelection() ? 1 : 0;
            break;
        case HostGetSelText:
            result = ReadText(entry, SelectedText(), static_cast<std::intptr_t>(wParam),
                              PointerFrom<char16_t>(lParam));
            break;
        case HostGetLineText:
            if (const auto* request = PointerFrom<const LineRequest>(wParam)) {
                entry.request = *request;
                const std::u16string line =
                    LineText(request->line, (request->flags & kLineFlagWithBreak) != 0);
                result = ReadText(entry, line, request->bufferSize, PointerFrom<char16_t>(lParam));
            }
            break;
        case HostInsertText: {
            if (const auto* in = PointerFrom<const char16_t>(lParam)) {
                entry.text.assign(in);
                ReplaceSelection(entry.text);
            }
            break;
        }
        default:
            break;
    }

    entry.result = result;
    log_.push_back(std::move(entry));
    return result;
}

std::vector<std::string> HostModel::DescribeLog() const {
    std::vector<std::string> lines;
    lines.reserve(log_.size());
    for (const LogEntry& entry : log_) {
        lines.push_back(Describe(entry));
    }
    return lines;
}

}  // namespace HostEmulator
