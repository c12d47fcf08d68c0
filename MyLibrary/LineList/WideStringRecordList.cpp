#include "MyLibrary/LineList/WideStringRecordList.h"

#include <algorithm>
#include <vector>

#include "MyLibrary/StringUnit/LocaleMatcher.h"
#include "MyLibrary/StringUnit/TextPlatform.h"

namespace MyLibrary {
namespace {

// Built when the library is loaded, released when it is unloaded.
const WideString kLineBreaks[] = {u"\r\n", u"\r", u"\n"};

WideString& HolderAt(const TListClone& records, std::int32_t index) {
    return *static_cast<WideString*>(records.Get(index));
}

// Hands the items of one split to `add` as the scan meets the delimiter occurrences. Offsets are
// 0-based; a piece runs from the end of the previous occurrence (or the text's start) to the start
// of the next occurrence (or the text's end).
template <typename Add>
class PieceWriter {
  public:
    PieceWriter(Add add, WideStringView text, std::uint8_t mode) : add_(add), text_(text), mode_(mode) {}

    void Occurrence(std::size_t position, std::size_t length) {
        switch (mode_) {
            case smAttach:
                add_(text_.substr(start_, position + length - start_));
                break;
            case smKeepEmpty:
                AddPiece(position, true);
                break;
            case smSkipEmpty:
                AddPiece(position, false);
                break;
            case smSeparateKeepEmpty:
                AddPiece(position, true);
                add_(text_.substr(position, length));
                break;
            case smSeparateSkipEmpty:
                AddPiece(position, false);
                add_(text_.substr(position, length));
                break;
            default:
                break;
        }
        start_ = position + length;
    }

    // The piece after the last occurrence; it is empty when an occurrence ends the text.
    void Finish() { AddPiece(text_.size(), mode_ == smKeepEmpty || mode_ == smSeparateKeepEmpty); }

  private:
    void AddPiece(std::size_t end, bool keepEmpty) {
        if (keepEmpty || end > start_) {
            add_(text_.substr(start_, end - start_));
        }
    }

    Add add_;
    WideStringView text_;
    std::uint8_t mode_;
    std::size_t start_ = 0;
};

// The first delimiter, in sequence order, that occurs at the 0-based offset by code units; its
// length, or 0 when none does. Empty delimiters never occur.
std::size_t UnitDelimiterAt(WideStringView text, std::size_t offset, std::span<const WideString> delimiters) {
    const WideStringView rest = text.substr(offset);
    for (const WideString& delimiter : delimiters) {
        if (!delimiter.empty() && rest.starts_with(delimiter)) {
            return delimiter.size();
        }
    }
    return 0;
}

// With code-unit comparison a delimiter can only occur where the text holds one of the
// delimiters' first units, so the scan jumps from one such unit to the next.
template <typename Writer>
void ScanByCodeUnit(WideStringView text, std::span<const WideString> delimiters, Writer& writer) {
    WideString firstUnits;
    for (const WideString& delimiter : delimiters) {
        if (!delimiter.empty() && firstUnits.find(delimiter.front()) == WideString::npos) {
            firstUnits += delimiter.front();
        }
    }
    if (firstUnits.empty()) {
        return;
    }
    std::size_t position = text.find_first_of(firstUnits);
    while (position != WideStringView::npos) {
        const std::size_t length = UnitDelimiterAt(text, position, delimiters);
        if (length == 0) {
            position = text.find_first_of(firstUnits, position + 1);
        } else {
            writer.Occurrence(position, length);
            position = text.find_first_of(firstUnits, position + length);
        }
    }
}

// Finds delimiters by the user locale's case-sensitive comparison, as MatchCaseAt does. The answers
// are remembered by the units compared, so a document of millions of units costs about one
// comparison per distinct unit pair instead of several per unit; for delimiters of up to two units
// (the line breaks) one lookup answers for all of them at a position.
template <typename Writer>
void ScanByLocale(WideStringView text, std::span<const WideString> delimiters, Writer& writer) {
    if (LocaleFirstMatchTable::Serves(delimiters)) {
        LocaleFirstMatchTable table(CurrentTextPlatform(), delimiters, false, text.size());
        for (std::size_t position = 0; position < text.size();) {
            const std::size_t k = table.PatternAt(text, position);
            if (k == LocaleFirstMatchTable::kNoPattern) {
                ++position;
            } else {
                writer.Occurrence(position, delimiters[k].size());
                position += delimiters[k].size();
            }
        }
        return;
    }
    std::vector<LocaleMatcher> matchers;
    matchers.reserve(delimiters.size());
    for (const WideString& delimiter : delimiters) {
        matchers.emplace_back(CurrentTextPlatform(), delimiter, false, text.size());
    }
    std::size_t position = 0;
    while (position < text.size()) {
        std::size_t length = 0;
        for (LocaleMatcher& matcher : matchers) {
            if (matcher.MatchesAt(text, position)) {
                length = matcher.PatternLength();
                break;
            }
        }
        if (length == 0) {
            ++position;
        } else {
            writer.Occurrence(position, length);
            position += length;
        }
    }
}

// The pieces of text cut at the delimiters, in order, each handed to add.
template <typename Add>
void SplitInto(Add add, WideStringView text, std::span<const WideString> delimiters, std::uint8_t mode) {
    if (mode > smSeparateSkipEmpty) {
        return;
    }
    PieceWriter writer(add, text, mode);
    if (CurrentTextPlatform().ComparesByCodeUnit()) {
        ScanByCodeUnit(text, delimiters, writer);
    } else {
        ScanByLocale(text, delimiters, writer);
    }
    writer.Finish();
}

}  // namespace

std::span<const WideString> LineBreaks() {
    return kLineBreaks;
}

TRecordList::TRecordList() : records_(std::make_unique<TListClone>()) {}

TRecordList::~TRecordList() {
    Clear();
}

std::int32_t TRecordList::Add(WideStringView text) {
    // The holder stays owned here until the list has taken it, so a failing Add leaks nothing.
    auto holder = std::make_unique<WideString>(text);
    const std::int32_t index = records_->Add(holder.get());
    holder.release();
    return index;
}

void TRecordList::Clear() {
    void* const* items = records_->Items();
    const std::int32_t count = records_->Count();
    for (std::int32_t index = 0; index < count; ++index) {
        delete static_cast<WideString*>(items[index]);
    }
    records_->Clear();
}

WideString TRecordList::Get(std::int32_t index) const {
    return HolderAt(*records_, index);
}

void TRecordList::Put(std::int32_t index, WideStringView text) {
    HolderAt(*records_, index).assign(text);
}

std::int32_t TRecordList::Count() const {
    return records_->Count();
}

WideString TRecordList::Join() const {
    void* const* items = records_->Items();
    const std::int32_t count = records_->Count();
    std::size_t length = 0;
    for (std::int32_t index = 0; index < count; ++index) {
        length += static_cast<const WideString*>(items[index])->size();
    }
    WideString joined;
    joined.reserve(length);
    for (std::int32_t index = 0; index < count; ++index) {
        joined += *static_cast<const WideString*>(items[index]);
    }
    return joined;
}

void TRecordList::SplitLines(WideStringView text) {
    Split(text, LineBreaks(), smAttach);
}

void TRecordList::Split(WideStringView text, std::span<const WideString> delimiters, std::uint8_t mode) {
    Clear();
    SplitInto([this](WideStringView piece) { Add(piece); }, text, delimiters, mode);
}

std::vector<WideStringView> SplitLineViews(WideStringView text) {
    std::vector<WideStringView> lines;
    SplitInto([&lines](WideStringView piece) { lines.push_back(piece); }, text, LineBreaks(), smAttach);
    return lines;
}

}  // namespace MyLibrary
