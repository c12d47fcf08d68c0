#include "Blankwise/ConversionPipelines.h"

#include <algorithm>
#include <array>
#include <limits>

#include "MyLibrary/StringUnit/Assertion.h"
#include "MyLibrary/StringUnit/TextPlatform.h"

namespace Blankwise {
namespace {

// The assertion an id outside 1..15 raises: its message, source name and line number, which the
// user sees in the error box.
constexpr const char* kConversionErrorText = "例外";
constexpr const char* kConversionErrorSource = "Blankwise";
constexpr int kConversionErrorLine = 612;

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

// The units a pipeline acts on: those of each of its steps. A text without any of them leaves the
// first step unchanged, so the second sees the same text, and so on.
struct TUnitSet {
    std::array<char16_t, 3> units{kNoUnit, kNoUnit, kNoUnit};

    constexpr void Add(char16_t unit) {
        for (char16_t& slot : units) {
            if (slot == unit) {
                return;
            }
            if (slot == kNoUnit) {
                slot = unit;
                return;
            }
        }
        throw "a pipeline acts on more than three units";  // stops the constant evaluation
    }

    // What a step can change: the units of its pattern; tabs for expansion; U+0020 for
    // compression (tabs already there count a column but stay) and for the collapse of runs.
    constexpr void AddActedOn(const TStep& step) {
        switch (step.kind) {
            case TStepKind::Replace:
                for (const char16_t unit : step.pattern) {
                    Add(unit);
                }
                break;
            case TStepKind::ExpandTabs:
                Add(kTab[0]);
                break;
            case TStepKind::CompressSpaces:
            case TStepKind::CollapseRuns:
                Add(kSpace[0]);
                break;
            case TStepKind::DeleteAllSpaces:
                Add(kSpace[0]);
                Add(kTab[0]);
                Add(kFullWidthSpace[0]);
                break;
        }
    }
};

// Indexed by id - 1, beside the pipelines it is derived from.
constexpr auto kUnitsActedOn = [] {
    std::array<std::array<char16_t, 3>, std::size(kPipelines)> table{};
    for (std::size_t i = 0; i < std::size(kPipelines); ++i) {
        TUnitSet set;
        for (std::size_t k = 0; k < kPipelines[i].count; ++k) {
            set.AddActedOn(kPipelines[i].steps[k]);
        }
        table[i] = set.units;
    }
    return table;
}();

std::span<const TStep> PipelineOf(int id) {
    if (id < kFirstConversionId || id > kLastConversionId) {
        MyLibrary::RaiseAssertion(kConversionErrorText, kConversionErrorSource, kConversionErrorLine);
    }
    const TPipeline& pipeline = kPipelines[id - 1];
    return std::span(pipeline.steps).first(pipeline.count);
}

WideString DeleteAllSpaces(WideStringView text, const MyLibrary::TextPlatform& platform) {
    const MyLibrary::TWideStringDynArray patterns{WideString(kSpace), WideString(kFullWidthSpace),
                                                  WideString(kTab)};
    const MyLibrary::TWideStringDynArray replacements(patterns.size());
    return MyLibrary::ReplacePatterns(platform, text, patterns, replacements, false, true);
}

// startColumn is the selection's start column, or nothing for the prefix's single-line forms;
// stops the command line's, or nothing for the plug-in's every 4 columns; platform the one the
// command line measures and compares on, the current one for the plug-in.
WideString RunStep(const TStep& step, WideStringView text, const std::int32_t* startColumn,
                   const TabStops* stops, TabsPastLastStop pastLastStop, const MyLibrary::TextPlatform& platform) {
    switch (step.kind) {
        case TStepKind::Replace:
            return ReplacePattern(platform, text, step.pattern, step.replacement, false);
        case TStepKind::ExpandTabs:
            return startColumn == nullptr ? ExpandTabsInLine(text)
                   : stops == nullptr     ? ExpandTabsAfterPrefix(text, *startColumn)
                                          : ExpandTabsAfterPrefix(text, *startColumn, *stops, platform, pastLastStop);
        case TStepKind::CompressSpaces:
            return startColumn == nullptr ? CompressSpacesInLine(text)
                   : stops == nullptr     ? CompressSpacesAfterPrefix(text, *startColumn)
                                          : CompressSpacesAfterPrefix(text, *startColumn, *stops, platform);
        case TStepKind::CollapseRuns:
            return CollapseSpaceRuns(text);
        case TStepKind::DeleteAllSpaces:
            return DeleteAllSpaces(text, platform);
    }
    return WideString(text);
}

// Each step reads the one before's result (the text itself for the first), so the text is not
// copied before the first step.
WideString Run(int id, WideStringView text, const std::int32_t* startColumn, const TabStops* stops,
               const MyLibrary::TextPlatform& platform) {
    const std::span<const TStep> steps = PipelineOf(id);
    if (steps.empty()) {
        return WideString(text);
    }
    WideString result;
    WideStringView current = text;
    for (std::size_t k = 0; k < steps.size(); ++k) {
        // Before compression a tab past the last stop of a list stays, as GNU unexpand leaves it.
        const auto pastLastStop = k + 1 < steps.size() && steps[k + 1].kind == TStepKind::CompressSpaces
                                      ? TabsPastLastStop::Stay
                                      : TabsPastLastStop::BecomeSpace;
        result = RunStep(steps[k], current, startColumn, stops, pastLastStop, platform);
        current = result;
    }
    return result;
}

std::string_view StepName(TStepKind kind) {
    switch (kind) {
        case TStepKind::Replace:
            return "replace";
        case TStepKind::ExpandTabs:
            return "expand tabs";
        case TStepKind::CompressSpaces:
            return "compress spaces";
        case TStepKind::CollapseRuns:
            return "collapse space runs";
        case TStepKind::DeleteAllSpaces:
            return "delete all spaces";
    }
    return "";
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
    return Run(id, text, &prefixWidth, nullptr, MyLibrary::CurrentTextPlatform());
}

WideString ConvertSelection(int id, WideStringView text, std::int32_t prefixWidth, const TabStops& stops,
                            const MyLibrary::TextPlatform& platform) {
    return Run(id, text, &prefixWidth, &stops, platform);
}

WideString ConvertPrefix(int id, WideStringView prefix) {
    return Run(id, prefix, nullptr, nullptr, MyLibrary::CurrentTextPlatform());
}

std::vector<TStepDescription> ConversionSteps(int id) {
    std::vector<TStepDescription> steps;
    for (const TStep& step : PipelineOf(id)) {
        steps.push_back({StepName(step.kind), step.pattern, step.replacement});
    }
    return steps;
}

WideString RunConversionStep(int id, std::size_t step, WideStringView text, std::int32_t prefixWidth) {
    return RunStep(PipelineOf(id)[step], text, &prefixWidth, nullptr, TabsPastLastStop::BecomeSpace,
                   MyLibrary::CurrentTextPlatform());
}

std::array<char16_t, 3> UnitsActedOn(int id) {
    if (id < kFirstConversionId || id > kLastConversionId) {
        return {kSpace[0], kTab[0], kFullWidthSpace[0]};
    }
    return kUnitsActedOn[static_cast<std::size_t>(id - 1)];
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
