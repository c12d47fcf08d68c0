#include "ConversionPipelines.h"

#include <algorithm>
#include <array>
#include <limits>

#include "../MyLibrary/StringUnit/Assertion.h"
#include "../MyLibrary/StringUnit/TextPlatform.h"

namespace Blankwise {
namespace {

constexpr TConversion kConversions[] = {
    {1, u"半角空白x2を全角空白x1にする"},
    {2, u"半角空白x1を全角空白x1にする"},
    {3, u"全角空白x1を半角空白x2にする"},
    {4, u"全角空白x1を半角空白x1にする"},
    {5, u"半角空白をタブにする(4タブ)"},
    {6, u"タブを半角空白にする(4タブ)"},
    {7, u"連続した半角空白をタブx1にする"},
    {8, u"タブx1を半角空白x1にする"},
    {9, u"スペースを半角空白にする"},
    {10, u"連続したスペースを半角空白x1にする"},
    {11, u"連続したスペースをタブx1にする"},
    {12, u"半角空白を削除する"},
    {13, u"全角空白を削除する"},
    {14, u"タブを削除する"},
    {15, u"スペースを削除する"},
};
static_assert(std::size(kConversions) == kLastConversionId);

constexpr TMenuEntry Item(int id) {
    return {TMenuEntryKind::Item, id, kConversions[id - 1].caption, {}};
}
constexpr TMenuEntry Submenu(std::u16string_view caption, std::span<const TMenuEntry> entries) {
    return {TMenuEntryKind::Submenu, 0, caption, entries};
}
constexpr TMenuEntry kSeparator{TMenuEntryKind::Separator, 0, u"", {}};

constexpr TMenuEntry kTabMenu[] = {Item(8), kSeparator, Item(14)};
constexpr TMenuEntry kHalfWidthMenu[] = {Item(1), Item(2),    kSeparator, Item(5),
                                         Item(7), kSeparator, Item(12)};
constexpr TMenuEntry kFullWidthMenu[] = {Item(3), Item(4), kSeparator, Item(13)};
constexpr TMenuEntry kAnySpaceMenu[] = {Item(9), kSeparator, Item(10), Item(11), kSeparator, Item(15)};

constexpr TMenuEntry kConversionMenu[] = {
    Item(6),    Submenu(u"タブを変換する その他", kTabMenu),
    kSeparator, Submenu(u"半角スペースを変換する", kHalfWidthMenu),
    kSeparator, Submenu(u"全角スペースを変換する", kFullWidthMenu),
    kSeparator, Submenu(u"スペース(半角/全角/タブ)を変換する", kAnySpaceMenu),
    kSeparator, {TMenuEntryKind::Item, 0, u"キャンセル", {}},
};

constexpr std::u16string_view kFullWidthSpace = u"\u3000";
constexpr std::u16string_view kTwoSpaces = u"  ";
constexpr std::u16string_view kSpace = u" ";
constexpr std::u16string_view kTab = u"\t";
constexpr std::u16string_view kNothing = u"";

// A pipeline step. Expansion and compression take the selection's start column when they run on
// the selected text; the prefix always begins at column 0.
enum class TStepKind : std::uint8_t { Replace, ExpandTabs, CompressSpaces, CollapseRuns, DeleteAllSpaces };

struct TStep {
    TStepKind kind;
    std::u16string_view pattern = {};
    std::u16string_view replacement = {};
};

constexpr TStep Replace(std::u16string_view pattern, std::u16string_view replacement) {
    return {TStepKind::Replace, pattern, replacement};
}
constexpr TStep kExpand{TStepKind::ExpandTabs};
constexpr TStep kCompress{TStepKind::CompressSpaces};
constexpr TStep kCollapse{TStepKind::CollapseRuns};
constexpr TStep kDeleteAllSpaces{TStepKind::DeleteAllSpaces};

struct TPipeline {
    std::array<TStep, 4> steps;
    std::size_t count;
};

constexpr TStep kNoStep{TStepKind::Replace};

// Indexed by id - 1.
constexpr TPipeline kPipelines[] = {
    {{Replace(kTwoSpaces, kFullWidthSpace), kNoStep, kNoStep, kNoStep}, 1},
    {{Replace(kSpace, kFullWidthSpace), kNoStep, kNoStep, kNoStep}, 1},
    {{Replace(kFullWidthSpace, kTwoSpaces), kNoStep, kNoStep, kNoStep}, 1},
    {{Replace(kFullWidthSpace, kSpace), kNoStep, kNoStep, kNoStep}, 1},
    {{kExpand, kCompress, kNoStep, kNoStep}, 2},
    {{kExpand, kNoStep, kNoStep, kNoStep}, 1},
    {{kCollapse, kNoStep, kNoStep, kNoStep}, 1},
    {{Replace(kTab, kSpace), kNoStep, kNoStep, kNoStep}, 1},
    {{Replace(kFullWidthSpace, kTwoSpaces), kExpand, kNoStep, kNoStep}, 2},
    {{Replace(kFullWidthSpace, kTwoSpaces), kExpand, kCollapse, Replace(kTab, kSpace)}, 4},
    {{Replace(kFullWidthSpace, kTwoSpaces), kExpand, kCollapse, kNoStep}, 3},
    {{Replace(kSpace, kNothing), kNoStep, kNoStep, kNoStep}, 1},
    {{Replace(kFullWidthSpace, kNothing), kNoStep, kNoStep, kNoStep}, 1},
    {{Replace(kTab, kNothing), kNoStep, kNoStep, kNoStep}, 1},
    {{kDeleteAllSpaces, kNoStep, kNoStep, kNoStep}, 1},
};
static_assert(std::size(kPipelines) == kLastConversionId);

std::span<const TStep> PipelineOf(int id) {
    if (id < kFirstConversionId || id > kLastConversionId) {
        MyLibrary::RaiseAssertion("例外", "Blankwise", 612);
    }
    const TPipeline& pipeline = kPipelines[id - 1];
    return std::span(pipeline.steps).first(pipeline.count);
}

WideString DeleteAllSpaces(WideStringView text) {
    const MyLibrary::TWideStringDynArray patterns{WideString(kSpace), WideString(kFullWidthSpace),
                                                  WideString(kTab)};
    const MyLibrary::TWideStringDynArray replacements(patterns.size());
    return MyLibrary::ReplacePatterns(text, patterns, replacements, false, true);
}

// startColumn is the selection's start column, or nothing for the prefix's single-line forms.
// Each step reads the one before's result (the text itself for the first), so the text is not
// copied before the first step.
WideString Run(int id, WideStringView text, const std::int32_t* startColumn) {
    const std::span<const TStep> steps = PipelineOf(id);
    if (steps.empty()) {
        return WideString(text);
    }
    WideString result;
    WideStringView current = text;
    for (const TStep& step : steps) {
        switch (step.kind) {
            case TStepKind::Replace:
                result = ReplacePattern(current, step.pattern, step.replacement, false);
                break;
            case TStepKind::ExpandTabs:
                result = startColumn != nullptr ? ExpandTabsAfterPrefix(current, *startColumn)
                                                : ExpandTabsInLine(current);
                break;
            case TStepKind::CompressSpaces:
                result = startColumn != nullptr ? CompressSpacesAfterPrefix(current, *startColumn)
                                                : CompressSpacesInLine(current);
                break;
            case TStepKind::CollapseRuns:
                result = CollapseSpaceRuns(current);
                break;
            case TStepKind::DeleteAllSpaces:
                result = DeleteAllSpaces(current);
                break;
        }
        current = result;
    }
    return result;
}

}  // namespace

std::span<const TConversion> Conversions() {
    return kConversions;
}

std::span<const TMenuEntry> ConversionMenu() {
    return kConversionMenu;
}

std::string MenuCaptionBytes(std::u16string_view caption) {
    return MyLibrary::NativeTextPlatform().ToMultiByte(caption);
}

WideString ConvertSelection(int id, WideStringView text, std::int32_t prefixWidth) {
    return Run(id, text, &prefixWidth);
}

WideString ConvertPrefix(int id, WideStringView prefix) {
    return Run(id, prefix, nullptr);
}

// Tab stops are display columns, so the selection's start column is the expanded prefix measured as
// the expansion measures it: the multi-byte width of all its units, not its unit count. A prefix
// that expands past the int32 limit (only a 64-bit process can hold one) is counted up to the limit.
std::int32_t PrefixWidth(WideStringView prefix) {
    const WideString expanded = ExpandTabsInLine(prefix);
    const auto units = std::min<std::size_t>(expanded.size(), std::numeric_limits<std::int32_t>::max());
    return MyLibrary::DisplayColumns(MyLibrary::ToMultiByte(expanded), static_cast<std::int32_t>(units));
}

}  // namespace Blankwise
