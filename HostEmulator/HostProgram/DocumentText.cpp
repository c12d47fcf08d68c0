#include "HostEmulator/HostProgram/DocumentText.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "Blankwise/Utf8.h"

namespace HostEmulator {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LEBom = "\xFF\xFE";
constexpr std::string_view kUtf16BEBom = "\xFE\xFF";

std::u16string DecodeUtf16(std::string_view bytes, bool bigEndian) {
    std::u16string text;
    text.reserve(bytes.size() / 2 + 1);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        text.push_back(static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first));
    }
    if (bytes.size() % 2 != 0) {
        text.push_back(u'\uFFFD');
    }
    return text;
}

void AppendUtf16(std::string& out, std::u16string_view text, bool bigEndian) {
    for (char16_t unit : text) {
        const auto high = static_cast<char>(unit >> 8);
        const auto low = static_cast<char>(unit & 0xFF);
        out.push_back(bigEndian ? high : low);
        out.push_back(bigEndian ? low : high);
    }
}

void AppendCodePoint(std::string& out, std::uint32_t codePoint) {
    if (codePoint < 0x80) {
        out.push_back(static_cast<char>(codePoint));
    } else if (codePoint < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
}

bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

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
    if (bytes.starts_with(kUtf16LEBom)) {
        return {DecodeUtf16(bytes.substr(2), false), TextEncoding::Utf16LE};
    }
    if (bytes.starts_with(kUtf16BEBom)) {
        return {DecodeUtf16(bytes.substr(2), true), TextEncoding::Utf16BE};
    }
    if (bytes.starts_with(kUtf8Bom)) {
        return {Blankwise::Utf8ToUtf16(bytes.substr(kUtf8Bom.size())), TextEncoding::Utf8WithBom};
    }
    return {Blankwise::Utf8ToUtf16(bytes), TextEncoding::Utf8};
}

std::string EncodeDocument(std::u16string_view text, TextEncoding encoding) {
    std::string out;
    switch (encoding) {
        case TextEncoding::Utf8:
            return ToUtf8(text);
        case TextEncoding::Utf8WithBom:
            return std::string(kUtf8Bom) + ToUtf8(text);
        case TextEncoding::Utf16LE:
        case TextEncoding::Utf16BE: {
            const bool bigEndian = encoding == TextEncoding::Utf16BE;
            out.reserve(2 + 2 * text.size());
            out.append(bigEndian ? kUtf16BEBom : kUtf16LEBom);
            AppendUtf16(out, text, bigEndian);
            return out;
        }
    }
    return out;
}

std::string ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size() * 3 / 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            AppendCodePoint(out, 0x10000 + ((static_cast<std::uint32_t>(unit) - 0xD800) << 10) +
                                     (static_cast<std::uint32_t>(text[i + 1]) - 0xDC00));
            ++i;
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            AppendCodePoint(out, 0xFFFD);
        } else {
            AppendCodePoint(out, unit);
        }
    }
    return out;
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
