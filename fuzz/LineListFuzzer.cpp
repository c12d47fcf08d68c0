// The line list: SplitLines then Join gives the text back unit for unit, and every piece but the
// last ends in exactly one line break; Split with any delimiters agrees across its five modes.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "MyLibrary/LineList/WideStringRecordList.h"
#include "fuzz/FuzzSupport.h"

namespace {

using Fuzzing::Check;
using Fuzzing::EscapeText;
using MyLibrary::TCommonStringRecordList;
using MyLibrary::WideString;

std::vector<WideString> Items(const TCommonStringRecordList& list) {
    std::vector<WideString> items;
    for (std::int32_t i = 0; i < list.Count(); ++i) {
        items.push_back(list.Get(i));
    }
    return items;
}

bool IsBreak(char16_t unit) {
    return unit == u'\r' || unit == u'\n';
}

// The length of the break a piece ends with: 2 for CR LF, 1 for CR or LF, 0 for none.
std::size_t FinalBreakLength(const WideString& piece) {
    if (piece.ends_with(u"\r\n")) {
        return 2;
    }
    return !piece.empty() && IsBreak(piece.back()) ? 1 : 0;
}

void CheckLines(const WideString& text) {
    TCommonStringRecordList lines;
    lines.SplitLines(text);
    const std::vector<WideString> pieces = Items(lines);
    Check(lines.Join() == text, "Join after SplitLines gives the text back", EscapeText(text));
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const WideString& piece = pieces[i];
        const std::string where = EscapeText(text) + " piece " + std::to_string(i) + ": " + EscapeText(piece);
        Check(!piece.empty(), "no piece is empty", where);
        const std::size_t breakLength = FinalBreakLength(piece);
        Check(breakLength > 0 || i + 1 == pieces.size(), "every piece but the last ends in a break", where);
        for (std::size_t k = 0; k + breakLength < piece.size(); ++k) {
            Check(!IsBreak(piece[k]), "a piece holds no break before its last", where);
        }
        if (i + 1 < pieces.size()) {
            Check(!(piece.back() == u'\r' && pieces[i + 1].front() == u'\n'), "a CR LF is never parted",
                  where);
        }
    }
}

// Separate-keep-empty gives piece, delimiter, piece, ..., piece; the other modes are views of it.
void CheckSplitModes(const WideString& text, const std::vector<WideString>& delimiters) {
    const std::string where = EscapeText(text);
    std::vector<WideString> modes[5];
    for (std::uint8_t mode = 0; mode < 5; ++mode) {
        TCommonStringRecordList list;
        list.Split(text, delimiters, mode);
        modes[mode] = Items(list);
    }
    const std::vector<WideString>& separate = modes[MyLibrary::smSeparateKeepEmpty];
    Check(separate.size() % 2 == 1, "separate-keep-empty ends with a piece", where);
    WideString joined;
    std::vector<WideString> pieces;
    std::vector<WideString> nonEmptyPieces;
    std::vector<WideString> separateSkipEmpty;
    std::vector<WideString> attached;
    for (std::size_t i = 0; i < separate.size(); ++i) {
        joined += separate[i];
        if (i % 2 == 1) {
            bool isDelimiter = false;
            for (const WideString& delimiter : delimiters) {
                isDelimiter = isDelimiter || (!delimiter.empty() && separate[i] == delimiter);
            }
            Check(isDelimiter, "every second item is a delimiter", where);
            separateSkipEmpty.push_back(separate[i]);
            attached.back() += separate[i];
            continue;
        }
        pieces.push_back(separate[i]);
        attached.push_back(separate[i]);
        if (!separate[i].empty()) {
            nonEmptyPieces.push_back(separate[i]);
            separateSkipEmpty.push_back(separate[i]);
        }
    }
    if (attached.back().empty()) {
        attached.pop_back();
    }
    Check(joined == text, "the separated items join to the text", where);
    Check(modes[MyLibrary::smKeepEmpty] == pieces, "keep-empty gives the pieces", where);
    Check(modes[MyLibrary::smSkipEmpty] == nonEmptyPieces, "skip-empty gives the non-empty pieces", where);
    Check(modes[MyLibrary::smSeparateSkipEmpty] == separateSkipEmpty,
          "separate-skip-empty drops empty pieces", where);
    Check(modes[MyLibrary::smAttach] == attached, "attach gives each piece with its delimiter", where);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Fuzzing::FuzzInput input(data, size);
    const WideString text = input.Text(u"a\r\nb");
    CheckLines(text);
    std::vector<WideString> delimiters;
    while (!input.Exhausted() && delimiters.size() < 4) {
        delimiters.push_back(input.Text(u"a\r\nb"));
    }
    if (!delimiters.empty()) {
        CheckSplitModes(text, delimiters);
    }
    return 0;
}
