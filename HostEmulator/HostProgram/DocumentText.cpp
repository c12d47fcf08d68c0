#include "HostEmulator/HostProgram/DocumentText.h"

#include <algorithm>
#include <vector>

#include "MyLibrary/Encoding/TextCodec.h"

namespace HostEmulator {
namespace {

using MyLibrary::Encoding;

// The lines of a text, each with its break.
std::vector<std::u16string_view> SplitKeepingBreaks(std::u16string_view text) {
    std::vector<std::u16string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            ++i;
        } else if (text[i] != u'\r' && text[i] != u'\n') {
            continue;
        }
        lines.push_back(text.substr(start, i + 1 - start));
        start = i + 1;
    }
    if (start < text.size()) {
        lines.push_back(text.substr(start));
    }
    return lines;
}

}  // namespace

DecodedDocument DecodeDocument(std::string_view bytes) {
    const std::optional<Encoding> marked = MyLibrary::EncodingOfByteOrderMark(bytes);
    const std::string_view text = bytes.substr(marked ? MyLibrary::ByteOrderMark(*marked).size() : 0);
    if (marked == Encoding::Utf16Le || marked == Encoding::Utf16Be) {
        const bool bigEndian = marked == Encoding::Utf16Be;
        return {MyLibrary::Utf16ToUnitsLenient(text, bigEndian),
                bigEndian ? TextEncoding::Utf16BE : TextEncoding::Utf16LE};
    }
    return {MyLibrary::Utf8ToUtf16Lenient(text), marked ? TextEncoding::Utf8WithBom : TextEncoding::Utf8};
}

std::string EncodeDocument(std::u16string_view text, TextEncoding encoding) {
    const auto write = [text](Encoding as, bool marked) {
        std::string out(marked ? MyLibrary::ByteOrderMark(as) : std::string_view{});
        MyLibrary::Encode(as, text, out);
        return out;
    };
    switch (encoding) {
        case TextEncoding::Utf8:
            return write(Encoding::Utf8, false);
        case TextEncoding::Utf8WithBom:
            return write(Encoding::Utf8, true);
        case TextEncoding::Utf16LE:
            return write(Encoding::Utf16Le, true);
        case TextEncoding::Utf16BE:
            return write(Encoding::Utf16Be, true);
    }
    return {};
}

std::string ToUtf8(std::u16string_view text) {
    return MyLibrary::Utf16ToUtf8(text);
}

std::u16string VisibleWhiteSpace(std::u16string_view text, BreakMarks marks) {
    const bool marked = marks == BreakMarks::Marked;
    std::u16string shown;
    shown.reserve(text.size() + text.size() / 4);
    for (std::size_t i = 0; i < text.size(); ++i) {
        switch (text[i]) {
            case u'\t':
                shown += u'→';
                break;
            case u' ':
                shown += u'·';
                break;
            case u'\u3000':
                shown += u'□';
                break;
            case u'\r':
                if (i + 1 < text.size() && text[i + 1] == u'\n') {
                    shown += marked ? u"␍␊\n" : u"\r\n";
                    ++i;
                } else {
                    shown += marked ? u"␍\n" : u"\r\n";
                }
                break;
            case u'\n':
                shown += marked ? u"␊\n" : u"\r\n";
                break;
            default:
                shown += text[i];
        }
    }
    return shown;
}

std::string WithVisibleWhiteSpace(std::u16string_view text) {
    return ToUtf8(VisibleWhiteSpace(text, BreakMarks::Marked) + u"[EOF]\n");
}

std::size_t CountChangedLines(std::u16string_view before, std::u16string_view after) {
    const std::vector<std::u16string_view> oldLines = SplitKeepingBreaks(before);
    const std::vector<std::u16string_view> newLines = SplitKeepingBreaks(after);
    const std::size_t common = std::min(oldLines.size(), newLines.size());
    std::size_t changed = std::max(oldLines.size(), newLines.size()) - common;
    for (std::size_t i = 0; i < common; ++i) {
        changed += oldLines[i] != newLines[i] ? 1u : 0u;
    }
    return changed;
}

}  // namespace HostEmulator
