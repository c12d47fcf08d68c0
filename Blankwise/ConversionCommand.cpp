#include "Blankwise/ConversionCommand.h"

#include <algorithm>
#include <limits>

#include "Blankwise/ConversionPipelines.h"
#include "Blankwise/LineWriteBack.h"

namespace Blankwise {
namespace {

// Stops repainting for its lifetime and resumes it on every way out, failures included.
class RedrawSuspension {
  public:
    explicit RedrawSuspension(HostPort& host) : host_(host) { host_.Send(HostSetRedraw, 0, 0); }
    RedrawSuspension(const RedrawSuspension&) = delete;
    RedrawSuspension& operator=(const RedrawSuspension&) = delete;
    ~RedrawSuspension() {
        // A failure here must not end the process while another failure is being passed on.
        try {
            host_.Send(HostSetRedraw, 1, 0);
        } catch (...) {
        }
    }

  private:
    HostPort& host_;
};

// Owns a popup menu until it is destroyed, or until it is attached to another menu, which then
// destroys it with itself.
class OwnedMenu {
  public:
    explicit OwnedMenu(HostPort& host) : host_(host), menu_(host.CreatePopupMenu()) {}
    OwnedMenu(const OwnedMenu&) = delete;
    OwnedMenu& operator=(const OwnedMenu&) = delete;
    ~OwnedMenu() {
        if (owned_) {
            try {
                host_.DestroyMenu(menu_);
            } catch (...) {
            }
        }
    }

    MenuHandle Get() const { return menu_; }
    void AttachTo(MenuHandle parent, std::u16string_view caption) {
        host_.AppendMenu(parent, kMenuPopup, menu_, MenuCaptionBytes(caption));
        owned_ = false;
    }

  private:
    HostPort& host_;
    MenuHandle menu_;
    bool owned_ = true;
};

void AppendEntries(HostPort& host, MenuHandle menu, std::span<const TMenuEntry> entries) {
    for (const TMenuEntry& entry : entries) {
        switch (entry.kind) {
            case TMenuEntryKind::Item:
                host.AppendMenu(menu, kMenuString, static_cast<std::uintptr_t>(entry.id),
                                MenuCaptionBytes(entry.caption));
                break;
            case TMenuEntryKind::Separator:
                host.AppendMenu(menu, kMenuSeparator, 0, {});
                break;
            case TMenuEntryKind::Submenu: {
                OwnedMenu submenu(host);
                submenu.AttachTo(menu, entry.caption);
                AppendEntries(host, submenu.Get(), entry.submenu);
                break;
            }
        }
    }
}

// Shows the conversion menu at the pointer; the chosen conversion id, 0 when dismissed or cancelled.
int ChooseConversion(HostPort& host) {
    OwnedMenu menu(host);
    AppendEntries(host, menu.Get(), ConversionMenu());
    const TScreenPoint at = host.GetCursorPos();
    const std::intptr_t chosen = host.TrackPopupMenu(menu.Get(), kTrackReturnCommand, at);
    return static_cast<int>(static_cast<std::uintptr_t>(chosen) & 0xFF);
}

// The first `column` units of the line; nothing for a column below 0, the whole line beyond its end.
WideString LeadingPrefix(WideStringView line, std::int32_t column) {
    const auto length = static_cast<std::size_t>(std::max(column, 0));
    return WideString(line.substr(0, std::min(length, line.size())));
}

void ConvertAndWriteBack(HostPort& host, int id, TCaretPos selectionStart, bool wholeDocument) {
    const WideString prefix =
        LeadingPrefix(GetLineText(host, selectionStart.line, kLineOptionLogical), selectionStart.column);
    std::int32_t prefixWidth = 0;
    if (wholeDocument) {
        host.Send(HostExecCommand, kHostCommandSelectAll, 0);
    } else {
        prefixWidth = PrefixWidth(prefix);
    }
    const WideString selected = GetSelectedText(host);
    const WideString converted = ConvertSelection(id, selected, prefixWidth);
    const WideString convertedPrefix = ConvertPrefix(id, prefix);
    WriteBackLines(host, converted, selected);

    if (wholeDocument) {
        host.Send(HostExecCommand, kHostCommandAfterWholeDocument, 0);
        // The host's columns are int32: a longer converted prefix (a 64-bit process can hold one)
        // puts the caret at the limit rather than at a column cut to 32 bits.
        const auto column =
            std::min<std::size_t>(convertedPrefix.size(), std::numeric_limits<std::int32_t>::max());
        TCaretPos caret{static_cast<std::int32_t>(column), selectionStart.line};
        host.Send(HostSetCaretPos, kPositionKindUnits, AddressOf(&caret));
    }
}

}  // namespace

// Failures are not caught here: they leave after repainting has resumed, and the view block is then
// not handed back.
void RunConversionCommand(HostPort& host) {
    const RedrawSuspension redrawSuspension(host);

    TCaretPos selectionStart;
    host.Send(HostGetSelStart, kPositionKindUnits, AddressOf(&selectionStart));
    TViewBlock view;
    host.Send(HostGetViewPos, 0, AddressOf(&view));
    const bool wholeDocument = host.Send(HostHasSelection, 0, 0) == 0;

    const int id = ChooseConversion(host);
    if (id != 0) {
        ConvertAndWriteBack(host, id, selectionStart, wholeDocument);
    }

    host.Send(HostSetViewPos, 0, AddressOf(&view));
}

}  // namespace Blankwise
