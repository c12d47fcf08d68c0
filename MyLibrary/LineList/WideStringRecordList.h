#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "MyLibrary/StringUnit/StringUnit.h"
#include "MyLibrary/TemplateList/ListClone.h"

namespace MyLibrary {

enum TSplitMode : std::uint8_t {
    smAttach = 0,             // each piece with the delimiter that ends it; a final piece if not empty
    smKeepEmpty = 1,          // pieces without delimiters, empty ones kept
    smSkipEmpty = 2,          // pieces without delimiters, empty ones dropped
    smSeparateKeepEmpty = 3,  // piece, then its delimiter as an item of its own; empty pieces kept
    smSeparateSkipEmpty = 4,  // as 3, empty pieces dropped
};

// CR LF, CR, LF in this order, so that CR followed by LF is one break.
std::span<const WideString> LineBreaks();

// An ordered list of wide strings that owns them; callers give and receive copies.
class TRecordList {
  public:
    TRecordList();
    TRecordList(const TRecordList&) = delete;
    TRecordList& operator=(const TRecordList&) = delete;
    virtual ~TRecordList();

    // Appends a copy of text and returns its 0-based index.
    std::int32_t Add(WideStringView text);
    void Clear();
    // A copy of the string at the 0-based index; an index out of range raises "Listエラー".
    WideString Get(std::int32_t index) const;
    // Replaces the string at the 0-based index with a copy of text; index checked as in Get.
    void Put(std::int32_t index, WideStringView text);
    std::int32_t Count() const;

    // All strings concatenated in index order.
    WideString Join() const;

    // Split with the line break table in mode smAttach: each line keeps its break.
    void SplitLines(WideStringView text);

    // Clears the list, then fills it with the pieces of text cut at the delimiters (the first
    // delimiter in sequence order wins at a position). A mode above 4 leaves the list empty.
    void Split(WideStringView text, std::span<const WideString> delimiters, std::uint8_t mode);

  private:
    std::unique_ptr<TListClone> records_;
};

class TCommonStringRecordList : public TRecordList {};

// The lines TRecordList::SplitLines makes of text, each with its break, as views into text: for a
// caller that only reads them, without a copy of each.
std::vector<WideStringView> SplitLineViews(WideStringView text);

}  // namespace MyLibrary
