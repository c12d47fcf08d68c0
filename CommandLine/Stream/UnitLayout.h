#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "Blankwise/Blanks.h"
#include "MyLibrary/Encoding/TextCodec.h"

namespace BlankwiseCli {

// How an encoding lays out the units the stream is cut and scanned by. In UTF-8, code page 932,
// EUC-JP and ISO-2022-JP the bytes of tabs, spaces and breaks are characters wherever they appear:
// no other character holds them (a code page 932 trail byte is 0x40 or above, EUC-JP's are 0xA1 or
// above, and ISO-2022-JP reads them as themselves in every set). In UTF-16 they are units at even
// offsets.
struct UnitLayout {
    MyLibrary::Encoding encoding;
    std::size_t unitBytes;  // 1, or 2 for UTF-16
    bool bigEndian;

    explicit UnitLayout(MyLibrary::Encoding e)
        : encoding(e), unitBytes(MyLibrary::UnitBytes(e)), bigEndian(e == MyLibrary::Encoding::Utf16Be) {}

    // The unit at byte offset i (a byte, or a UTF-16 unit at an even offset).
    char16_t UnitAt(std::string_view bytes, std::size_t i) const {
        if (unitBytes == 1) {
            return static_cast<std::uint8_t>(bytes[i]);
        }
        return MyLibrary::Utf16UnitAt(bytes, i, bigEndian);
    }

    // The end of the line that holds the unit at pos, after its break (only that one: a CR LF
    // ends two lines here), or the end of bytes.
    std::size_t LineEndAfter(std::string_view bytes, std::size_t pos) const {
        const std::size_t size = bytes.size() - (bytes.size() - pos) % unitBytes;
        for (; pos < size; pos += unitBytes) {
            if (Blankwise::IsBreak(UnitAt(bytes, pos))) {
                return pos + unitBytes;
            }
        }
        return bytes.size();
    }

    // The start of the line that holds the unit at pos, not before floor (a line start).
    std::size_t LineStart(std::string_view bytes, std::size_t pos, std::size_t floor) const {
        while (pos > floor && !Blankwise::IsBreak(UnitAt(bytes, pos - unitBytes))) {
            pos -= unitBytes;
        }
        return pos;
    }
};

}  // namespace BlankwiseCli
